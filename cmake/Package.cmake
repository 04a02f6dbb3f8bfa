# `cpack -G DEB` in the build folder makes a Debian package of the install above.
# dpkg-shlibdeps works out the library packages the executables need.
set(CPACK_PACKAGE_NAME quillmark)
set(CPACK_PACKAGE_VENDOR "The Quillmark developers")
set(CPACK_PACKAGE_CONTACT "Quillmark <dev@quillmark.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Split videos and join videos and pictures")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://quillmark.org/")
set(CPACK_PACKAGE_INSTALL_DIRECTORY /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# CPack puts the summary above this and indents its lines as Debian wants.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Quillmark cuts one video into equal parts, parts of a given length or at\nmarked points, and joins videos and still pictures into one video with\ntransitions and music. It writes VCD, SVCD and DVD (PAL and NTSC), MPEG-1,\nMPEG-2, AVI and WMV. quillmark-cli does the same from the command line.")

include(CPack)

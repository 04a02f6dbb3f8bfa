# Where `cmake --install` puts the programs and their files, all below
# CMAKE_INSTALL_PREFIX. The quill_* libraries are static, so the executables
# need nothing of the build tree once installed.
set(QUILLMARK_APP_ID org.quillmark.Quillmark)

install(TARGETS quillmark quillmark-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${QUILLMARK_DATA} DESTINATION ${QUILLMARK_INSTALL_DATADIR})
install(FILES data/desktop/${QUILLMARK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/desktop/${QUILLMARK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/man/quillmark-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

install(FILES data/icons/${QUILLMARK_APP_ID}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES data/icons/${QUILLMARK_APP_ID}-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME ${QUILLMARK_APP_ID}.png)
endforeach()

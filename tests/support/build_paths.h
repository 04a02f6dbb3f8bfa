#pragma once

#include <QString>

// Folders of this build tree, fixed when it was configured. They live in this
// one file so that every other test object is the same in any checkout, and a
// compiler cache can hand a fresh clone the objects an earlier one compiled.
namespace buildpaths {

QString BinDir();         // the program folder: both executables and their data files
QString SourceDir();      // the checkout
QString TestMediaDir();   // media made at test time, shared by every suite
QString PlayerMediaDir(); // the player tests' own media
QString SyscallSpy();     // the library the tests put in front of the program's
QString InstallPrefix();  // where the install tests install the program

} // namespace buildpaths

#include "support/build_paths.h"

namespace buildpaths {

QString BinDir() { return QStringLiteral(QUILLMARK_BIN_DIR); }
QString SourceDir() { return QStringLiteral(QUILLMARK_SOURCE_DIR); }
QString TestMediaDir() { return QStringLiteral(QUILLMARK_TEST_MEDIA_DIR); }
QString PlayerMediaDir() { return QStringLiteral(QUILLMARK_PLAYER_MEDIA_DIR); }
QString SyscallSpy() { return QStringLiteral(QUILLMARK_SYSCALL_SPY); }
QString InstallPrefix() { return QStringLiteral(QUILLMARK_TEST_PREFIX); }

} // namespace buildpaths

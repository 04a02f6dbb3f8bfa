#include "common/bounded_read.h"

#include "common/folders.h"
#include "engine/quillmark_error.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

[[noreturn]] void Fail(const QString& path, const QString& reason) {
    throw QuillmarkError(QStringLiteral("Cannot read \"%1\": %2").arg(PrintableName(QDir::toNativeSeparators(path)), reason));
}

QString OsReason() { return QString::fromLocal8Bit(std::strerror(errno)); }

class Descriptor {
public:
    explicit Descriptor(int fd, bool owned) : fd(fd), owned(owned) {}
    ~Descriptor() {
        if (owned && fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    const int fd;

private:
    const bool owned;
};

// Waits until `fd` can be read or `wakeFd` has something; true for the former.
bool WaitReadable(int fd, int wakeFd) {
    pollfd fds[2] = {{fd, POLLIN, 0}, {wakeFd, POLLIN, 0}};
    for (;;) {
        const int ready = ::poll(fds, wakeFd >= 0 ? 2 : 1, -1);
        if (ready < 0 && errno == EINTR) continue; // the signal's byte is in wakeFd: looked at next
        if (ready < 0) return true;                // let read() say what is wrong
        if (wakeFd >= 0 && (fds[1].revents & POLLIN)) return false;
        if (fds[0].revents) return true;
    }
}

} // namespace

std::optional<QByteArray> ReadBoundedInput(const QString& path, qint64 maxBytes, int wakeFd) {
    const bool standardInput = path == QLatin1String("-");
    // Not blocking: opening a FIFO would otherwise wait for a writer where no
    // Ctrl+C is seen, and a read would wait for data the same way.
    const int fd = standardInput ? STDIN_FILENO : ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) Fail(path, OsReason());
    const Descriptor input(fd, !standardInput);
    QByteArray bytes;
    char chunk[65536];
    for (;;) {
        if (!WaitReadable(input.fd, wakeFd)) return std::nullopt;
        const ssize_t got = ::read(input.fd, chunk, sizeof chunk);
        if (got == 0) break;
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            Fail(path, errno == EISDIR ? QStringLiteral("it is a folder") : OsReason());
        }
        if (bytes.size() + got > maxBytes)
            Fail(path, QStringLiteral("it is longer than %1 MB, more than any list or script").arg(maxBytes >> 20));
        bytes.append(chunk, got);
    }
    return bytes;
}

// Put into quillmark-cli with LD_PRELOAD by the tests, to see what it asks of the
// system and to make it slow where a busy machine would be:
// - QM_SPY_LOG=FILE appends a line for each fsync ("fsync PATH") and each rename
//   ("rename FROM TO") the program makes;
// - QM_SPY_SLOW_PART_REMOVAL=SECONDS makes the first removal of a ".part" file by
//   a thread other than the main one wait that long first: a render's worker that
//   winds down late.
#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

extern "C" {

static void Log(const char* format, ...) {
    const char* file = getenv("QM_SPY_LOG");
    if (!file) return;
    char line[3 * PATH_MAX];
    va_list args;
    va_start(args, format);
    const int length = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    const int fd = open(file, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return;
    if (length > 0) (void)!write(fd, line, std::min(size_t(length), sizeof line - 1));
    close(fd);
}

int fsync(int fd) {
    static int (*real)(int);
    if (!real) real = reinterpret_cast<int (*)(int)>(dlsym(RTLD_NEXT, "fsync"));
    char link[64], path[PATH_MAX] = "?";
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t n = readlink(link, path, sizeof path - 1);
    if (n > 0) path[n] = 0;
    Log("fsync %s\n", path);
    return real(fd);
}

int rename(const char* from, const char* to) {
    static int (*real)(const char*, const char*);
    if (!real) real = reinterpret_cast<int (*)(const char*, const char*)>(dlsym(RTLD_NEXT, "rename"));
    Log("rename %s %s\n", from, to);
    return real(from, to);
}

int unlink(const char* path) {
    static int (*real)(const char*);
    static int slowed;
    if (!real) real = reinterpret_cast<int (*)(const char*)>(dlsym(RTLD_NEXT, "unlink"));
    const char* wait = getenv("QM_SPY_SLOW_PART_REMOVAL");
    const size_t length = strlen(path);
    if (wait && !slowed && gettid() != getpid() && length > 5 && strcmp(path + length - 5, ".part") == 0) {
        slowed = 1;
        sleep(unsigned(atoi(wait)));
    }
    return real(path);
}

} // extern "C"

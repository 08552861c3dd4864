// The file operations of the program, with the switch a test uses to make one of them fail.
#include "platform/file_operations.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx::file_ops {
namespace {

struct Fault {
    uint64_t failAt = 0; // 0: none
    int error = 0;
    bool sticky = false;
    uint64_t calls = 0;
    bool fired = false;
};

Fault& TheFault() {
    static Fault fault;
    return fault;
}

// True when this call is to fail (errno is then set).
bool Failing() {
    Fault& f = TheFault();
    ++f.calls;
    if (f.failAt == 0 || f.calls < f.failAt || (f.calls > f.failAt && !f.sticky))
        return false;
    f.fired = true;
    errno = f.error;
    return true;
}

} // namespace

int Open(const char* path, int flags, mode_t mode) {
    return Failing() ? -1 : ::open(path, flags, mode);
}

int MakeTemporary(char* pattern, int flags) {
    return Failing() ? -1 : ::mkostemp(pattern, flags);
}

ssize_t Write(int fd, const void* data, size_t size) {
    return Failing() ? -1 : ::write(fd, data, size);
}

int Sync(int fd) {
    return Failing() ? -1 : ::fsync(fd);
}

int Truncate(int fd, off_t size) {
    return Failing() ? -1 : ::ftruncate(fd, size);
}

int Rename(const char* from, const char* to) {
    return Failing() ? -1 : ::rename(from, to);
}

int Link(const char* from, const char* to) {
    return Failing() ? -1 : ::link(from, to);
}

int Unlink(const char* path) {
    return Failing() ? -1 : ::unlink(path);
}

int MakeFolder(const char* path, mode_t mode) {
    return Failing() ? -1 : ::mkdir(path, mode);
}

void Arm(uint64_t n, int error, bool sticky) {
    TheFault() = Fault{n, error, sticky, 0, false};
}

uint64_t CallsSinceArm() {
    return TheFault().calls;
}

bool Fired() {
    return TheFault().fired;
}

} // namespace vx::file_ops

// Reading the files the program takes in whole (registry files, hives), which must be regular files.
#include "platform/regular_file.h"

#include "platform/large_pages.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

std::string NotRegular(mode_t mode) {
    const char* kind = S_ISDIR(mode)                    ? "a folder"
                       : S_ISFIFO(mode)                 ? "a named pipe"
                       : S_ISCHR(mode) || S_ISBLK(mode) ? "a device"
                       : S_ISSOCK(mode)                 ? "a socket"
                                                        : "something other than a file";
    return std::string("it is ") + kind + ", not a regular file";
}

// Opens the regular file for reading, or says why not. The kind is looked at before the open, so that
// no device is opened, and again on the open descriptor, in case the name was replaced in between; the
// open never waits (on a named pipe without a writer, say).
int OpenRegular(const std::filesystem::path& path, RegularFile& result, std::string& why) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        const int err = errno;
        struct stat link {};
        if (err == ENOENT && ::lstat(path.c_str(), &link) != 0) {
            result = RegularFile::Missing;
            return -1;
        }
        why = err == ENOENT ? "it is a symbolic link to a file that does not exist" : std::strerror(err);
        result = RegularFile::Refused;
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        why = NotRegular(st.st_mode);
        result = RegularFile::Refused;
        return -1;
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        result = RegularFile::Refused;
        return -1;
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        why = NotRegular(st.st_mode);
        ::close(fd);
        result = RegularFile::Refused;
        return -1;
    }
    result = RegularFile::Ok;
    return fd;
}

} // namespace

RegularFile CheckRegularFile(const std::filesystem::path& path, std::string& why) {
    RegularFile result = RegularFile::Refused;
    if (const int fd = OpenRegular(path, result, why); fd >= 0)
        ::close(fd);
    return result;
}

RegularFile ReadRegularFile(const std::filesystem::path& path, std::string& text, std::string& why) {
    RegularFile result = RegularFile::Refused;
    const int fd = OpenRegular(path, result, why);
    if (fd < 0)
        return result;
    // Read straight into the text, sized by the file with a byte to spare, so that finding the end needs
    // no growing when the size was right.
    struct stat st {};
    const size_t size = ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<size_t>(st.st_size) + 1 : 4096;
    text.reserve(size);
    AskForLargePages(text.data(), size);
    text.resize(size);
    size_t used = 0;
    for (;;) {
        if (used == text.size())
            text.resize(text.size() * 2);
        const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
        if (got > 0) {
            used += static_cast<size_t>(got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            why = std::strerror(errno);
            result = RegularFile::Refused;
        }
        break;
    }
    text.resize(used);
    ::close(fd);
    return result;
}

} // namespace vx

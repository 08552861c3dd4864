// Plain reads and writes of the program's own host files, safe against interruptions and links.
#include "platform/host_file_io.h"

#include "platform/dos_attributes.h"
#include "platform/file_operations.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace vx {

int WriteAll(int fd, std::string_view bytes) {
    // A write of tens of megabytes at once costs Linux several times what the same bytes cost in writes
    // of a few hundred kilobytes (it fills the page cache in large pieces, which it must find first).
    constexpr size_t kMostAtOnce = size_t{1} << 18;
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t size = std::min(bytes.size() - done, kMostAtOnce);
        const ssize_t n = file_ops::Write(fd, bytes.data() + done, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        done += static_cast<size_t>(n);
    }
    return 0;
}

std::optional<std::string> ReadRegularFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::string bytes;
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    char buffer[65536];
    while (ok) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok ? std::optional<std::string>(std::move(bytes)) : std::nullopt;
}

int AppendSynced(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = file_ops::Open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return EINVAL;
    }
    int err = WriteAll(fd, bytes);
    if (err == 0 && file_ops::Sync(fd) != 0)
        err = errno;
    if (err != 0 && file_ops::Truncate(fd, st.st_size) == 0)
        file_ops::Sync(fd);
    if (::close(fd) != 0 && err == 0)
        err = errno;
    return err;
}

int CreateSynced(const std::filesystem::path& file, std::string_view bytes) {
    const int fd = file_ops::Open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    int err = WriteAll(fd, bytes);
    if (err == 0 && file_ops::Sync(fd) != 0)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err != 0)
        ::unlink(file.c_str()); // its own new file, whatever else fails
    return err;
}

void KeepAttributesOf(const std::filesystem::path& from, const std::filesystem::path& to) {
    struct stat source {};
    struct stat made {};
    if (::lstat(from.c_str(), &source) != 0 || !S_ISREG(source.st_mode) || ::lstat(to.c_str(), &made) != 0 ||
        !S_ISREG(made.st_mode))
        return;
    if (::lchown(to.c_str(), source.st_uid, source.st_gid) != 0) {
        // Keeping the owner needs privileges the program rarely has; the mode is what matters.
    }
    ::chmod(to.c_str(), source.st_mode & 07777);
    char attributes[65];
    const ssize_t length = ::lgetxattr(from.c_str(), detail::kDosAttribName, attributes, sizeof attributes);
    if (length > 0)
        ::lsetxattr(to.c_str(), detail::kDosAttribName, attributes, static_cast<size_t>(length), 0);
}

ExclusiveFileLock::ExclusiveFileLock(const std::filesystem::path& lockFile) {
    const int fd = ::open(lockFile.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::flock(fd, LOCK_EX);
    handle_ = fd;
}

ExclusiveFileLock::~ExclusiveFileLock() {
    if (handle_ >= 0)
        ::close(static_cast<int>(handle_)); // the lock goes with it
}

int RemoveFile(const std::filesystem::path& file) {
    return file_ops::Unlink(file.c_str()) == 0 ? 0 : errno;
}

void TruncateSynced(const std::filesystem::path& file, uintmax_t size) {
    const int fd = file_ops::Open(file.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return;
    if (file_ops::Truncate(fd, static_cast<off_t>(size)) == 0)
        file_ops::Sync(fd);
    ::close(fd);
}

std::optional<HostFileStamp> StampHostFile(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return std::nullopt;
    return HostFileStamp{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                         static_cast<uint64_t>(st.st_size), st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

} // namespace vx

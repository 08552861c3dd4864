// Replacing a file so that an interruption leaves either the old file or the new one, never a mix.
#include "platform/atomic_file.h"

#include "platform/file_operations.h"
#include "platform/host_file_io.h"

#include <cassert>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

// Temporary files are named ".<file>.vx-<pid>-XXXXXX" after the file they replace and the process
// writing them, which holds a lock on the file while it writes; earlier versions named them
// ".<file>.vx-XXXXXX".
std::string TemporaryPrefix(const std::filesystem::path& target) {
    return "." + target.filename().string() + ".vx-";
}

// The writer's process id in a temporary file's name (after its prefix); 0 when the name has none.
pid_t WriterOf(std::string_view rest) {
    const size_t dash = rest.find('-');
    if (dash == std::string_view::npos || dash == 0 || dash > 9)
        return 0;
    pid_t pid = 0;
    for (const char c : rest.substr(0, dash)) {
        if (c < '0' || c > '9')
            return 0;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

bool Alive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Removes the temporary files that saves of `target` left behind when they died: those whose writer is
// gone and whose lock nobody holds. One another process is writing (its writer alive, or its lock held,
// as it is from the moment it is made) is never touched.
void RemoveDeadTemporaries(const std::filesystem::path& dir, const std::filesystem::path& target) {
    const std::string prefix = TemporaryPrefix(target);
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return;
    const int dirFd = ::dirfd(d);
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name = e->d_name;
        if (!name.starts_with(prefix))
            continue;
        const pid_t writer = WriterOf(name.substr(prefix.size()));
        if (writer != 0 && Alive(writer))
            continue;
        const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        struct stat named {};
        // The lock shows that no writer is at work; the name must still be the file locked.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
            ::fstatat(dirFd, e->d_name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev)
            ::unlinkat(dirFd, e->d_name, 0);
        ::close(fd);
    }
    ::closedir(d);
}

} // namespace

namespace {

void SyncFolder(const std::filesystem::path& dir) {
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
}

} // namespace

FileReplacement::~FileReplacement() {
    if (committed_)
        Finish();
    else
        Abandon();
}

void FileReplacement::Abandon() {
    if (fd_ >= 0) {
        ::unlink(temp_.c_str());
        ::close(fd_);
        fd_ = -1;
    }
}

int FileReplacement::Prepare(const std::filesystem::path& path,
                             const std::function<int(int fd, const std::string& tempPath)>& fill) {
    namespace fs = std::filesystem;
    assert(fd_ < 0 && !committed_);
    std::error_code ec;
    target_ = path;
    struct stat standing {};
    if (!followLink_ && ::lstat(target_.c_str(), &standing) == 0 && !S_ISREG(standing.st_mode))
        return S_ISLNK(standing.st_mode) ? ELOOP : S_ISDIR(standing.st_mode) ? EISDIR : EINVAL;
    if (followLink_ && fs::is_symlink(target_, ec))
        target_ = fs::canonical(target_, ec);
    dir_ = target_.parent_path();
    if (dir_.empty())
        dir_ = ".";
    RemoveDeadTemporaries(dir_, target_);
    temp_ = (dir_ / (TemporaryPrefix(target_) + std::to_string(::getpid()) + "-XXXXXX")).string();
    const int created = file_ops::MakeTemporary(temp_.data(), O_CLOEXEC);
    if (created < 0)
        return errno;
    // Held until the file is renamed or removed, so that no other save takes it for a dead one's.
    ::flock(created, LOCK_EX | LOCK_NB);
    fd_ = created;
    auto fail = [&](int err) {
        Abandon();
        return err;
    };
    if (const int err = fill(created, temp_); err != 0)
        return fail(err);
    // Opened again: a writer given the path may have replaced the file's contents behind the descriptor.
    const int fd = file_ops::Open(temp_.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    ::close(created);
    fd_ = fd;
    ::flock(fd, LOCK_EX | LOCK_NB);
    struct stat st {};
    existed_ = (followLink_ ? ::stat(target_.c_str(), &st) : ::lstat(target_.c_str(), &st)) == 0;
    if (existed_) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Keeping the owner needs privileges the program rarely has; the mode is what matters.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (file_ops::Sync(fd) != 0)
        return fail(errno);
    return 0;
}

int FileReplacement::PrepareAndLink(const std::filesystem::path& path,
                                    const std::function<int(int fd, const std::string& tempPath)>& fill) {
    if (const int err = Prepare(path, fill); err != 0)
        return err;
    // A link fails where a name is taken, unlike a rename, which replaces it.
    const int err = file_ops::Link(temp_.c_str(), target_.c_str()) == 0 ? 0 : errno;
    Abandon(); // the temporary name goes; the file stays under its new one
    if (err == 0)
        SyncFolder(dir_);
    return err;
}

int FileReplacement::Commit(const std::function<int()>& beforeRename) {
    assert(fd_ >= 0 && !committed_);
    if (beforeRename)
        if (const int err = beforeRename(); err != 0) {
            Abandon();
            return err;
        }
    // The old file stays reachable under a name of this process's until the whole save is done.
    if (existed_) {
        old_ = temp_ + "-old";
        ::unlink(old_.c_str());
        if (file_ops::Link(target_.c_str(), old_.c_str()) != 0) {
            const int err = errno;
            old_.clear();
            Abandon();
            return err;
        }
    }
    if (file_ops::Rename(temp_.c_str(), target_.c_str()) != 0) {
        const int err = errno;
        if (!old_.empty())
            ::unlink(old_.c_str());
        old_.clear();
        Abandon();
        return err;
    }
    ::close(fd_);
    fd_ = -1;
    committed_ = true;
    SyncFolder(dir_);
    return 0;
}

int FileReplacement::Rollback() {
    assert(committed_);
    int err = 0;
    if (!old_.empty())
        err = file_ops::Rename(old_.c_str(), target_.c_str()) == 0 ? 0 : errno;
    else if (!existed_)
        err = file_ops::Unlink(target_.c_str()) == 0 ? 0 : errno;
    if (err == 0) {
        old_.clear();
        committed_ = false;
        SyncFolder(dir_);
    }
    return err;
}

void FileReplacement::Finish() {
    if (!old_.empty()) {
        ::unlink(old_.c_str());
        old_.clear();
        SyncFolder(dir_);
    }
    committed_ = false;
}

namespace {

int ReplaceThrough(FileReplacement& replacement, const std::filesystem::path& path,
                   const std::function<int(int fd, const std::string& tempPath)>& fill,
                   const std::function<int()>& beforeRename) {
    if (const int err = replacement.Prepare(path, fill); err != 0)
        return err;
    if (const int err = replacement.Commit(beforeRename); err != 0)
        return err;
    replacement.Finish();
    return 0;
}

} // namespace

int ReplaceFileAtomically(const std::filesystem::path& path,
                          const std::function<int(int fd, const std::string& tempPath)>& fill,
                          const std::function<int()>& beforeRename) {
    FileReplacement replacement;
    return ReplaceThrough(replacement, path, fill, beforeRename);
}

int CreateFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    FileReplacement replacement;
    return replacement.PrepareAndLink(path, [&](int fd, const std::string&) { return WriteAll(fd, bytes); });
}

int ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes) {
    FileReplacement replacement(false);
    return ReplaceThrough(replacement, path, [&](int fd, const std::string&) { return WriteAll(fd, bytes); },
                          {});
}

} // namespace vx

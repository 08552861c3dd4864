// Replacing a file so that an interruption leaves either the old file or the new one, never a mix.
#include "platform/atomic_file.h"

#include "platform/host_file_io.h"

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

int ReplaceFileAtomically(const std::filesystem::path& path,
                          const std::function<int(int fd, const std::string& tempPath)>& fill,
                          const std::function<int()>& beforeRename) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = path;
    if (fs::is_symlink(target, ec))
        target = fs::canonical(target, ec);
    fs::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    RemoveDeadTemporaries(dir, target);
    std::string temp = (dir / (TemporaryPrefix(target) + std::to_string(::getpid()) + "-XXXXXX")).string();
    const int created = ::mkostemp(temp.data(), O_CLOEXEC);
    if (created < 0)
        return errno;
    // Held until the file is renamed or removed, so that no other save takes it for a dead one's.
    ::flock(created, LOCK_EX | LOCK_NB);
    int locked = created;
    auto fail = [&](int err) {
        ::unlink(temp.c_str());
        ::close(locked);
        return err;
    };
    if (const int err = fill(created, temp); err != 0)
        return fail(err);
    // Opened again: a writer given the path may have replaced the file's contents behind the descriptor.
    const int fd = ::open(temp.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(errno);
    ::close(created);
    locked = fd;
    ::flock(fd, LOCK_EX | LOCK_NB);
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        ::fchmod(fd, st.st_mode & 07777);
        if (::fchown(fd, st.st_uid, st.st_gid) != 0) {
            // Keeping the owner needs privileges the program rarely has; the mode is what matters.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(fd, 0666 & ~mask);
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    if (beforeRename)
        if (const int err = beforeRename(); err != 0)
            return fail(err);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        // The data was synced above; a late close error changes nothing on disk.
    }
    if (const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return 0;
}

int ReplaceFileContent(const std::filesystem::path& path, std::string_view bytes) {
    return ReplaceFileAtomically(path, [&](int fd, const std::string&) { return WriteAll(fd, bytes); });
}

} // namespace vx

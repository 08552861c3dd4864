#include "platform/atomic_file.h"

#include "platform/host_file_io.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

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
    std::string temp = (dir / ("." + target.filename().string() + ".vx-XXXXXX")).string();
    const int created = ::mkstemp(temp.data());
    if (created < 0)
        return errno;
    auto fail = [&](int err, int fd) {
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return err;
    };
    if (const int err = fill(created, temp); err != 0)
        return fail(err, created);
    ::close(created);
    // Opened again: a writer given the path may have replaced the file's contents behind the descriptor.
    const int fd = ::open(temp.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(errno, -1);
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
        return fail(errno, fd);
    if (::close(fd) != 0)
        return fail(errno, -1);
    if (beforeRename)
        if (const int err = beforeRename(); err != 0)
            return fail(err, -1);
    if (::rename(temp.c_str(), target.c_str()) != 0)
        return fail(errno, -1);
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

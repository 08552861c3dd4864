// One changing run per target at a time: repair, restore and registry edits hold an exclusive lock on the
// target's folder while they load, change and save, so that two runs never save over each other.
#include "platform/target_lock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vx {
namespace {

// flock on the folder itself: nothing is created inside the target, and a killed run frees it at once.
class FolderLock final : public TargetLock {
  public:
    explicit FolderLock(int fd) : fd_(fd) {}
    ~FolderLock() override { ::close(fd_); }

  private:
    int fd_;
};

} // namespace

std::unique_ptr<TargetLock> LockTargetFolder(const std::filesystem::path& folder, std::string& why) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        why = "cannot open " + folder.string() + ": " + std::strerror(errno);
        return nullptr;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        why = err == EWOULDBLOCK ? "another Vantrelix run is changing " + folder.string() +
                                       "; try again when it has finished"
                                 : "cannot lock " + folder.string() + ": " + std::strerror(err);
        return nullptr;
    }
    return std::make_unique<FolderLock>(fd);
}

std::string CanonicalFolderText(const std::filesystem::path& folder) {
    std::error_code ec;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec).string();
}

} // namespace vx

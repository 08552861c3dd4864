// How much of the disk a folder takes, walked on a stack of our own without following links.
#include "platform/wine/folder_usage.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace vx {
namespace {

class UsageWalk {
  public:
    explicit UsageWalk(dev_t device) : device_(device) {}

    void Count(const struct stat& st) {
        // A file with several names takes its blocks once.
        if (!S_ISDIR(st.st_mode) && st.st_nlink > 1 && !linked_.emplace(st.st_dev, st.st_ino).second)
            return;
        usage_.bytes += static_cast<uint64_t>(st.st_blocks) * 512;
        usage_.lastChange = std::max<int64_t>(usage_.lastChange, st.st_mtim.tv_sec);
    }

    void Walk(const std::filesystem::path& root) {
        std::vector<std::string> pending{root.string()};
        // The folder named may be a link to the prefix; nothing inside it is followed.
        int follow = 0;
        while (!pending.empty()) {
            const std::string folder = std::move(pending.back());
            pending.pop_back();
            const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | follow);
            follow = O_NOFOLLOW;
            DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
            if (!dir) {
                if (fd >= 0)
                    ::close(fd);
                usage_.complete = false;
                continue;
            }
            while (const dirent* entry = ::readdir(dir)) {
                const std::string_view name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                struct stat st {};
                if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
                    usage_.complete = false;
                    continue;
                }
                Count(st);
                if (S_ISDIR(st.st_mode) && st.st_dev == device_)
                    pending.push_back(folder + "/" + entry->d_name);
            }
            ::closedir(dir);
        }
    }

    FolderUsage usage() const { return usage_; }

  private:
    dev_t device_;
    FolderUsage usage_;
    std::set<std::pair<dev_t, ino_t>> linked_;
};

} // namespace

FolderUsage MeasureFolder(const std::filesystem::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return {0, 0, false};
    UsageWalk walk(st.st_dev);
    walk.Count(st);
    walk.Walk(folder);
    return walk.usage();
}

} // namespace vx

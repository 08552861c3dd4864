#pragma once
// The names of host folders kept by their folded form, so that looking up a name in another case does
// not read the whole folder again.
#include <cstddef>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/types.h>
#include <unordered_map>

namespace vx::detail {

// A folder's names by their folded form, for names that are not there with the case given. Without it
// every such lookup reads the whole folder: a scan for broken shortcuts asks for the same missing
// target folder thousands of times, and registry paths rarely match the case on disk. An index serves
// only while the folder's modification and change times are those it was read with; a folder changed
// in the last seconds is not indexed, as a change within the same clock tick (two seconds on FAT)
// would leave those times as they were.
struct FolderIndex {
    dev_t dev = 0;
    ino_t ino = 0;
    struct timespec mtime {};
    struct timespec ctime {};
    std::unordered_map<std::string, std::string> firstByFolded; // the bytewise first name of each
};

// The indexes of the folders looked into, by host folder, holding a bounded number of names in all.
class FolderIndexes {
  public:
    // The current index of `dir`, read now unless the one kept is still current; null when the folder
    // is missing, changed in the last seconds or too large. `dirStat`, when given, is a fresh lstat of
    // `dir`, which spares the index its own.
    const FolderIndex* IndexOf(const std::string& dir, const struct stat* dirStat = nullptr);
    // The index kept for `dir` (looked up by a part of a longer path, without copying it out), current
    // or not.
    const FolderIndex* Kept(std::string_view dir) const {
        const auto kept = indexes_.find(dir);
        return kept == indexes_.end() ? nullptr : &kept->second;
    }
    bool empty() const { return indexes_.empty(); }

  private:
    static constexpr time_t kSettledSeconds = 2;
    static constexpr size_t kMaxIndexedNames = 200000;

    struct FolderHash {
        using is_transparent = void;
        size_t operator()(std::string_view folder) const { return std::hash<std::string_view>{}(folder); }
    };
    std::unordered_map<std::string, FolderIndex, FolderHash, std::equal_to<>> indexes_;
    size_t indexedNames_ = 0;
};

} // namespace vx::detail

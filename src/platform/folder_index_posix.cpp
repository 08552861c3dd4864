// Folder indexes: each folder's names by their folded form, kept while the folder's times show it
// unchanged, within a bound on the names kept in all.
#include "platform/folder_index.h"

#include "platform/folder_listing.h"
#include "platform/host_path.h"
#include "platform/text.h"

#include <time.h>
#include <vector>

namespace vx::detail {
namespace {

bool SameTime(const struct timespec& a, const struct timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

const FolderIndex* FolderIndexes::IndexOf(const std::string& dir, const struct stat* dirStat) {
    struct stat st {};
    if (dirStat && S_ISDIR(dirStat->st_mode))
        st = *dirStat; // an lstat that found a folder, not a link to one
    else if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return nullptr;
    if (auto kept = indexes_.find(dir); kept != indexes_.end()) {
        const FolderIndex& index = kept->second;
        if (index.dev == st.st_dev && index.ino == st.st_ino && SameTime(index.mtime, st.st_mtim) &&
            SameTime(index.ctime, st.st_ctim))
            return &index;
        indexedNames_ -= index.firstByFolded.size();
        indexes_.erase(kept);
    }
    struct timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (st.st_mtim.tv_sec > now.tv_sec - kSettledSeconds || st.st_ctim.tv_sec > now.tv_sec - kSettledSeconds)
        return nullptr;
    // Read after the stat above: a change made meanwhile gives the folder newer times than the index.
    std::vector<std::string> names;
    if (ReadFolderNames(dir, names) != Lookup::Found || names.size() > kMaxIndexedNames)
        return nullptr;
    if (indexedNames_ + names.size() > kMaxIndexedNames) {
        indexes_.clear();
        indexedNames_ = 0;
    }
    FolderIndex index{st.st_dev, st.st_ino, st.st_mtim, st.st_ctim, {}};
    index.firstByFolded.reserve(names.size());
    for (std::string& n : names) {
        auto [slot, added] = index.firstByFolded.try_emplace(FoldCase(n), n);
        if (!added && n < slot->second)
            slot->second = std::move(n);
    }
    indexedNames_ += index.firstByFolded.size();
    return &indexes_.insert_or_assign(dir, std::move(index)).first->second;
}

} // namespace vx::detail

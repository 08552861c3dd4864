// Reading host folders: every name at once, or every entry with its folder bit, seeing only what a
// Windows program would see; and the search that describes each entry as it is handed out.
#include "platform/folder_listing.h"

#include "platform/dos_attributes.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>

namespace vx::detail {
namespace {

// The folder bit of an entry, from its directory entry type where that tells enough; nothing for entries
// a listing leaves out (as DescribeEntry). Stats are made relative to the open folder, so the kernel does
// not walk the whole path again. `searchable` turns true once a stat in the folder has succeeded: until
// then even plain files are stat-ed, since a folder that can be read but not searched lists nothing.
std::optional<uint32_t> FolderBitOf(int folderFd, const dirent& e, std::optional<dev_t> rootDev,
                                    bool& searchable) {
    const bool plain = e.d_type == DT_REG || (e.d_type == DT_DIR && !rootDev);
    if (plain && searchable)
        return e.d_type == DT_DIR ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (e.d_type != DT_REG && e.d_type != DT_DIR && e.d_type != DT_LNK && e.d_type != DT_UNKNOWN)
        return std::nullopt; // devices, pipes, sockets
    struct stat st {};
    if (fstatat(folderFd, e.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    searchable = true;
    bool folderAllowed = true;
    if (S_ISLNK(st.st_mode)) {
        if (fstatat(folderFd, e.d_name, &st, 0) != 0)
            return std::nullopt;
        folderAllowed = false;
    }
    if (S_ISDIR(st.st_mode))
        return folderAllowed && (!rootDev || st.st_dev == *rootDev) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (S_ISREG(st.st_mode))
        return 0;
    return std::nullopt;
}

} // namespace

Lookup ReadFolderNames(const std::string& dir, std::vector<std::string>& names) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return (errno == ENOENT || errno == ENOTDIR) ? Lookup::NotFound : Lookup::Failed;
    while (dirent* e = readdir(d)) {
        const std::string_view n = e->d_name;
        if (n != "." && n != "..")
            names.emplace_back(n);
    }
    closedir(d);
    return Lookup::Found;
}

Lookup ReadFolderEntries(const std::string& dir, std::optional<dev_t> rootDev,
                         std::vector<FindData>& entries) {
    DIR* d = opendir(dir.c_str());
    if (!d)
        return (errno == ENOENT || errno == ENOTDIR) ? Lookup::NotFound : Lookup::Failed;
    bool searchable = false;
    while (dirent* e = readdir(d)) {
        const std::string_view n = e->d_name;
        if (n == "." || n == "..")
            continue;
        if (auto folderBit = FolderBitOf(dirfd(d), *e, rootDev, searchable))
            entries.push_back(FindData{std::string(n), *folderBit, 0});
    }
    closedir(d);
    return Lookup::Found;
}

bool HostSearch::FindNextFile(FindData& entry) {
    while (next_ < names_.size()) {
        const std::string& name = names_[next_++];
        if (name == "." || name == "..") {
            entry = FindData{name, FILE_ATTRIBUTE_DIRECTORY, 0};
            return true;
        }
        if (auto info = DescribeEntry(folder_, name, rootDev_, &xattrUnsupported_)) {
            entry = FindData{name, info->attributes, info->size};
            return true;
        }
    }
    return false;
}

} // namespace vx::detail

// Where the program may keep and write its own files on a POSIX host: folders only the user (or root) can
// change, and names that hold regular files.
#include "platform/own_file_guard.h"

#include "platform/utf8_path.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>
#include <vector>

namespace vx {
namespace {

// The account name of a user id, or empty.
std::string AccountName(uid_t uid, gid_t* primaryGroup = nullptr) {
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) != 0 || !found)
        return {};
    if (primaryGroup)
        *primaryGroup = found->pw_gid;
    return found->pw_name ? found->pw_name : "";
}

// Whether a group holds no one but the folder's owner: the owner's own group (as user private groups are,
// named after the user), listing no other member.
bool GroupOfOwnersOwn(gid_t group, uid_t owner) {
    gid_t primary = 0;
    const std::string name = AccountName(owner, &primary);
    if (name.empty() || primary != group)
        return false;
    std::vector<char> buffer(65536);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) != 0 || !found || !found->gr_name ||
        name != found->gr_name)
        return false;
    for (char** member = found->gr_mem; member && *member; ++member)
        if (name != *member)
            return false;
    return true;
}

bool UserOrRoot(uid_t uid) {
    return uid == 0 || uid == ::geteuid();
}

std::string Quoted(const std::filesystem::path& path) {
    return "\"" + PathUtf8(path) + "\"";
}

} // namespace

std::string WhyNotOwnFolder(const std::filesystem::path& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0)
        return {}; // made by the program when it is needed, then its own
    if (!S_ISDIR(st.st_mode))
        return "The folder " + Quoted(folder) + " is not a folder; choose a folder of your own.";
    if (!UserOrRoot(st.st_uid)) {
        const std::string owner = AccountName(st.st_uid);
        return "The folder " + Quoted(folder) + " belongs to another user (" +
               (owner.empty() ? std::to_string(st.st_uid) : owner) + "); choose a folder of your own.";
    }
    const bool sticky = (st.st_mode & S_ISVTX) != 0;
    const bool othersWrite = (st.st_mode & S_IWOTH) != 0 ||
                             ((st.st_mode & S_IWGRP) != 0 && !GroupOfOwnersOwn(st.st_gid, st.st_uid));
    if (othersWrite && !sticky)
        return "The folder " + Quoted(folder) +
               " can be written by other users (and has no sticky bit); choose a folder of your own.";
    return {};
}

std::string WhyNotOwnFile(const std::filesystem::path& file) {
    struct stat st {};
    if (::lstat(file.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    if (S_ISLNK(st.st_mode))
        return Quoted(file) +
               " is a symbolic link; the program never writes its files through one, and left it as it is.";
    return Quoted(file) +
           " is not a regular file (a folder, a pipe or a device); the program left it as it is.";
}

bool IsOwnFolderEntry(const std::filesystem::path& entry) {
    struct stat st {};
    return ::lstat(entry.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && UserOrRoot(st.st_uid);
}

bool BelongsToUserOrRoot(const std::filesystem::path& entry) {
    struct stat st {};
    return ::lstat(entry.c_str(), &st) == 0 && UserOrRoot(st.st_uid);
}

} // namespace vx

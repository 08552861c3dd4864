// The registry of a Wine prefix: system.reg is HKEY_LOCAL_MACHINE, user.reg is HKEY_CURRENT_USER (and
// HKEY_USERS\<the user's SID>), userdef.reg is HKEY_USERS\.Default. A missing file is an empty key.
#include "platform/wine/wine_registry.h"

#include "platform/save_together.h"
#include "platform/wine/wine_server.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {
namespace {

// The SID Wine gives the prefix's user; its user.reg names it in its "relative to" line.
constexpr std::string_view kDefaultSid = "S-1-5-21-0-0-0-1000";

// Empty when the file can be replaced; otherwise why not, in one line.
std::string WhyNotReplaceable(const std::filesystem::path& file) {
    const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
    if (::access(dir.c_str(), W_OK) != 0)
        return "cannot write " + file.string() + ": " + std::strerror(errno);
    if (::access(file.c_str(), F_OK) == 0 && ::access(file.c_str(), W_OK) != 0)
        return "cannot write " + file.string() + ": " + std::strerror(errno);
    return {};
}

} // namespace

// A folder holding any of a prefix's own entries (whatever they turn out to be) is taken for one.
bool IsWinePrefix(const std::filesystem::path& folder) {
    for (const char* entry : {"system.reg", "user.reg", "drive_c"}) {
        std::error_code ec;
        if (std::filesystem::symlink_status(folder / entry, ec).type() !=
                std::filesystem::file_type::not_found &&
            !ec)
            return true;
    }
    return false;
}

WineRegistry::FileStamp WineRegistry::StampOf(const std::filesystem::path& file) {
    struct stat st {};
    if (::stat(file.c_str(), &st) != 0)
        return {};
    return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim.tv_sec, st.st_mtim.tv_nsec};
}

std::filesystem::path DefaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix)
        return prefix;
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home ? home : "") / ".wine";
}

std::unique_ptr<WineRegistry> OpenWineRegistry(const std::filesystem::path& prefix, std::string& why,
                                               std::vector<std::string>& warnings) {
    std::error_code ec;
    if (!std::filesystem::is_directory(prefix, ec)) {
        why = prefix.string() + ": " +
              (std::filesystem::exists(prefix, ec) ? "not a folder, so not a Wine prefix"
                                                   : "no such Wine prefix folder");
        return nullptr;
    }
    // Anything else would be scanned as an empty registry, and a change would make a system.reg in it.
    if (!IsWinePrefix(prefix)) {
        why = prefix.string() + ": not a Wine prefix (it has no system.reg, user.reg or drive_c)";
        return nullptr;
    }
    auto registry = std::unique_ptr<WineRegistry>(new WineRegistry());
    registry->prefix_ = prefix;
    registry->machine_ = WineRegFile::Load(prefix / "system.reg", "REGISTRY\\Machine", why, warnings);
    if (!registry->machine_)
        return nullptr;
    registry->user_ =
        WineRegFile::Load(prefix / "user.reg", "REGISTRY\\User\\" + std::string(kDefaultSid), why, warnings);
    if (!registry->user_)
        return nullptr;
    registry->defaultUser_ =
        WineRegFile::Load(prefix / "userdef.reg", "REGISTRY\\User\\.Default", why, warnings);
    if (!registry->defaultUser_)
        return nullptr;

    std::string sid(kDefaultSid);
    const std::string& relative = registry->user_->RelativeTo();
    if (const size_t cut = relative.find_last_of('\\'); cut != std::string::npos && cut + 1 < relative.size())
        sid = relative.substr(cut + 1);

    for (WineRegFile* file :
         {registry->machine_.get(), registry->user_.get(), registry->defaultUser_.get()}) {
        const std::string whyNot = WhyNotReplaceable(file->Path());
        file->SetWritable(whyNot.empty(), whyNot);
        registry->stamps_.push_back(WineRegistry::StampOf(file->Path()));
    }
    RegistryStore& names = registry->names_;
    names.SetWritable(true);
    RegKeyNode* users = names.CreateSubkey(*names.Root(), "User");
    names.Mount(*names.Root(), *registry->machine_->Root(), "Machine");
    names.Mount(*users, *registry->user_->Root(), sid);
    names.Mount(*users, *registry->defaultUser_->Root(), ".Default");
    registry->Attach(*names.Root(), sid);
    return registry;
}

bool WineRegistry::CanWrite(std::string& why) const {
    std::string socket;
    if (WineServerRunning(prefix_, &socket, serverRoot_)) {
        why = "Wine is running in " + prefix_.string() +
              " (its server would overwrite the registry files when it exits); close its programs or run "
              "'WINEPREFIX=" +
              prefix_.string() + " wineserver -k', then try again";
        return false;
    }
    return true;
}

Status WineRegistry::Flush() {
    lastError_.clear();
    wroteNothing_ = true;
    WineRegFile* files[] = {machine_.get(), user_.get(), defaultUser_.get()};
    bool changed = false;
    for (WineRegFile* file : files)
        changed |= file->Changed();
    if (!changed)
        return ERROR_SUCCESS;
    if (!CanWrite(lastError_))
        return ERROR_SHARING_VIOLATION;
    // Saving over a file someone else wrote since it was read would drop their changes.
    for (size_t i = 0; i < std::size(files); ++i) {
        if (files[i]->Changed() && !(StampOf(files[i]->Path()) == stamps_[i])) {
            lastError_ = files[i]->Path().string() +
                         " was changed by another program since it was read; nothing was saved (scan again)";
            return ERROR_CANTWRITE;
        }
    }
    std::vector<WineRegFile*> changedFiles;
    for (WineRegFile* file : files)
        if (file->Changed())
            changedFiles.push_back(file);
    const bool saved = SaveTogether(changedFiles, lastError_, wroteNothing_);
    for (size_t i = 0; i < std::size(files); ++i)
        if (std::find(changedFiles.begin(), changedFiles.end(), files[i]) != changedFiles.end() &&
            !files[i]->Changed())
            stamps_[i] = StampOf(files[i]->Path()); // saved: what a later save compares with
    if (!saved)
        return ERROR_CANTWRITE;
    return ERROR_SUCCESS;
}

} // namespace vx

// The registry of an offline Windows installation, arranged from its hive files as Windows arranges it.
#include "platform/hive/hive_registry.h"

#include "platform/save_together.h"
#include "platform/utf16.h"

#include <cstdio>
#include <cstring>

namespace vx {
namespace {

// HKEY_CURRENT_USER of a volume without a user: a name no key below HKEY_USERS can have (a user
// folder's name never holds a NUL).
const std::string kNoUser(1, '\0');

std::unique_ptr<HiveFile> LoadIfThere(const std::filesystem::path& path, std::string& why,
                                      std::vector<std::string>& warnings) {
    if (path.empty())
        return nullptr;
    return HiveFile::Load(path, why, warnings);
}

// The number of the control set Windows boots with, from SYSTEM\Select "Current"; 0 when not recorded.
uint32_t CurrentControlSet(const HiveFile& system) {
    const RegKeyNode* select = system.FindSubkey(*system.Root(), "Select");
    const RegValueRecord* current = select ? system.FindValue(*select, "Current") : nullptr;
    if (!current || current->type() != REG_DWORD || current->data().size() != 4)
        return 0;
    uint32_t n = 0;
    std::memcpy(&n, current->data().data(), 4); // little-endian on disk and here
    return n;
}

} // namespace

void HiveRegistry::Link(RegKeyNode& parent, std::string_view name, std::string_view target) {
    auto link = std::make_unique<RegistryStore>(RegistryStore::ValueOrder::Sorted);
    link->Root()->link = true;
    link->SetValue(*link->Root(), "SymbolicLinkValue", REG_LINK, Utf8ToUtf16(target));
    link->SetWritable(false);
    parent.store->Mount(parent, *link->Root(), name);
    links_.push_back(std::move(link));
}

std::unique_ptr<HiveRegistry> OpenHiveRegistry(const HiveLocations& hives, std::string& why,
                                               std::vector<std::string>& warnings) {
    auto registry = std::unique_ptr<HiveRegistry>(new HiveRegistry());
    auto load = [&](const std::filesystem::path& path, std::unique_ptr<HiveFile>& slot) {
        if (path.empty())
            return true;
        slot = LoadIfThere(path, why, warnings);
        return slot != nullptr;
    };
    if (!load(hives.software, registry->software_) || !load(hives.system, registry->system_) ||
        !load(hives.user, registry->user_) || !load(hives.userClasses, registry->classes_))
        return nullptr;

    RegistryStore& names = registry->names_;
    RegKeyNode* machine = names.CreateSubkey(*names.Root(), "Machine");
    RegKeyNode* users = names.CreateSubkey(*names.Root(), "User");
    if (HiveFile* software = registry->software_.get())
        names.Mount(*machine, *software->Root(), "SOFTWARE");
    if (HiveFile* system = registry->system_.get()) {
        names.Mount(*machine, *system->Root(), "SYSTEM");
        // CurrentControlSet is volatile on Windows, so a hive file never holds it.
        if (const uint32_t current = CurrentControlSet(*system);
            current != 0 && !system->FindSubkey(*system->Root(), "CurrentControlSet")) {
            char target[64];
            std::snprintf(target, sizeof target, "\\Registry\\Machine\\SYSTEM\\ControlSet%03u", current);
            registry->Link(*system->Root(), "CurrentControlSet", target);
        } else if (current == 0) {
            warnings.push_back(hives.system.string() +
                               ": no Select\\Current value, so HKLM\\SYSTEM\\CurrentControlSet is missing");
        }
    }
    std::string userKey(kNoUser);
    if (HiveFile* user = registry->user_.get()) {
        userKey = hives.userName;
        names.Mount(*users, *user->Root(), userKey);
        if (HiveFile* classes = registry->classes_.get()) {
            const std::string classesKey = userKey + "_Classes";
            names.Mount(*users, *classes->Root(), classesKey);
            RegKeyNode* software = user->FindSubkey(*user->Root(), "Software");
            if (software && !user->FindSubkey(*software, "Classes"))
                registry->Link(*software, "Classes", "\\Registry\\User\\" + classesKey);
        }
    }
    registry->Attach(*names.Root(), userKey);
    return registry;
}

std::vector<HiveFile*> HiveRegistry::Hives() const {
    std::vector<HiveFile*> hives;
    for (HiveFile* hive : {software_.get(), system_.get(), user_.get(), classes_.get()})
        if (hive)
            hives.push_back(hive);
    return hives;
}

bool HiveRegistry::CanWrite(std::string& why) const {
    for (HiveFile* hive : Hives()) {
        if (!hive->ReadOnlyReason().empty()) {
            why = hive->ReadOnlyReason();
            return false;
        }
    }
    return true;
}

Status HiveRegistry::Flush() {
    lastError_.clear();
    wroteNothing_ = true;
    bool changed = false;
    for (HiveFile* hive : Hives())
        changed |= hive->Changed();
    if (!changed)
        return ERROR_SUCCESS;
    if (!CanWrite(lastError_))
        return ERROR_ACCESS_DENIED;
    std::vector<HiveFile*> changedHives;
    for (HiveFile* hive : Hives())
        if (hive->Changed())
            changedHives.push_back(hive);
    return SaveTogether(changedHives, lastError_, wroteNothing_) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

} // namespace vx

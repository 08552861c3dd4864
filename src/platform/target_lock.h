#pragma once
// One changing run per target at a time: repair, restore and registry edits hold an exclusive lock on the
// target's folder while they load, change and save, so that two runs never save over each other.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vx {

// Held while it lives; released when destroyed (and by the kernel when the process dies).
class TargetLock {
  public:
    virtual ~TargetLock() = default;
};

// Takes the lock on `folder` without waiting. Null with `why` set (one sentence) when another run holds
// it or the folder cannot be opened.
std::unique_ptr<TargetLock> LockTargetFolder(const std::filesystem::path& folder, std::string& why);

// Windows builds only: takes the lock called `name` for the whole machine (a named mutex, freed by
// Windows when its holder dies) without waiting. Null when another process holds it (`busy`) or it cannot
// be made (`error`: the Windows error code).
std::unique_ptr<TargetLock> LockByName(std::string_view name, bool& busy, uint32_t& error);

// A folder as a target names it in its identity: absolute, links resolved, so that every way of naming
// the same folder gives the same text.
std::string CanonicalFolderText(const std::filesystem::path& folder);

} // namespace vx

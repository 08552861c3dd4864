#pragma once
// One changing run per target at a time: repair, restore and registry edits hold an exclusive lock on the
// target's folder while they load, change and save, so that two runs never save over each other.
#include <filesystem>
#include <memory>
#include <string>

namespace vx {

// Held while it lives; released when destroyed (and by the kernel when the process dies).
class TargetLock {
  public:
    virtual ~TargetLock() = default;
};

// Takes the lock on `folder` without waiting. Null with `why` set (one sentence) when another run holds
// it or the folder cannot be opened.
std::unique_ptr<TargetLock> LockTargetFolder(const std::filesystem::path& folder, std::string& why);

// A folder as a target names it in its identity: absolute, links resolved, so that every way of naming
// the same folder gives the same text.
std::string CanonicalFolderText(const std::filesystem::path& folder);

} // namespace vx

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

} // namespace vx

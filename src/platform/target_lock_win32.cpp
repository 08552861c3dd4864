// One changing run per target at a time on Windows: a named mutex for the folder (its canonical path in
// the name), freed by Windows when the process dies.
#include "platform/target_lock.h"

#include "platform/utf8_path.h"

#include <windows.h>

namespace vx {
namespace {

class MutexLock final : public TargetLock {
  public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexLock() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }

  private:
    HANDLE mutex_;
};

} // namespace

std::unique_ptr<TargetLock> LockByName(std::string_view name, bool& busy, uint32_t& error) {
    busy = false;
    error = 0;
    std::wstring wide = Utf8Path(name).wstring();
    for (wchar_t& c : wide)
        if (c == L'\\')
            c = L'/'; // the one character a mutex's name may not hold
    HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
    if (!mutex) {
        error = GetLastError();
        return nullptr;
    }
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED)
        return std::make_unique<MutexLock>(mutex);
    busy = waited == WAIT_TIMEOUT;
    error = busy ? 0 : GetLastError();
    CloseHandle(mutex);
    return nullptr;
}

std::unique_ptr<TargetLock> LockTargetFolder(const std::filesystem::path& folder, std::string& why) {
    bool busy = false;
    uint32_t error = 0;
    auto lock = LockByName("Vantrelix v3.0 changes of " + CanonicalFolderText(folder), busy, error);
    if (!lock)
        why = busy ? "another Vantrelix run is changing " + PathUtf8(folder) +
                         "; try again when it has finished"
                   : "cannot lock " + PathUtf8(folder) + " (error " + std::to_string(error) + ")";
    return lock;
}

std::string CanonicalFolderText(const std::filesystem::path& folder) {
    std::error_code ec;
    return PathUtf8(std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec));
}

} // namespace vx

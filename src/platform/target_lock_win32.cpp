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

std::unique_ptr<TargetLock> LockTargetFolder(const std::filesystem::path& folder, std::string& why) {
    std::wstring name =
        L"Vantrelix v3.0 changes of " + std::filesystem::path(CanonicalFolderText(folder)).wstring();
    for (wchar_t& c : name)
        if (c == L'\\')
            c = L'/'; // the one character a mutex's name may not hold
    HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
    if (!mutex) {
        why = "cannot lock " + PathUtf8(folder) + " (error " + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
        CloseHandle(mutex);
        why = "another Vantrelix run is changing " + PathUtf8(folder) + "; try again when it has finished";
        return nullptr;
    }
    return std::make_unique<MutexLock>(mutex);
}

std::string CanonicalFolderText(const std::filesystem::path& folder) {
    std::error_code ec;
    return PathUtf8(std::filesystem::weakly_canonical(std::filesystem::absolute(folder, ec), ec));
}

} // namespace vx

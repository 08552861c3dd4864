// One program per user: a named mutex and a registered message to the first program's window.
#include "win32gui/single_instance.h"

#include "win32gui/main_window.h"

namespace vx::win32gui {
namespace {

// How long a later start waits for the first's window (the first may still be opening its target).
constexpr int kWaitForWindowMs = 3000;
constexpr int kLookEveryMs = 50;

} // namespace

UINT ComeForwardMessage() {
    static const UINT message = RegisterWindowMessageW(L"Vantrelix v3.0: come forward");
    return message;
}

std::wstring SingleInstance::DefaultName() {
    // "Local\": this session's; the user's name keeps two users of one session apart.
    wchar_t user[257] = {};
    DWORD size = static_cast<DWORD>(std::size(user));
    if (!GetUserNameW(user, &size))
        user[0] = L'\0';
    return std::wstring(L"Local\\Vantrelix v3.0 ") + user;
}

SingleInstance::SingleInstance(std::wstring name)
    : mutex_(CreateMutexW(nullptr, FALSE, name.c_str())), first_(GetLastError() != ERROR_ALREADY_EXISTS) {
    // Without a mutex (no rights, no memory) the program runs as if it were the first.
    if (!mutex_)
        first_ = true;
}

SingleInstance::~SingleInstance() {
    if (mutex_)
        CloseHandle(mutex_);
}

bool SingleInstance::AskRunningToComeForward() const {
    if (first_)
        return false;
    for (int waited = 0; waited <= kWaitForWindowMs; waited += kLookEveryMs) {
        if (HWND running = FindWindowW(kMainWindowClass, nullptr)) {
            DWORD process = 0;
            GetWindowThreadProcessId(running, &process);
            AllowSetForegroundWindow(
                process); // Windows gives the foreground only to whom the user's start allows
            return PostMessageW(running, ComeForwardMessage(), 0, 0) != FALSE;
        }
        Sleep(kLookEveryMs);
    }
    return false;
}

} // namespace vx::win32gui

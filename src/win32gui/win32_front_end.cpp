// Pumping the message queue during long work, and the program's message box.
#include "win32gui/win32_front_end.h"

#include "win32gui/message_box_window.h"
#include "win32gui/modal_loop.h"

namespace vx::win32gui {

Win32FrontEnd::Win32FrontEnd() : lastPump_(std::chrono::steady_clock::now()) {}

void Win32FrontEnd::Yield(App&) {
    const auto waited = std::chrono::steady_clock::now() - lastPump_;
    if (waited < pumpEvery)
        return;
    if (render)
        render();
    longestGap_ = std::max(longestGap_, std::chrono::duration_cast<std::chrono::nanoseconds>(
                                            std::chrono::steady_clock::now() - lastPump_));
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) { // for the outer loop, once the work is over
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        Deliver(message, owner);
    }
    lastPump_ = std::chrono::steady_clock::now();
}

bool Win32FrontEnd::ShowMessageBox(App&, std::string_view message, bool withCancel) {
    if (render)
        render();
    MessageBoxWindow box(owner, std::string(message), withCancel);
    const bool ok = box.Run();
    if (afterModal)
        afterModal();
    lastPump_ = std::chrono::steady_clock::now();
    return ok;
}

void Win32FrontEnd::ResetGaps() {
    longestGap_ = std::chrono::nanoseconds(0);
    lastPump_ = std::chrono::steady_clock::now();
}

} // namespace vx::win32gui

// Modal windows and the delivery of messages with the dialog keys.
#include "win32gui/modal_loop.h"

namespace vx::win32gui {

void Deliver(MSG& message, HWND dialog) {
    // Escape and Enter go to the window as the commands IDCANCEL and IDOK (the focused button decides
    // which for Enter); Tab moves between its controls.
    if (dialog && message.message == WM_KEYDOWN &&
        (message.hwnd == dialog || IsChild(dialog, message.hwnd))) {
        if (message.wParam == VK_ESCAPE) {
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        if (message.wParam == VK_RETURN) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(GetFocus()), BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetFocus()));
            return;
        }
    }
    if (dialog && IsDialogMessageW(dialog, &message))
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void RunModal(HWND window, HWND owner, const std::function<bool()>& done) {
    const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
    if (ownerWasEnabled)
        EnableWindow(owner, FALSE);
    MSG message{};
    while (!done()) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (got < 0)
            break;
        Deliver(message, window);
    }
    if (ownerWasEnabled)
        EnableWindow(owner, TRUE);
    if (owner && IsWindowVisible(owner))
        SetForegroundWindow(owner);
}

} // namespace vx::win32gui

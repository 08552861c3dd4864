// The notification area through Shell_NotifyIconW.
#include "win32gui/tray.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"

#include <shellapi.h>

#include <algorithm>

namespace vx::win32gui {

NOTIFYICONDATAW Win32NotificationArea::Record(std::string_view tip) const {
    NOTIFYICONDATAW record{};
    record.cbSize = sizeof(record);
    record.hWnd = window;
    record.uID = 1;
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = kTrayCallbackMessage;
    record.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    if (!record.hIcon)
        record.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    const std::wstring wide = win32::Wide(tip);
    const size_t length = std::min(wide.size(), std::size(record.szTip) - 1);
    std::copy_n(wide.begin(), length, record.szTip);
    return record;
}

void Win32NotificationArea::Add(std::string_view tip) {
    NOTIFYICONDATAW record = Record(tip);
    Shell_NotifyIconW(NIM_ADD, &record);
}

void Win32NotificationArea::Modify(std::string_view tip) {
    NOTIFYICONDATAW record = Record(tip);
    Shell_NotifyIconW(NIM_MODIFY, &record);
}

void Win32NotificationArea::Delete() {
    NOTIFYICONDATAW record = Record({});
    Shell_NotifyIconW(NIM_DELETE, &record);
}

bool Win32NotificationArea::Available() {
    return FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr;
}

std::optional<RECT> Win32NotificationArea::TaskbarRect() {
    APPBARDATA bar{};
    bar.cbSize = sizeof(bar);
    if (!SHAppBarMessage(ABM_GETTASKBARPOS, &bar) || IsRectEmpty(&bar.rc))
        return std::nullopt;
    return bar.rc;
}

} // namespace vx::win32gui

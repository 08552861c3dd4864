#pragma once
// The notification area on Windows: clsTray's record through Shell_NotifyIconW. The icon's mouse messages
// come back to the main window as kTrayCallbackMessage with the message number in lParam, which the
// window hands to its rules as the X of a mouse movement (in twips), as the tray rules expect.
#include "ui/tray_icon.h"

#include "win32gui/windows_api.h"

#include <shellapi.h>

#include <optional>
#include <string_view>

namespace vx::win32gui {

inline constexpr UINT kTrayCallbackMessage = WM_APP + 10;

class Win32NotificationArea : public NotificationArea {
  public:
    // The window the icon belongs to and whose messages carry its clicks (set once it is made).
    HWND window = nullptr;

    void Add(std::string_view tip) override;
    void Modify(std::string_view tip) override;
    void Delete() override;

    // Whether the taskbar with its notification area runs now (explorer may start late or restart).
    static bool Available();
    // The taskbar's rectangle, when it answers: the edge it stands at is where the pop-up menu rises.
    static std::optional<RECT> TaskbarRect();

  private:
    NOTIFYICONDATAW Record(std::string_view tip) const;
};

} // namespace vx::win32gui

#pragma once
// frmNotification on Windows: the notice that the program goes on in the notification area, with "Do not
// show this message in future." and OK, shown modally. Its rules are FrmNotification's.
#include "ui/notification.h"
#include "win32gui/image_button.h"
#include "win32gui/layout.h"

#include "win32gui/windows_api.h"

#include <memory>
#include <string>

namespace vx::win32gui {

inline constexpr wchar_t kNotificationClass[] = L"VantrelixNotification";
// The ids of the dialog's controls, for the tests that drive it with messages.
inline constexpr int kNoticeMessageId = 10;
inline constexpr int kNoticeCheckId = 600;
inline constexpr int kNoticeLabelId = 601;
inline constexpr int kNoticeOkId = IDOK;

class NotificationDialog {
  public:
    NotificationDialog(HWND owner, App& app, std::string caption, std::string_view message);
    ~NotificationDialog();
    NotificationDialog(const NotificationDialog&) = delete;
    NotificationDialog& operator=(const NotificationDialog&) = delete;

    // Shows the notice until OK (or Escape, or a close) ends it.
    void Run();

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Forward(void (*event)(FrmNotification&));
    void Render();

    FrmNotification rules_;
    HWND owner_;
    HWND window_ = nullptr;
    Layout layout_;
    HWND check_ = nullptr;
    std::unique_ptr<ImageButtonControl> ok_;
    bool closed_ = false;
};

} // namespace vx::win32gui

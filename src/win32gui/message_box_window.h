#pragma once
// FrmMessagebox on screen: a borderless box over its owner with the message and OK (and Cancel), shown
// modally. Its rules are FrmMessagebox's.
#include "ui/message_box_window.h"
#include "win32gui/image_button.h"
#include "win32gui/layout.h"

#include "win32gui/windows_api.h"

#include <memory>
#include <string>

namespace vx::win32gui {

inline constexpr wchar_t kMessageBoxClass[] = L"VantrelixMessageBox";
inline constexpr int kOkId = IDOK;
inline constexpr int kCancelId = IDCANCEL;

class MessageBoxWindow {
  public:
    MessageBoxWindow(HWND owner, std::string message, bool withCancel);
    ~MessageBoxWindow();
    // Shows the box until it is answered: true for OK.
    bool Run();

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void Answer(FrmMessagebox::Answer answer);
    void Render();

    FrmMessagebox rules_;
    HWND owner_;
    HWND window_ = nullptr;
    Layout layout_;
    std::unique_ptr<ImageButtonControl> ok_;
    std::unique_ptr<ImageButtonControl> cancel_;
    FrmMessagebox::Answer answer_ = FrmMessagebox::Answer::None;
};

} // namespace vx::win32gui

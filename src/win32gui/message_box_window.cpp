// The program's message box, drawn natively.
#include "win32gui/message_box_window.h"

#include "platform/win32/wide_text.h"
#include "ui/main_window.h"
#include "win32gui/controls.h"
#include "win32gui/dialog_frame.h"
#include "win32gui/modal_loop.h"
#include "win32gui/window_frame.h"

namespace vx::win32gui {
namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kWidth = kMessageBoxWidth / kTwipsPerPixel;
constexpr int kHeight = 190;
constexpr int kButtonTop = 136;
constexpr int kButtonHeight = 36;
constexpr int kMessageId = 10;

RECT ButtonAt(int leftTwips) {
    const int left = leftTwips / kTwipsPerPixel;
    return {left, kButtonTop, left + kMessageBoxButtonWidth / kTwipsPerPixel, kButtonTop + kButtonHeight};
}

} // namespace

MessageBoxWindow::MessageBoxWindow(HWND owner, std::string message, bool withCancel)
    : rules_(std::move(message), withCancel), owner_(owner) {
    RegisterWindowClass(kMessageBoxClass, Route<MessageBoxWindow>);
    window_ = MakeDialogWindow(kMessageBoxClass, kProductName, owner, kWidth, kHeight, this);
    layout_.Apply(WindowDpi(window_));
    layout_.Add(window_, L"STATIC", rules_.lblMessage(), SS_LEFT | SS_NOPREFIX,
                {24, kStripHeight + 12, kWidth - 24, kButtonTop - 8}, kMessageId);
    ok_ = std::make_unique<ImageButtonControl>(window_, "OK", kOkId,
                                               [this] { rules_.MouseMove(MessageBoxButton::OK), Render(); });
    layout_.Place(ok_->handle(), ButtonAt(rules_.OkLeft()));
    if (rules_.withCancel()) {
        cancel_ = std::make_unique<ImageButtonControl>(
            window_, "Cancel", kCancelId, [this] { rules_.MouseMove(MessageBoxButton::Cancel), Render(); });
        layout_.Place(cancel_->handle(), ButtonAt(kMessageBoxCancelLeft));
    }
}

MessageBoxWindow::~MessageBoxWindow() {
    ok_.reset();
    cancel_.reset();
    if (window_)
        DestroyWindow(window_);
}

bool MessageBoxWindow::Run() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(ok_->handle());
    RunModal(window_, owner_, [this] { return answer_ != FrmMessagebox::Answer::None; });
    ShowWindow(window_, SW_HIDE);
    return answer_ == FrmMessagebox::Answer::OK;
}

void MessageBoxWindow::Answer(FrmMessagebox::Answer answer) {
    if (answer != FrmMessagebox::Answer::None)
        answer_ = answer;
}

void MessageBoxWindow::Render() {
    ok_->SetHighlighted(rules_.buttons()[MessageBoxButton::OK].highlighted);
    if (cancel_)
        cancel_->SetHighlighted(rules_.buttons()[MessageBoxButton::Cancel].highlighted);
}

LRESULT MessageBoxWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        // IDCANCEL without a button's handle is Escape; a button's click or key comes with its handle.
        if (id == IDCANCEL && lParam == 0) {
            Answer(rules_.Escape());
        } else if (id == kOkId || id == kCancelId) {
            const auto button = id == kOkId ? MessageBoxButton::OK : MessageBoxButton::Cancel;
            Answer(rules_.Press(button));
        }
        return 0;
    }
    case WM_CLOSE:
        Answer(rules_.Escape());
        return 0;
    case WM_MOUSEMOVE:
        rules_.Picture1_MouseMove();
        Render();
        return 0;
    case WM_NCHITTEST: // the title strip drags the box
        return HitTestFrame(window, wParam, lParam);
    case WM_DPICHANGED:
        FollowDpiChange(window, layout_, wParam, lParam);
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        (item.CtlID == kOkId ? ok_ : cancel_)->Draw(item);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        return DialogControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
        PaintDialogFrame(window, reinterpret_cast<HDC>(wParam), kProductName);
        return TRUE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace vx::win32gui

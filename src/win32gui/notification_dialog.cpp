// frmNotification on Windows.
#include "win32gui/notification_dialog.h"

#include "win32gui/art_check_box.h"
#include "win32gui/controls.h"
#include "win32gui/dialog_frame.h"
#include "win32gui/modal_loop.h"

namespace vx::win32gui {
namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 220;

} // namespace

NotificationDialog::NotificationDialog(HWND owner, App& app, std::string caption, std::string_view message)
    : rules_(app), owner_(owner) {
    rules_.caption = std::move(caption);
    RegisterWindowClass(kNotificationClass, Route<NotificationDialog>);
    window_ = MakeDialogWindow(kNotificationClass, rules_.caption, owner, kWidth, kHeight, this);
    layout_.Apply(WindowDpi(window_));
    layout_.Add(window_, L"STATIC", message, SS_LEFT | SS_NOPREFIX, {24, kStripHeight + 14, kWidth - 24, 124},
                kNoticeMessageId);
    // The rules decide the box's state: it is not an automatic one.
    check_ =
        layout_.Add(window_, L"BUTTON", "", BS_CHECKBOX | WS_TABSTOP, {24, 134, 44, 154}, kNoticeCheckId);
    DrawCheckBoxFromArt(check_);
    layout_.Add(window_, L"STATIC", kDoNotShowLabel, SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE,
                {48, 132, kWidth - 24, 156}, kNoticeLabelId);
    ok_ = std::make_unique<ImageButtonControl>(window_, "OK", kNoticeOkId, [this] {
        Forward([](FrmNotification& rules) { rules.MouseMove(NotificationButton::OK); });
    });
    layout_.Place(ok_->handle(), {kWidth - 160, kHeight - 52, kWidth - 20, kHeight - 12});
    Render();
}

NotificationDialog::~NotificationDialog() {
    ok_.reset();
    DestroyWindow(window_);
}

void NotificationDialog::Run() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(ok_->handle());
    RunModal(window_, owner_, [this] { return closed_; });
    ShowWindow(window_, SW_HIDE);
}

void NotificationDialog::Forward(void (*event)(FrmNotification&)) {
    event(rules_);
    Render();
}

void NotificationDialog::Render() {
    const WPARAM state = rules_.chkDoNotShowInFuture() == 1 ? BST_CHECKED : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(check_, BM_GETCHECK, 0, 0)) != state)
        SendMessageW(check_, BM_SETCHECK, state, 0);
    ok_->SetHighlighted(rules_.buttons()[NotificationButton::OK].highlighted);
}

LRESULT NotificationDialog::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == kNoticeCheckId && code == BN_CLICKED) {
            Forward(
                [](FrmNotification& rules) { rules.SetCheck(rules.chkDoNotShowInFuture() == 1 ? 0 : 1); });
        } else if (id == kNoticeLabelId && code == STN_CLICKED) {
            Forward([](FrmNotification& rules) { rules.Label1_Click(); });
        } else if (id == kNoticeOkId && code == BN_CLICKED) {
            // A click or Enter/Space reaches OK as the pointer does: over it, then its click.
            Forward([](FrmNotification& rules) { rules.MouseMove(NotificationButton::OK); });
            closed_ = rules_.Click(NotificationButton::OK);
        } else if (id == IDCANCEL && lParam == 0) { // Escape: the notice has nothing to cancel
            closed_ = true;
        }
        return 0;
    }
    case WM_CLOSE:
        closed_ = true;
        return 0;
    case WM_MOUSEMOVE:
        Forward([](FrmNotification& rules) { rules.Picture1_MouseMove(); });
        return 0;
    case WM_DPICHANGED:
        FollowDpiChange(window, layout_, wParam, lParam);
        return 0;
    case WM_DRAWITEM:
        ok_->Draw(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        return DialogControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
        PaintDialogFrame(window, reinterpret_cast<HDC>(wParam), rules_.caption);
        return TRUE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace vx::win32gui

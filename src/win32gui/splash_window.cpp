// frmSplash on Windows: drawn on its own window, unloaded by its timer.
#include "win32gui/splash_window.h"

#include "win32gui/controls.h"

namespace vx::win32gui {
namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 240;
constexpr UINT_PTR kUnloadTimer = 1;

} // namespace

SplashWindow::SplashWindow(std::function<void()> showMain) : showMain_(std::move(showMain)) {
    RegisterWindowClass(kSplashClass, Route<SplashWindow>);
    window_ =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kSplashClass, L"Vantrelix v3.0",
                        WS_POPUP | WS_BORDER, 0, 0, kWidth, kHeight, nullptr, nullptr, Instance(), this);
    const unsigned dpi = WindowDpi(window_);
    SetWindowPos(window_, nullptr, 0, 0, Scaled(kWidth, dpi), Scaled(kHeight, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOn(window_, nullptr);
}

SplashWindow::~SplashWindow() {
    DestroyWindow(window_);
}

void SplashWindow::Start() {
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    SetTimer(window_, kUnloadTimer, kSplashMilliseconds, nullptr);
}

void SplashWindow::tmrUnload_Timer() {
    KillTimer(window_, kUnloadTimer);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    ShowWindow(window_, SW_HIDE);
    closed_ = true;
    if (showMain_)
        showMain_();
}

void SplashWindow::Paint(HDC dc) const {
    const unsigned dpi = WindowDpi(window_);
    RECT all{};
    GetClientRect(window_, &all);
    SetDCBrushColor(dc, kBackground);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    RECT band{0, all.bottom - Scaled(8, dpi), all.right, all.bottom};
    SetDCBrushColor(dc, kAccent);
    FillRect(dc, &band, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    HGDIOBJ old = SelectObject(dc, FontAt({22, true}, dpi));
    RECT title{0, Scaled(60, dpi), all.right, Scaled(120, dpi)};
    DrawTextW(dc, L"Vantrelix v3.0", -1, &title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, FontAt({}, dpi));
    SetTextColor(dc, kDimText);
    RECT line{0, Scaled(130, dpi), all.right, Scaled(160, dpi)};
    DrawTextW(dc, L"Registry cleaner", -1, &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, old);
}

LRESULT SplashWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_TIMER:
        if (wParam == kUnloadTimer)
            tmrUnload_Timer();
        return 0;
    case WM_SETCURSOR: // the busy pointer over the splash while it shows
        SetCursor(LoadCursorW(nullptr, closed_ ? IDC_ARROW : IDC_WAIT));
        return TRUE;
    case WM_DPICHANGED:
        TakeDpiChange(window, wParam, lParam);
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        Paint(dc);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace vx::win32gui

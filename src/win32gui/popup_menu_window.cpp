// frmMenuPopUp on Windows: its items drawn on the window, its three timers, and the screen it measures.
#include "win32gui/popup_menu_window.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"
#include "win32gui/tray.h"

namespace vx::win32gui {
namespace {

constexpr int kWidth = 190;
constexpr int kHeight = 180;
constexpr UINT_PTR kMenuPopupTimer = 1, kEnablePopDownTimer = 2, kPopDownTimer = 3;

ScreenRect Rect(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

const wchar_t* ItemText(MenuItem item) {
    switch (item) {
    case MenuItem::MenuRestore:
        return L"Maximize";
    case MenuItem::MenuScan:
        return L"Scan Now";
    case MenuItem::MenuSettings:
        return L"Settings";
    case MenuItem::MenuExit:
        return L"Exit";
    case MenuItem::lblMenuClose:
    case MenuItem::Count:
        break;
    }
    return L"X";
}

} // namespace

RECT PopupMenuWindow::ItemRect(MenuItem item) const {
    if (item == MenuItem::lblMenuClose)
        return Scaled(RECT{kWidth - 34, 6, kWidth - 10, 30}, dpi_);
    const int top = 34 + 34 * static_cast<int>(item);
    return Scaled(RECT{10, top, kWidth - 10, top + 32}, dpi_);
}

int PopupMenuWindow::Width() const {
    return Scaled(kWidth, dpi_);
}

int PopupMenuWindow::Height() const {
    return Scaled(kHeight, dpi_);
}

void PopupMenuWindow::LayOut(unsigned dpi) {
    dpi_ = dpi;
    SetWindowPos(window_, nullptr, 0, 0, Width(), Height(), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    LOGFONTW face{};
    GetObjectW(FontAt({11, true}, dpi), sizeof(face), &face);
    for (size_t i = 0; i < fonts_.size(); ++i) {
        if (fonts_[i])
            DeleteObject(fonts_[i]);
        face.lfWeight = (i & 1) ? FW_BOLD : FW_NORMAL;
        face.lfUnderline = (i & 2) ? TRUE : FALSE;
        fonts_[i] = CreateFontIndirectW(&face);
    }
    InvalidateRect(window_, nullptr, TRUE);
}

PopupMenuWindow::PopupMenuWindow(App& app, FrmMain& main, clsTray& tray, MainWindowHooks hooks)
    : rules_(app, main, tray, *this), hooks_(std::move(hooks)) {
    RegisterWindowClass(kPopupMenuClass, Route<PopupMenuWindow>);
    window_ =
        CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupMenuClass, L"Vantrelix v3.0",
                        WS_POPUP | WS_BORDER, 0, 0, kWidth, kHeight, nullptr, nullptr, Instance(), this);
    LayOut(WindowDpi(window_));
}

PopupMenuWindow::~PopupMenuWindow() {
    DestroyWindow(window_);
    for (HFONT font : fonts_)
        DeleteObject(font);
}

void PopupMenuWindow::FindPlace() {
    // The screen the taskbar (else the pointer) is on, and the edge of it the taskbar stands at.
    const std::optional<RECT> taskbar = Win32NotificationArea::TaskbarRect();
    POINT at{};
    if (taskbar)
        at = {(taskbar->left + taskbar->right) / 2, (taskbar->top + taskbar->bottom) / 2};
    else
        GetCursorPos(&at);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        screen_ = Rect(monitor.rcMonitor);
    } else {
        screen_ = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &monitor.rcWork, 0);
    }
    panel_ = FindMenuPanel(screen_, Rect(monitor.rcWork),
                           taskbar ? std::optional<ScreenRect>(Rect(*taskbar)) : std::nullopt);
    // Sized for the monitor it rises on, so that the rules measure it as it will stand there.
    if (const unsigned dpi = MonitorDpi(MonitorFromPoint(at, MONITOR_DEFAULTTOPRIMARY)); dpi != dpi_)
        LayOut(dpi);
}

void PopupMenuWindow::Open() {
    FindPlace();
    Forward([this] { rules_.Form_Load(MenuScreenFor(screen_, panel_, Width(), Height())); });
}

void PopupMenuWindow::BringToFront() {
    SetWindowPos(window_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window_);
}

void PopupMenuWindow::ShowMenu() {
    if (visible()) // every tick of a slide keeps the menu shown
        return;
    ShowWindow(window_, SW_SHOW);
    BringToFront();
}

void PopupMenuWindow::MoveMenu(int leftTwips, int topTwips) {
    const MenuPoint at = MenuOnScreen(screen_, panel_, Width(), Height(), leftTwips, topTwips);
    SetWindowPos(window_, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PopupMenuWindow::CloseMenu() {
    ShowWindow(window_, SW_HIDE);
}

void PopupMenuWindow::SetBusyPointer(bool busy) {
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void PopupMenuWindow::Forward(const std::function<void()>& event) {
    event();
    Render();
    if (hooks_.afterEvent)
        hooks_.afterEvent();
}

void PopupMenuWindow::Render() {
    InvalidateRect(window_, nullptr, TRUE);
    const bool wanted[] = {rules_.tmrMenuPopup, rules_.TmrEnablePopDown, rules_.tmrPopDown};
    const UINT_PTR ids[] = {kMenuPopupTimer, kEnablePopDownTimer, kPopDownTimer};
    const UINT every[] = {FrmMenuPopUp::kMenuPopupMs, FrmMenuPopUp::kEnablePopDownMs,
                          FrmMenuPopUp::kPopDownMs};
    for (size_t i = 0; i < timers_.size(); ++i) {
        if (timers_[i] == wanted[i])
            continue;
        timers_[i] = wanted[i];
        if (wanted[i])
            SetTimer(window_, ids[i], every[i], nullptr);
        else
            KillTimer(window_, ids[i]);
    }
}

HFONT PopupMenuWindow::FontFor(const MenuItemStyle& style) const {
    return fonts_[(style.bold ? 1 : 0) + (style.underlined ? 2 : 0)];
}

void PopupMenuWindow::Paint(HDC dc) const {
    RECT all{};
    GetClientRect(window_, &all);
    SetDCBrushColor(dc, kPanel);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kDimText);
    HGDIOBJ old = SelectObject(dc, FontAt({}, dpi_));
    RECT title = Scaled(RECT{12, 6, 150, 30}, dpi_);
    DrawTextW(dc, L"Vantrelix v3.0", -1, &title, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    for (size_t i = 0; i < static_cast<size_t>(MenuItem::Count); ++i) {
        const auto item = static_cast<MenuItem>(i);
        const MenuItemStyle& style = rules_.style(item);
        SelectObject(dc, FontFor(style));
        SetTextColor(dc, !style.enabled ? kDimText : style.bold ? kAccent : kText);
        RECT box = ItemRect(item);
        DrawTextW(dc, ItemText(item), -1, &box,
                  (style.centred ? DT_CENTER : DT_LEFT) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    SelectObject(dc, old);
}

std::optional<MenuItem> PopupMenuWindow::ItemAt(LPARAM point) const {
    const POINT at{static_cast<short>(LOWORD(point)), static_cast<short>(HIWORD(point))};
    for (size_t i = 0; i < static_cast<size_t>(MenuItem::Count); ++i) {
        const RECT box = ItemRect(static_cast<MenuItem>(i));
        if (PtInRect(&box, at))
            return static_cast<MenuItem>(i);
    }
    return std::nullopt;
}

LRESULT PopupMenuWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_MOUSEMOVE:
        if (!tracking_) { // the pointer leaving the menu puts every item back to plain
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            tracking_ = TrackMouseEvent(&track) != FALSE;
        }
        if (const std::optional<MenuItem> item = ItemAt(lParam))
            Forward([this, item] { rules_.MouseMove(*item); });
        else
            Forward([this] { rules_.Picture1_MouseMove(); });
        return 0;
    case WM_MOUSELEAVE:
        tracking_ = false;
        Forward([this] { rules_.Picture1_MouseMove(); });
        return 0;
    case WM_LBUTTONUP:
        if (const std::optional<MenuItem> item = ItemAt(lParam))
            Forward([this, item] { rules_.Click(*item); });
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE)
            Forward([this] { rules_.Click(MenuItem::lblMenuClose); });
        return 0;
    case WM_TIMER:
        Forward([this, wParam] {
            if (wParam == kMenuPopupTimer)
                rules_.tmrMenuPopup_Timer();
            else if (wParam == kEnablePopDownTimer)
                rules_.TmrEnablePopDown_Timer();
            else if (wParam == kPopDownTimer)
                rules_.tmrPopDown_Timer();
        });
        return 0;
    case WM_CLOSE: // Alt+F4: slides down as "X" does
        Forward([this] { rules_.Click(MenuItem::lblMenuClose); });
        return 0;
    case WM_DPICHANGED: // the slide goes on from the place the system suggests
        TakeDpiChange(window, wParam, lParam);
        LayOut(LOWORD(wParam));
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

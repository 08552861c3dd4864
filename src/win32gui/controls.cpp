// The window classes, controls and fonts of the desktop program.
#include "win32gui/controls.h"

#include "platform/win32/wide_text.h"

#include <commctrl.h>

#include <map>
#include <tuple>

namespace vx::win32gui {

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

void RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSEXW existing{sizeof(existing)};
    if (GetClassInfoExW(Instance(), name, &existing))
        return;
    WNDCLASSEXW windowClass{sizeof(windowClass)};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = Instance();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = LoadIconW(Instance(), MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = name;
    RegisterClassExW(&windowClass);
}

HWND AddControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style, RECT at, int id) {
    // A control under a panel laid over it (the start panel's list under the scanning panel) must not
    // draw over the panel when it repaints.
    HWND control = CreateWindowExW(0, className, win32::Wide(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(FontAt({}, WindowDpi(parent))), FALSE);
    return control;
}

void SetText(HWND window, std::string_view text) {
    const std::wstring wide = win32::Wide(text);
    // Unchanged text is not set again: a label redrawn many times a second would flicker.
    const int length = GetWindowTextLengthW(window);
    if (static_cast<size_t>(length) == wide.size()) {
        std::wstring now(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(window, now.data(), length + 1);
        now.resize(static_cast<size_t>(length));
        if (now == wide)
            return;
    }
    SetWindowTextW(window, wide.c_str());
}

std::string GetText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return win32::Narrow(text);
}

namespace {

// The desktop's message font as it is at `dpi`: the system's answer for that DPI where it gives one
// (Windows 10), else its answer for the screen's DPI scaled.
LOGFONTW MessageFont(unsigned dpi) {
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    using ForDpi = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const auto forDpi = reinterpret_cast<ForDpi>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SystemParametersInfoForDpi")));
    if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi))
        return metrics.lfMessageFont;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    HDC screen = GetDC(nullptr);
    const int screenDpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    if (screenDpi > 0)
        metrics.lfMessageFont.lfHeight =
            MulDiv(metrics.lfMessageFont.lfHeight, static_cast<int>(dpi), screenDpi);
    return metrics.lfMessageFont;
}

} // namespace

HFONT FontAt(FontKind font, unsigned dpi) {
    // The few fonts the windows use at the few DPIs of the monitors, each made once.
    static std::map<std::tuple<unsigned, int, bool>, HFONT> fonts;
    HFONT& made = fonts[{dpi, font.points, font.bold}];
    if (!made) {
        LOGFONTW face = MessageFont(dpi);
        if (font.points > 0)
            face.lfHeight = -MulDiv(font.points, static_cast<int>(dpi), 72);
        if (font.bold)
            face.lfWeight = FW_BOLD;
        made = CreateFontIndirectW(&face);
    }
    return made;
}

void PaintParentBackground(HWND control, HDC dc) {
    HWND parent = GetParent(control);
    POINT origin{0, 0};
    MapWindowPoints(control, parent, &origin, 1);
    POINT old{};
    OffsetViewportOrgEx(dc, -origin.x, -origin.y, &old);
    SendMessageW(parent, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    SetViewportOrgEx(dc, old.x, old.y, nullptr);
}

LRESULT PaintBehindLabel(HWND control, HDC dc) {
    PaintParentBackground(control, dc);
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

void CentreOn(HWND window, HWND owner) {
    RECT area{};
    if (owner && IsWindowVisible(owner) && !IsIconic(owner))
        GetWindowRect(owner, &area);
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT own{};
    GetWindowRect(window, &own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    SetWindowPos(window, nullptr, area.left + (area.right - area.left - width) / 2,
                 area.top + (area.bottom - area.top - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace vx::win32gui

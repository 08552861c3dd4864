// The window classes, controls and fonts of the desktop program.
#include "win32gui/controls.h"

#include "platform/win32/wide_text.h"

#include <commctrl.h>

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
    // Clipped by its siblings: a control of the start panel never paints over a panel laid above it.
    HWND control = CreateWindowExW(0, className, win32::Wide(text).c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, at.left, at.top,
                                   at.right - at.left, at.bottom - at.top, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance(), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(NormalFont()), FALSE);
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

LOGFONTW MessageFont() {
    NONCLIENTMETRICSW metrics{sizeof(metrics)};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return metrics.lfMessageFont;
}

} // namespace

HFONT NormalFont() {
    static const HFONT font = [] {
        LOGFONTW face = MessageFont();
        return CreateFontIndirectW(&face);
    }();
    return font;
}

HFONT BoldFont(int points) {
    // The few sizes the windows use, each made once and kept for the program's life.
    static HFONT fonts[32] = {};
    const int index = points < 32 ? points : 31;
    if (!fonts[index]) {
        LOGFONTW face = MessageFont();
        HDC screen = GetDC(nullptr);
        face.lfHeight = -MulDiv(points, GetDeviceCaps(screen, LOGPIXELSY), 72);
        ReleaseDC(nullptr, screen);
        face.lfWeight = FW_BOLD;
        fonts[index] = CreateFontIndirectW(&face);
    }
    return fonts[index];
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

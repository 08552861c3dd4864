#pragma once
// The few Win32 pieces every window of the desktop program builds with: its window classes, child
// controls made in one call, the fonts, and the program's text in the wide-character calls.
#include "win32gui/dpi.h"
#include "win32gui/windows_api.h"

#include <string>
#include <string_view>

namespace vx::win32gui {

// The colours of the art: the window's background, a panel laid over it, the text on them.
inline constexpr COLORREF kBackground = RGB(0x1B, 0x22, 0x30);
inline constexpr COLORREF kPanel = RGB(0x24, 0x2D, 0x3D);
inline constexpr COLORREF kText = RGB(0xF4, 0xF7, 0xFB);
inline constexpr COLORREF kDimText = RGB(0x80, 0x88, 0x96);
inline constexpr COLORREF kAccent = RGB(0xF0, 0xB4, 0x29);
inline constexpr COLORREF kButtonText = RGB(0xE0, 0xE0, 0xE0);
inline constexpr COLORREF kStripColour = RGB(0x14, 0x19, 0x24);
// The title strip's height at 96 DPI.
inline constexpr int kStripHeight = 36;

HINSTANCE Instance();
// Registers the class once; its windows keep a `T*` (from CreateWindowExW's parameter) and route their
// messages to T::Handle.
void RegisterWindowClass(const wchar_t* name, WNDPROC procedure);
// A child control of a standard class (L"STATIC", L"BUTTON", WC_LISTVIEWW …), at `at` in pixels, in the
// message font at its parent's DPI.
HWND AddControl(HWND parent, const wchar_t* className, std::string_view text, DWORD style, RECT at, int id);
void SetText(HWND window, std::string_view text);
std::string GetText(HWND window);
// A font of the windows: the desktop's message font (0 points), or one `points` high; bold or not.
struct FontKind {
    int points = 0;
    bool bold = false;
};
// The font at `dpi`, made once and kept for the program's life.
HFONT FontAt(FontKind font, unsigned dpi);

// Paints what `control`'s parent shows behind it (the parent's WM_ERASEBKGND) into the control's DC.
void PaintParentBackground(HWND control, HDC dc);
// WM_CTLCOLORSTATIC of a label or check box over the art: paints the art behind it and has its text
// drawn transparently; the brush to return.
LRESULT PaintBehindLabel(HWND control, HDC dc);

// A window placed centred on its owner (or on the work area when it has none).
void CentreOn(HWND window, HWND owner);

// The object a window of ours belongs to, kept in its user data at WM_NCCREATE.
template <class T> T* OwnerOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// The window procedure of a class whose windows belong to a T: T::Handle(window, message, w, l).
template <class T> LRESULT CALLBACK Route(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY)
        ForgetDpi(window);
    if (T* self = OwnerOf<T>(window, message, lParam))
        return self->Handle(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace vx::win32gui

// The borderless windows' frame: background, title strip, icon and caption.
#include "win32gui/window_frame.h"

#include "platform/win32/wide_text.h"
#include "win32gui/art.h"
#include "win32gui/controls.h"

namespace vx::win32gui {

void FillBox(HDC dc, RECT box, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void PaintFrame(HDC dc, HWND window, std::string_view background, std::string_view caption) {
    const unsigned dpi = WindowDpi(window);
    const int stripHeight = Scaled(kStripHeight, dpi);
    RECT all{};
    GetClientRect(window, &all);
    const RECT below{0, stripHeight, all.right, all.bottom};
    if (!DrawArt(dc, window, background, below))
        FillBox(dc, below, kBackground);
    const RECT strip{0, 0, all.right, stripHeight};
    if (!DrawArt(dc, window, "title_strip", strip))
        FillBox(dc, strip, kStripColour);
    DrawArt(dc, window, "app_icon", Scaled(RECT{8, 6, 32, 30}, dpi));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    HGDIOBJ old = SelectObject(dc, FontAt({10, true}, dpi));
    RECT title{Scaled(40, dpi), 0, all.right - Scaled(160, dpi), stripHeight};
    DrawTextW(dc, win32::Wide(caption).c_str(), -1, &title,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

LRESULT HitTestFrame(HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = DefWindowProcW(window, WM_NCHITTEST, wParam, lParam);
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(window, &at);
    return hit == HTCLIENT && at.y < Scaled(kStripHeight, WindowDpi(window)) ? HTCAPTION : hit;
}

} // namespace vx::win32gui

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
    RECT all{};
    GetClientRect(window, &all);
    const RECT below{0, kStripHeight, all.right, all.bottom};
    if (!DrawArt(dc, window, background, below))
        FillBox(dc, below, kBackground);
    const RECT strip{0, 0, all.right, kStripHeight};
    if (!DrawArt(dc, window, "title_strip", strip))
        FillBox(dc, strip, kStripColour);
    DrawArt(dc, window, "app_icon", {8, 6, 32, 30});
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    HGDIOBJ old = SelectObject(dc, BoldFont(10));
    RECT title{40, 0, all.right - 160, kStripHeight};
    DrawTextW(dc, win32::Wide(caption).c_str(), -1, &title,
              DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

} // namespace vx::win32gui

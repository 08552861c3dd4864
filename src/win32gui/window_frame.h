#pragma once
// The look every borderless window of the program shares, painted from the art: its background drawing
// and, along the top, the title strip with the program's icon and the caption.
#include "win32gui/windows_api.h"

#include <string_view>

namespace vx::win32gui {

// Paints the whole client area of `window` (its WM_ERASEBKGND): `background` below the strip.
void PaintFrame(HDC dc, HWND window, std::string_view background, std::string_view caption);

// WM_NCHITTEST: the title strip drags the window.
LRESULT HitTestFrame(HWND window, WPARAM wParam, LPARAM lParam);

// Fills `box` with one colour (where a picture is missing, the colour it is drawn in).
void FillBox(HDC dc, RECT box, COLORREF colour);

} // namespace vx::win32gui

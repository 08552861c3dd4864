#pragma once
// What every borderless dialog of the program shares: the window itself (a popup over its owner, on top
// when it has none), its background with the title strip, dragging by that strip, and the colours of its
// labels and check boxes.
#include "win32gui/windows_api.h"

#include <string_view>

namespace vx::win32gui {

// A popup of `className` (registered by the caller) `width` x `height` at 96 DPI, scaled to its DPI and
// centred on `owner`; its messages go to `self`.
HWND MakeDialogWindow(const wchar_t* className, std::string_view title, HWND owner, int width, int height,
                      void* self);
// The background and the title strip with `title` (WM_ERASEBKGND).
void PaintDialogFrame(HWND window, HDC dc, std::string_view title);
// WM_CTLCOLORSTATIC and WM_CTLCOLORBTN: light text on the dialog's background.
LRESULT DialogControlColours(HWND control, HDC dc);
// WM_CTLCOLOREDIT (and WM_CTLCOLORSTATIC of a read-only text box): light text on a dark field, dimmed
// while read-only.
LRESULT TextBoxColours(HDC dc, bool readOnly);

} // namespace vx::win32gui

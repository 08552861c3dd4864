#pragma once
// The lists of the windows in the colours of the art: dark rows, alternating, light text, the selected
// row in the accent colour with dark text (as the Qt windows' lists).
#include "win32gui/windows_api.h"

#include <commctrl.h>

namespace vx::win32gui {

inline constexpr COLORREF kListBackground = RGB(0x1B, 0x22, 0x30);
inline constexpr COLORREF kListAlternate = RGB(0x20, 0x29, 0x39);
inline constexpr COLORREF kListText = RGB(0xE0, 0xE0, 0xE0);
inline constexpr COLORREF kListSelection = RGB(0x2B, 0xB3, 0xA3);
inline constexpr COLORREF kListSelectionText = RGB(0x0E, 0x14, 0x20);
inline constexpr COLORREF kListHeader = RGB(0x26, 0x31, 0x42);
inline constexpr COLORREF kListLine = RGB(0x34, 0x42, 0x5A);

// Gives `list` the background and text colours, and its header the header's (the list draws its header:
// a subclass of it hears the header's NM_CUSTOMDRAW, which Wine passes to no one else).
void ColourList(HWND list);
// NM_CUSTOMDRAW of such a list: each row's colours; true, with `result`, when it was the list's.
bool DrawListRow(HWND list, const NMHDR& header, LRESULT& result);

} // namespace vx::win32gui

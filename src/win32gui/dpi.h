#pragma once
// The windows are laid out in pixels of a 96-DPI screen and scaled to the DPI of the monitor they are on;
// a window moved to a monitor of another DPI is told so by WM_DPICHANGED and lays itself out again.
#include "win32gui/windows_api.h"

namespace vx::win32gui {

// The DPI `window`'s top-level window was last laid out for (WM_DPICHANGED's), else that of the
// monitor it is on, or the screen's where the system cannot say (before Windows 10).
unsigned WindowDpi(HWND window);

// The DPI of `monitor`, or the screen's where the system cannot say (before Windows 8.1).
unsigned MonitorDpi(HMONITOR monitor);

// `pixels` of a 96-DPI screen at `dpi`.
int Scaled(int pixels, unsigned dpi);
RECT Scaled(RECT at, unsigned dpi);

// WM_DPICHANGED: the window takes the place the system suggests and remembers the new DPI; the DPI to
// lay it out for.
unsigned TakeDpiChange(HWND window, WPARAM wParam, LPARAM lParam);
// What TakeDpiChange kept, let go as the window goes (WM_NCDESTROY).
void ForgetDpi(HWND window);

} // namespace vx::win32gui

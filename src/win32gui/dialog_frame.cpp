// The frame of the program's borderless dialogs.
#include "win32gui/dialog_frame.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"
#include "win32gui/window_frame.h"

namespace vx::win32gui {

HWND MakeDialogWindow(const wchar_t* className, std::string_view title, HWND owner, int width, int height,
                      void* self) {
    HWND window =
        CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_TOPMOST), className,
                        win32::Wide(title).c_str(), WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0, 0, width,
                        height, owner, nullptr, Instance(), self);
    // Its size at the DPI of the monitor it is made on; centred, it may stand on another, which tells it.
    const unsigned dpi = WindowDpi(window);
    SetWindowPos(window, nullptr, 0, 0, Scaled(width, dpi), Scaled(height, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CentreOn(window, owner);
    return window;
}

void PaintDialogFrame(HWND window, HDC dc, std::string_view title) {
    PaintFrame(dc, window, "dialog_background", title);
}

LRESULT DialogControlColours(HWND control, HDC dc) {
    SetTextColor(dc, kText);
    return PaintBehindLabel(control, dc);
}

LRESULT TextBoxColours(HDC dc, bool readOnly) {
    const COLORREF field = readOnly ? RGB(0x1B, 0x22, 0x30) : RGB(0x14, 0x1A, 0x25);
    SetTextColor(dc, readOnly ? kDimText : kText);
    SetBkColor(dc, field);
    SetDCBrushColor(dc, field);
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

} // namespace vx::win32gui

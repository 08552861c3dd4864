// The frame of the program's borderless dialogs.
#include "win32gui/dialog_frame.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"

namespace vx::win32gui {

HWND MakeDialogWindow(const wchar_t* className, std::string_view title, HWND owner, int width, int height,
                      void* self) {
    HWND window =
        CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_TOPMOST), className,
                        win32::Wide(title).c_str(), WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0, 0, width,
                        height, owner, nullptr, Instance(), self);
    CentreOn(window, owner);
    return window;
}

void PaintDialogFrame(HWND window, HDC dc, std::string_view title) {
    RECT all{};
    GetClientRect(window, &all);
    SetDCBrushColor(dc, kBackground);
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    RECT strip{0, 0, all.right, kStripHeight};
    SetDCBrushColor(dc, kPanel);
    FillRect(dc, &strip, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kText);
    HGDIOBJ old = SelectObject(dc, BoldFont(10));
    RECT text{12, 0, all.right, kStripHeight};
    DrawTextW(dc, win32::Wide(title).c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

LRESULT HitTestDialogFrame(HWND window, WPARAM wParam, LPARAM lParam) {
    const LRESULT hit = DefWindowProcW(window, WM_NCHITTEST, wParam, lParam);
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    ScreenToClient(window, &at);
    return hit == HTCLIENT && at.y < kStripHeight ? HTCAPTION : hit;
}

LRESULT DialogControlColours(HDC dc) {
    SetTextColor(dc, kText);
    SetBkColor(dc, kBackground);
    SetDCBrushColor(dc, kBackground);
    return reinterpret_cast<LRESULT>(GetStockObject(DC_BRUSH));
}

} // namespace vx::win32gui

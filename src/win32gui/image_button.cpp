// Image buttons: owner-drawn BUTTONs that report the pointer's movement over them.
#include "win32gui/image_button.h"

#include "win32gui/controls.h"

#include <commctrl.h>

namespace vx::win32gui {

ImageButtonControl::ImageButtonControl(HWND parent, std::string_view text, RECT at, int id,
                                       std::function<void()> hovered)
    : button_(AddControl(parent, L"BUTTON", text, BS_OWNERDRAW | WS_TABSTOP, at, id)),
      hovered_(std::move(hovered)) {
    SetWindowSubclass(button_, Subclass, 1, reinterpret_cast<DWORD_PTR>(this));
}

ImageButtonControl::~ImageButtonControl() {
    RemoveWindowSubclass(button_, Subclass, 1);
}

LRESULT CALLBACK ImageButtonControl::Subclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR data) {
    auto* self = reinterpret_cast<ImageButtonControl*>(data);
    if (message == WM_MOUSEMOVE && self->hovered_)
        self->hovered_();
    return DefSubclassProc(window, message, wParam, lParam);
}

void ImageButtonControl::SetHighlighted(bool highlighted) {
    if (highlighted == highlighted_)
        return;
    highlighted_ = highlighted;
    InvalidateRect(button_, nullptr, FALSE);
}

void ImageButtonControl::SetEnabled(bool enabled) {
    if ((IsWindowEnabled(button_) != FALSE) != enabled)
        EnableWindow(button_, enabled);
}

void ImageButtonControl::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT box = item.rcItem;
    const bool enabled = !(item.itemState & ODS_DISABLED);
    const COLORREF face = !enabled       ? RGB(0x3A, 0x40, 0x4C)
                          : highlighted_ ? RGB(0x2F, 0x80, 0xED)
                                         : RGB(0x2B, 0x5C, 0xA8);
    HBRUSH back = CreateSolidBrush(kBackground);
    FillRect(dc, &box, back);
    DeleteObject(back);
    HBRUSH brush = CreateSolidBrush(face);
    HPEN pen = CreatePen(PS_SOLID, 1, highlighted_ ? RGB(0x9C, 0xC8, 0xFF) : face);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    RoundRect(dc, box.left, box.top, box.right, box.bottom, 10, 10);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
    wchar_t text[128] = {};
    GetWindowTextW(button_, text, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, enabled ? kText : kDimText);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button_, WM_GETFONT, 0, 0)));
    RECT textBox = box;
    DrawTextW(dc, text, -1, &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = box;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

} // namespace vx::win32gui

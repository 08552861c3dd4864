// Image buttons: owner-drawn BUTTONs that report the pointer's movement over them.
#include "win32gui/image_button.h"

#include "win32gui/art.h"
#include "win32gui/controls.h"

#include <commctrl.h>

namespace vx::win32gui {

ImageButtonControl::ImageButtonControl(HWND parent, std::string_view text, int id,
                                       std::function<void()> hovered)
    : button_(AddControl(parent, L"BUTTON", text, BS_OWNERDRAW | WS_TABSTOP, {}, id)),
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

void ImageButtonControl::SetArt(std::string drawing, std::string icon) {
    drawing_ = std::move(drawing);
    icon_ = std::move(icon);
    InvalidateRect(button_, nullptr, FALSE);
}

void ImageButtonControl::Draw(const DRAWITEMSTRUCT& item) const {
    HDC dc = item.hDC;
    const RECT box = item.rcItem;
    const bool enabled = !(item.itemState & ODS_DISABLED);
    // The art's rounded corners show the window behind the button.
    PaintParentBackground(button_, dc);
    const BYTE opacity = enabled ? 255 : 90; // a disabled button reads as out of reach
    if (!drawing_.empty())
        DrawArt(dc, button_, highlighted_ ? drawing_ + "_hover" : drawing_, box, opacity);
    RECT textBox = box;
    if (!icon_.empty()) {
        const int height = box.bottom - box.top;
        const int side = height * 3 / 4;
        const int inset = (height - side) / 2;
        DrawArt(dc, button_, icon_,
                {box.left + inset, box.top + inset, box.left + inset + side, box.top + inset + side},
                opacity);
        textBox.left += height;
    }
    wchar_t text[128] = {};
    GetWindowTextW(button_, text, 128);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, !enabled ? kDimText : highlighted_ ? RGB(0xFF, 0xFF, 0xFF) : kButtonText);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(button_, WM_GETFONT, 0, 0)));
    DrawTextW(dc, text, -1, &textBox, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);
    if (item.itemState & ODS_FOCUS) {
        RECT focus = box;
        const int inset = Scaled(3, WindowDpi(button_));
        InflateRect(&focus, -inset, -inset);
        DrawFocusRect(dc, &focus);
    }
}

} // namespace vx::win32gui

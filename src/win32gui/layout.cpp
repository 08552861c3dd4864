// Placing a window's controls at its DPI.
#include "win32gui/layout.h"

#include <cassert>

namespace vx::win32gui {

HWND Layout::Place(HWND control, RECT at, FontKind font) {
    assert(control);
    entries_.push_back({control, at, font});
    Put(entries_.back());
    return control;
}

HWND Layout::Add(HWND parent, const wchar_t* className, std::string_view text, DWORD style, RECT at, int id,
                 FontKind font) {
    return Place(AddControl(parent, className, text, style, Px(at), id), at, font);
}

void Layout::Apply(unsigned dpi) {
    dpi_ = dpi;
    for (const Entry& entry : entries_)
        Put(entry);
}

void Layout::Put(const Entry& entry) const {
    const RECT at = Px(entry.at);
    SetWindowPos(entry.control, nullptr, at.left, at.top, at.right - at.left, at.bottom - at.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(entry.control, WM_SETFONT, reinterpret_cast<WPARAM>(FontAt(entry.font, dpi_)), TRUE);
}

void FollowDpiChange(HWND window, Layout& layout, WPARAM wParam, LPARAM lParam) {
    layout.Apply(TakeDpiChange(window, wParam, lParam));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

} // namespace vx::win32gui

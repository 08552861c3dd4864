#pragma once
// A window's controls at their places on a 96-DPI screen, with their fonts, put on screen at the window's
// DPI: each control when it is placed, and all of them again when the window moves to a monitor of
// another DPI (WM_DPICHANGED). The places are written once, where the window builds its controls.
#include "win32gui/controls.h"
#include "win32gui/dpi.h"

#include <string_view>
#include <vector>

namespace vx::win32gui {

class Layout {
  public:
    unsigned dpi() const { return dpi_; }
    // 96-DPI pixels at the layout's DPI.
    int Px(int pixels) const { return Scaled(pixels, dpi_); }
    RECT Px(RECT at) const { return Scaled(at, dpi_); }

    // Puts `control` at `at` (its parent's client pixels at 96 DPI) with `font`, now and at every Apply.
    HWND Place(HWND control, RECT at, FontKind font = {});
    // A control of a standard class made and placed (see AddControl).
    HWND Add(HWND parent, const wchar_t* className, std::string_view text, DWORD style, RECT at, int id,
             FontKind font = {});
    // Every control at its place and in its font for `dpi`.
    void Apply(unsigned dpi);

  private:
    struct Entry {
        HWND control;
        RECT at;
        FontKind font;
    };
    void Put(const Entry& entry) const;

    unsigned dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::vector<Entry> entries_;
};

// WM_DPICHANGED of a window whose controls `layout` places: the place the system suggests, every control
// at the new DPI, all drawn again.
void FollowDpiChange(HWND window, Layout& layout, WPARAM wParam, LPARAM lParam);

} // namespace vx::win32gui

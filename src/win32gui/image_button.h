#pragma once
// An image button on screen: a BUTTON drawn by its window in the plain or the highlighted look the rules
// give it, from the art: its drawing and the drawing's "_hover" twin, an icon at its left, its text. Moving
// over it tells the rules (which show the highlighted twin); a click or Enter/Space on it comes to its window
// as WM_COMMAND with the button's id.
#include "win32gui/windows_api.h"

#include <functional>
#include <string>
#include <string_view>

namespace vx::win32gui {

class ImageButtonControl {
  public:
    // Made without a place: its window's layout places it.
    ImageButtonControl(HWND parent, std::string_view text, int id, std::function<void()> hovered);
    ~ImageButtonControl();
    ImageButtonControl(const ImageButtonControl&) = delete;
    ImageButtonControl& operator=(const ImageButtonControl&) = delete;

    HWND handle() const { return button_; }
    // Shows the highlighted twin or the plain picture; redraws only on a change.
    void SetHighlighted(bool highlighted);
    bool highlighted() const { return highlighted_; }
    void SetEnabled(bool enabled);
    // The button's drawing ("button" unless set; empty: its text alone on the window's background) and
    // the icon drawn at its left (none unless set).
    void SetArt(std::string drawing, std::string icon = {});
    // WM_DRAWITEM for this button.
    void Draw(const DRAWITEMSTRUCT& item) const;

  private:
    static LRESULT CALLBACK Subclass(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    HWND button_;
    std::function<void()> hovered_;
    bool highlighted_ = false;
    std::string drawing_ = "button";
    std::string icon_;
};

} // namespace vx::win32gui

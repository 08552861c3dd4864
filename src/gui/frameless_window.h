#pragma once
// What every borderless window of the program has: a background picture (Picture1), a title strip
// (ImgFormMove, with the small picture ImgToolBarDrevanto that forwards to it) by which it is dragged, and
// its caption drawn on the strip.
#include "ui/window_drag.h"

#include <QLabel>
#include <QWidget>

#include <functional>

namespace vx::gui {

class SvgPicture;

inline constexpr int kStripHeight = 36;

struct FramedParts {
    SvgPicture* background = nullptr; // Picture1 (or Picture2 in the settings dialog)
    SvgPicture* strip = nullptr;      // ImgFormMove, null for a window without a strip
    SvgPicture* stripIcon = nullptr;  // ImgToolBarDrevanto
    QLabel* caption = nullptr;
};

// Builds the parts on `window` (fixed at `size`); `withStrip` false for a window without a drag strip.
FramedParts BuildFrame(QWidget* window, QSize size, const QString& caption, const QString& backgroundName,
                       bool withStrip);

// Drags `window` by the strip through the drag rule; `onStripMove` runs on every movement over the strip
// first (a window whose strip resets its hover states). Where the platform does not let a window place
// itself (Wayland), the system's own move starts instead.
void AttachDrag(const FramedParts& parts, QWidget* window, WindowDrag& drag,
                std::function<void()> onStripMove = {});

// Places `window` each time it shows: a window with an owner centred on it, one without centred on its
// screen the first time; always inside the screen's available area.
void PlaceWhenShown(QWidget* window);

// Runs `reset` (the window's reset areas) when the pointer leaves `window`: no button stays highlighted
// under a pointer that went to another window or to a modal dialog.
void OnPointerLeaving(QWidget* window, std::function<void()> reset);

// False where the platform does not let a window place itself (Wayland).
bool WindowsPlaceThemselves();

// The look shared by the windows: fonts, list views, check boxes and text boxes on the dark panels.
QString WindowStyleSheet();

} // namespace vx::gui

// A label that reports clicks and the pointer moving over it.
#include "gui/click_label.h"

#include "gui/accessible_controls.h"

namespace vx::gui {

ClickLabel::ClickLabel(const QString& text, QWidget* parent, const QString& name,
                       std::function<void()> onClick, std::function<void()> onHover, QAccessible::Role role)
    : QLabel(text, parent), onClick_(std::move(onClick)), onHover_(std::move(onHover)), role_(role) {
    InstallAccessibleControls();
    setObjectName(name);
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
}

} // namespace vx::gui

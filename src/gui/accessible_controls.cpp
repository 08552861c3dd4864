// Accessibility interfaces for the image buttons and the clickable labels.
#include "gui/accessible_controls.h"

#include "gui/click_label.h"
#include "gui/image_button.h"

#include <QAccessibleWidget>

namespace vx::gui {
namespace {

// A control that acts when pressed: `press` runs what a click (or Enter) on it does.
template <class Control> class AccessiblePressable : public QAccessibleWidget {
  public:
    AccessiblePressable(Control* control, QAccessible::Role role) : QAccessibleWidget(control, role) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& action) override {
        if (action == pressAction() && widget()->isEnabled())
            static_cast<Control*>(widget())->Press();
        else
            QAccessibleWidget::doAction(action);
    }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
    if (className == QLatin1String(ImageButton::staticMetaObject.className()))
        return new AccessiblePressable<ImageButton>(static_cast<ImageButton*>(object), QAccessible::Button);
    if (className == QLatin1String(ClickLabel::staticMetaObject.className())) {
        auto* label = static_cast<ClickLabel*>(object);
        return new AccessiblePressable<ClickLabel>(label, label->accessibleRole());
    }
    return nullptr;
}

} // namespace

void InstallAccessibleControls() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

} // namespace vx::gui

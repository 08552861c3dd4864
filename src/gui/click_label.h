#pragma once
// A label that reports clicks and the pointer moving over it. Screen readers see it as a button (or, in
// a menu, a menu item) whose press action is the click.
#include <QAccessible>
#include <QLabel>
#include <QMouseEvent>

#include <functional>

namespace vx::gui {

class ClickLabel : public QLabel {
    Q_OBJECT
  public:
    ClickLabel(const QString& text, QWidget* parent, const QString& name, std::function<void()> onClick,
               std::function<void()> onHover = {}, QAccessible::Role role = QAccessible::Button);

    // What a click does (a screen reader's press action).
    void Press() {
        if (onClick_)
            onClick_();
    }
    QAccessible::Role accessibleRole() const { return role_; }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            Press();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (onHover_)
            onHover_();
        QLabel::mouseMoveEvent(event);
    }

  private:
    std::function<void()> onClick_;
    std::function<void()> onHover_;
    QAccessible::Role role_;
};

} // namespace vx::gui

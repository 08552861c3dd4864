#pragma once
// A label that reports clicks and the pointer moving over it.
#include <QLabel>
#include <QMouseEvent>

#include <functional>

namespace vx::gui {

class ClickLabel : public QLabel {
  public:
    ClickLabel(const QString& text, QWidget* parent, const QString& name, std::function<void()> onClick,
               std::function<void()> onHover = {})
        : QLabel(text, parent), onClick_(std::move(onClick)), onHover_(std::move(onHover)) {
        setObjectName(name);
        setCursor(Qt::PointingHandCursor);
        setMouseTracking(true);
    }

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && onClick_)
            onClick_();
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (onHover_)
            onHover_();
        QLabel::mouseMoveEvent(event);
    }

  private:
    std::function<void()> onClick_;
    std::function<void()> onHover_;
};

} // namespace vx::gui

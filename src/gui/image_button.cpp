// An image button drawn from a plain and a highlighted SVG drawing, with its text on top.
#include "gui/image_button.h"

#include "gui/accessible_controls.h"
#include "gui/svg_picture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace vx::gui {

ImageButton::ImageButton(const QString& drawing, const QString& text, QWidget* parent, const QString& name,
                         const QString& icon)
    : QWidget(parent), text_(text) {
    InstallAccessibleControls();
    if (!drawing.isEmpty()) {
        plain_.load(Art(drawing));
        hover_.load(Art(drawing + "_hover"));
    }
    setObjectName(name);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    if (!icon.isEmpty())
        hasIcon_ = icon_.load(Art(icon));
    setAccessibleName(text.isEmpty() ? name : text);
}

void ImageButton::SetHighlighted(bool highlighted) {
    if (highlighted_ == highlighted)
        return;
    highlighted_ = highlighted;
    update();
}

void ImageButton::SetText(const QString& text) {
    text_ = text;
    setAccessibleName(text);
    update();
}

void ImageButton::SetTextColour(QColor colour) {
    textColour_ = colour;
    update();
}

void ImageButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.35); // a disabled button reads as out of reach
    QSvgRenderer& face = highlighted_ ? hover_ : plain_;
    if (face.isValid())
        face.render(&painter, QRectF(rect()));
    QRectF textArea = rect();
    if (hasIcon_) {
        const qreal side = height() * 0.75;
        const QRectF iconArea((height() - side) / 2, (height() - side) / 2, side, side);
        icon_.render(&painter, iconArea);
        textArea.setLeft(height());
    }
    if (!text_.isEmpty()) {
        painter.setPen(isEnabled() ? (highlighted_ ? QColor(Qt::white) : textColour_)
                                   : QColor(0x80, 0x88, 0x96));
        painter.setFont(font());
        painter.drawText(textArea, Qt::AlignCenter | Qt::TextWordWrap, text_);
    }
    if (hasFocus()) {
        QPen pen(QColor(0x3f, 0xd0, 0xbf));
        pen.setStyle(Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(2.5, 2.5, -2.5, -2.5), 4, 4);
    }
}

void ImageButton::mouseMoveEvent(QMouseEvent* event) {
    if (!highlighted_)
        emit hovered();
    event->accept(); // the panel below is a reset area of its own: the movement stops here
}

void ImageButton::enterEvent(QEnterEvent*) {
    if (!highlighted_)
        emit hovered();
}

void ImageButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}

void ImageButton::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        Press();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void ImageButton::focusInEvent(QFocusEvent* event) {
    update();
    QWidget::focusInEvent(event);
}

void ImageButton::focusOutEvent(QFocusEvent* event) {
    update();
    QWidget::focusOutEvent(event);
}

} // namespace vx::gui

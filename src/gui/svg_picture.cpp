// A picture drawn from an SVG drawing that reports the mouse over it.
#include "gui/svg_picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace vx::gui {

QString Art(const QString& name) { return QStringLiteral(":/art/%1.svg").arg(name); }

SvgPicture::SvgPicture(const QString& drawing, QWidget* parent, const QString& name)
    : QWidget(parent), renderer_(Art(drawing)) {
    setObjectName(name);
    setMouseTracking(true);
}

void SvgPicture::SetDrawing(const QString& drawing) {
    renderer_.load(Art(drawing));
    update();
}

void SvgPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    renderer_.render(&painter, QRectF(rect()));
}

void SvgPicture::mouseMoveEvent(QMouseEvent* event) {
    emit mouseMoved(event->position().toPoint());
    event->accept();
}

void SvgPicture::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        emit pressed(event->position().toPoint());
}

void SvgPicture::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    emit released();
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

} // namespace vx::gui

#pragma once
// A picture drawn from one of the program's SVG drawings, stretched to the widget. Pictures pass the
// mouse movement over them on to the window (as the reset areas need).
#include <QSvgRenderer>
#include <QWidget>

namespace vx::gui {

class SvgPicture : public QWidget {
    Q_OBJECT
  public:
    SvgPicture(const QString& drawing, QWidget* parent, const QString& name);
    void SetDrawing(const QString& drawing);

  signals:
    void mouseMoved(QPoint at);
    void pressed(QPoint at);
    void released();
    void clicked();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    QSvgRenderer renderer_;
};

// ":/art/<name>.svg"
QString Art(const QString& name);

} // namespace vx::gui

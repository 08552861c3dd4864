#pragma once
// An image button drawn from a pair of SVG drawings, the plain one and its highlighted twin, with its text
// drawn on top. It shows what the window's rules say (plain or highlighted, enabled, visible) and reports
// the pointer moving over it and clicks; the rules decide what they do. It takes the keyboard focus with
// Tab, and Enter or Space press it.
#include <QSvgRenderer>
#include <QWidget>

namespace vx::gui {

class ImageButton : public QWidget {
    Q_OBJECT
  public:
    // `drawing`: the pair "<drawing>.svg" / "<drawing>_hover.svg"; `icon`: an optional SVG drawn at the
    // left of a large button; `name`: the control's name (the plain picture's, e.g. "ImgScanNowNormal").
    ImageButton(const QString& drawing, const QString& text, QWidget* parent, const QString& name,
                const QString& icon = {});

    void SetHighlighted(bool highlighted);
    bool highlighted() const { return highlighted_; }
    void SetText(const QString& text);
    void SetTextColour(QColor colour);
    // What Enter or Space on the button does (a screen reader's press action).
    void Press() { emit keyPressed(); }

  signals:
    // The pointer moved over the button's plain picture.
    void hovered();
    // A click (mouse released over the button), or Enter/Space on the focused button.
    void clicked();
    void keyPressed();

  protected:
    void paintEvent(QPaintEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

  private:
    QSvgRenderer plain_;
    QSvgRenderer hover_;
    QSvgRenderer icon_;
    bool hasIcon_ = false;
    bool highlighted_ = false;
    QString text_;
    QColor textColour_{0xE0, 0xE0, 0xE0};
};

} // namespace vx::gui

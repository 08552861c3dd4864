// The frame every borderless window shares: background, title strip, dragging, and the look.
#include "gui/frameless_window.h"

#include "gui/svg_picture.h"

#include "ui/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

namespace vx::gui {
namespace {

constexpr int kTwipsPerPixel = 15;

class LeaveWatcher : public QObject {
  public:
    LeaveWatcher(QWidget* window, std::function<void()> reset) : QObject(window), reset_(std::move(reset)) {
        window->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Leave && watched == parent())
            reset_();
        return false;
    }

  private:
    std::function<void()> reset_;
};

ScreenRect Rect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

class Placer : public QObject {
  public:
    explicit Placer(QWidget* window) : QObject(window), window_(window) { window->installEventFilter(this); }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched == window_)
            Place();
        return false;
    }

  private:
    void Place() {
        QWidget* owner = window_->parentWidget() ? window_->parentWidget()->window() : nullptr;
        const QScreen* screen = owner ? owner->screen() : window_->screen();
        if (!screen)
            return;
        const ScreenRect available = Rect(screen->availableGeometry());
        const QRect now = window_->frameGeometry();
        ScreenRect placed;
        if (owner)
            placed = CentreOn(Rect(owner->frameGeometry()), now.width(), now.height(), available);
        else if (!placedOnce_)
            placed = CentreOn(available, now.width(), now.height(), available);
        else
            placed = PlaceInside(Rect(now), available);
        placedOnce_ = true;
        if (placed.left != now.x() || placed.top != now.y())
            window_->move(placed.left, placed.top);
    }

    QWidget* window_;
    bool placedOnce_ = false;
};

} // namespace

bool WindowsPlaceThemselves() {
    return !QGuiApplication::platformName().startsWith("wayland");
}

void PlaceWhenShown(QWidget* window) {
    new Placer(window);
}

void OnPointerLeaving(QWidget* window, std::function<void()> reset) {
    new LeaveWatcher(window, std::move(reset));
}

FramedParts BuildFrame(QWidget* window, QSize size, const QString& caption, const QString& backgroundName,
                       bool withStrip) {
    window->setWindowFlag(Qt::FramelessWindowHint);
    window->setFixedSize(size);
    window->setWindowTitle(caption);
    window->setStyleSheet(WindowStyleSheet());
    PlaceWhenShown(window);
    FramedParts parts;
    const int top = withStrip ? kStripHeight : 0;
    parts.background = new SvgPicture("dialog_background", window, backgroundName);
    parts.background->setGeometry(0, top, size.width(), size.height() - top);
    if (!withStrip)
        return parts;
    parts.strip = new SvgPicture("title_strip", window, "ImgFormMove");
    parts.strip->setGeometry(0, 0, size.width(), kStripHeight);
    parts.stripIcon = new SvgPicture("app_icon", window, "ImgToolBarDrevanto");
    parts.stripIcon->setGeometry(8, 6, 24, 24);
    parts.caption = new QLabel(caption, window);
    parts.caption->setObjectName("caption");
    parts.caption->setGeometry(40, 0, size.width() - 160, kStripHeight);
    parts.caption->setAttribute(Qt::WA_TransparentForMouseEvents);
    return parts;
}

void AttachDrag(const FramedParts& parts, QWidget* window, WindowDrag& drag,
                std::function<void()> onStripMove) {
    for (SvgPicture* piece : {parts.strip, parts.stripIcon}) {
        if (!piece)
            continue;
        // The small picture forwards to the strip: positions are taken on the strip.
        auto onStrip = [piece, strip = parts.strip](QPoint at) { return piece->mapTo(strip, at); };
        QObject::connect(piece, &SvgPicture::pressed, window, [window, &drag, onStrip](QPoint at) {
            if (!WindowsPlaceThemselves()) {
                if (QWindow* handle = window->windowHandle())
                    handle->startSystemMove();
                return;
            }
            const QPoint p = onStrip(at);
            drag.Press(PixelsToTwips16(p.x()), PixelsToTwips16(p.y()));
        });
        QObject::connect(
            piece, &SvgPicture::mouseMoved, window, [window, &drag, onStrip, onStripMove](QPoint at) {
                if (onStripMove)
                    onStripMove();
                const QPoint p = onStrip(at);
                const WindowPosition now{window->x() * kTwipsPerPixel, window->y() * kTwipsPerPixel};
                if (auto to = drag.Move(now, PixelsToTwips16(p.x()), PixelsToTwips16(p.y())))
                    window->move(to->left / kTwipsPerPixel, to->top / kTwipsPerPixel);
            });
        QObject::connect(piece, &SvgPicture::released, window, [&drag] { drag.Release(); });
    }
}

QString WindowStyleSheet() {
    return QStringLiteral(R"(
QWidget { font-family: "DejaVu Sans"; font-size: 9pt; color: #E0E0E0; }
QLabel { background: transparent; }
QLabel:disabled { color: #5a6478; }
QLabel#caption { font-weight: bold; font-size: 10pt; color: #F4F7FB; }
QTreeView, QListView {
    background: #1b2230; alternate-background-color: #202939; border: 1px solid #34425a;
    border-radius: 4px; selection-background-color: #2bb3a3; selection-color: #0e1420; outline: 0;
}
QTreeView:focus, QListView:focus { border: 1px solid #3fd0bf; }
QHeaderView::section {
    background: #263142; color: #E0E0E0; border: none; border-bottom: 1px solid #34425a;
    padding: 4px 6px; font-weight: bold;
}
QLineEdit {
    background: #141a25; border: 1px solid #34425a; border-radius: 3px; padding: 3px 5px; color: #F4F7FB;
    selection-background-color: #2bb3a3;
}
QLineEdit[readOnly="true"] { color: #808896; background: #1b2230; }
QLineEdit:focus { border: 1px solid #3fd0bf; }
QCheckBox { spacing: 6px; background: transparent; border: 1px solid transparent; border-radius: 3px; }
QCheckBox:focus { border: 1px solid #3fd0bf; }
QCheckBox::indicator, QTreeView::indicator { width: 16px; height: 16px; }
QCheckBox::indicator:unchecked, QTreeView::indicator:unchecked { image: url(:/art/check_box.svg); }
QCheckBox::indicator:checked, QTreeView::indicator:checked { image: url(:/art/check_box_checked.svg); }
QCheckBox::indicator:indeterminate, QTreeView::indicator:indeterminate { image: url(:/art/check_box_partial.svg); }
QTreeView::item { padding: 2px 2px; }
QScrollBar:vertical { background: #1b2230; width: 12px; margin: 0; }
QScrollBar::handle:vertical { background: #34425a; min-height: 24px; border-radius: 5px; margin: 2px; }
QScrollBar::add-line, QScrollBar::sub-line { height: 0; width: 0; }
QScrollBar:horizontal { background: #1b2230; height: 12px; margin: 0; }
QScrollBar::handle:horizontal { background: #34425a; min-width: 24px; border-radius: 5px; margin: 2px; }
QToolTip { background: #263142; color: #F4F7FB; border: 1px solid #34425a; }
)");
}

} // namespace vx::gui

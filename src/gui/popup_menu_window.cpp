// frmMenuPopUp on screen: its labels, its three timers, and the screen it measures.
#include "gui/popup_menu_window.h"

#include "gui/click_label.h"
#include "gui/frameless_window.h"
#include "gui/svg_picture.h"

#include <QApplication>
#include <QScreen>

namespace vx::gui {
namespace {

constexpr int kWidth = 190;
constexpr int kHeight = 180;
constexpr int kTwipsPerPixel = 15;

size_t Index(MenuItem item) { return static_cast<size_t>(item); }

} // namespace

PopupMenuWindow::PopupMenuWindow(App& app, FrmMain& main, clsTray& tray, MainWindowHooks hooks)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      rules_(app, main, tray, *this), hooks_(std::move(hooks)) {
    setObjectName("frmMenuPopUp");
    setFixedSize(kWidth, kHeight);
    setStyleSheet(WindowStyleSheet());
    auto* background = new SvgPicture("panel", this, "Picture1");
    background->setGeometry(rect());
    connect(background, &SvgPicture::mouseMoved, this, [this] { Forward([this] { rules_.Picture1_MouseMove(); }); });
    auto* title = new QLabel("Vantrelix v3.0", this);
    title->setGeometry(12, 6, 130, 24);
    title->setStyleSheet("color: #808896; font-size: 8pt;");
    title->setAttribute(Qt::WA_TransparentForMouseEvents);

    struct Item {
        MenuItem item;
        const char* name;
        const char* text;
        QRect at;
    };
    const Item items[] = {
        {MenuItem::MenuRestore, "MenuRestore", "Maximize", QRect(10, 34, kWidth - 20, 32)},
        {MenuItem::MenuScan, "MenuScan", "Scan Now", QRect(10, 68, kWidth - 20, 32)},
        {MenuItem::MenuSettings, "MenuSettings", "Settings", QRect(10, 102, kWidth - 20, 32)},
        {MenuItem::MenuExit, "MenuExit", "Exit", QRect(10, 136, kWidth - 20, 32)},
        {MenuItem::lblMenuClose, "lblMenuClose", "X", QRect(kWidth - 34, 6, 24, 24)},
    };
    for (const Item& i : items) {
        auto* label = new ClickLabel(
            i.text, this, i.name, [this, item = i.item] { Forward([this, item] { rules_.Click(item); }); },
            [this, item = i.item] { Forward([this, item] { rules_.MouseMove(item); }); });
        label->setGeometry(i.at);
        label->setAccessibleName(i.item == MenuItem::lblMenuClose ? "Close the menu" : i.text);
        label->setToolTip(label->accessibleName());
        items_[Index(i.item)] = label;
    }

    tmrMenuPopup_.setInterval(FrmMenuPopUp::kMenuPopupMs);
    TmrEnablePopDown_.setInterval(FrmMenuPopUp::kEnablePopDownMs);
    tmrPopDown_.setInterval(FrmMenuPopUp::kPopDownMs);
    tmrMenuPopup_.setObjectName("tmrMenuPopup");
    TmrEnablePopDown_.setObjectName("TmrEnablePopDown");
    tmrPopDown_.setObjectName("tmrPopDown");
    for (QTimer* timer : {&tmrMenuPopup_, &TmrEnablePopDown_, &tmrPopDown_})
        timer->setParent(this);
    connect(&tmrMenuPopup_, &QTimer::timeout, this, [this] { Forward([this] { rules_.tmrMenuPopup_Timer(); }); });
    connect(&TmrEnablePopDown_, &QTimer::timeout, this, [this] { Forward([this] { rules_.TmrEnablePopDown_Timer(); }); });
    connect(&tmrPopDown_, &QTimer::timeout, this, [this] { Forward([this] { rules_.tmrPopDown_Timer(); }); });
}

MenuScreen PopupMenuWindow::Screen() const {
    MenuScreen screen;
    const QScreen* on = QGuiApplication::primaryScreen();
    if (on) {
        const QRect all = on->geometry();
        const QRect available = on->availableGeometry();
        screen.desktopWidth = all.width();
        screen.desktopHeight = all.height();
        // The taskbar: the part of the screen's bottom edge the available area leaves out.
        screen.taskbarHeight = std::max(0, all.bottom() - available.bottom());
    }
    screen.menuWidth = width();
    screen.menuHeightTwips = height() * kTwipsPerPixel;
    return screen;
}

void PopupMenuWindow::Open() {
    Forward([this] { rules_.Form_Load(Screen()); });
}

void PopupMenuWindow::ShowMenu() {
    if (isVisible()) // every tick of a slide keeps the menu shown
        return;
    show();
    raise();
}

void PopupMenuWindow::MoveMenu(int leftTwips, int topTwips) { move(leftTwips / kTwipsPerPixel, topTwips / kTwipsPerPixel); }

void PopupMenuWindow::CloseMenu() {
    hide();
    emit closed();
}

void PopupMenuWindow::SetBusyPointer(bool busy) {
    if (busy == busyPointer_)
        return;
    busyPointer_ = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void PopupMenuWindow::Forward(const std::function<void()>& event) {
    event();
    Render();
    if (hooks_.afterEvent)
        hooks_.afterEvent();
}

void PopupMenuWindow::Render() {
    for (size_t i = 0; i < items_.size(); ++i) {
        const MenuItemStyle& style = rules_.style(static_cast<MenuItem>(i));
        QFont font = items_[i]->font();
        font.setBold(style.bold);
        font.setUnderline(style.underlined);
        font.setPointSize(i == Index(MenuItem::lblMenuClose) ? 10 : 11);
        items_[i]->setFont(font);
        items_[i]->setEnabled(style.enabled);
        items_[i]->setAlignment(style.centred ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    }
    auto follow = [](QTimer& timer, bool enabled) {
        if (enabled != timer.isActive())
            enabled ? timer.start() : timer.stop();
    };
    follow(tmrMenuPopup_, rules_.tmrMenuPopup);
    follow(TmrEnablePopDown_, rules_.TmrEnablePopDown);
    follow(tmrPopDown_, rules_.tmrPopDown);
}

} // namespace vx::gui

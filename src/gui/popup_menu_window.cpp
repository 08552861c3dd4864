// frmMenuPopUp on screen: its labels, its three timers, and the screen it measures.
#include "gui/popup_menu_window.h"

#include "gui/click_label.h"
#include "gui/frameless_window.h"
#include "gui/screen_pointer.h"
#include "gui/svg_picture.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>

namespace vx::gui {
namespace {

constexpr int kWidth = 190;
constexpr int kHeight = 180;
constexpr int kTwipsPerPixel = 15;

size_t Index(MenuItem item) {
    return static_cast<size_t>(item);
}

ScreenRect Rect(const QRect& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

} // namespace

PopupMenuWindow::PopupMenuWindow(App& app, FrmMain& main, clsTray& tray, MainWindowHooks hooks)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      rules_(app, main, tray, *this), hooks_(std::move(hooks)) {
    setObjectName("frmMenuPopUp");
    setFixedSize(kWidth, kHeight);
    setStyleSheet(WindowStyleSheet());
    auto* background = new SvgPicture("panel", this, "Picture1");
    background->setGeometry(rect());
    connect(background, &SvgPicture::mouseMoved, this,
            [this] { Forward([this] { rules_.Picture1_MouseMove(); }); });
    OnPointerLeaving(this, [this] { Forward([this] { rules_.Picture1_MouseMove(); }); });
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
            [this, item = i.item] { Forward([this, item] { rules_.MouseMove(item); }); },
            i.item == MenuItem::lblMenuClose ? QAccessible::Button : QAccessible::MenuItem);
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
    connect(&tmrMenuPopup_, &QTimer::timeout, this,
            [this] { Forward([this] { rules_.tmrMenuPopup_Timer(); }); });
    connect(&TmrEnablePopDown_, &QTimer::timeout, this,
            [this] { Forward([this] { rules_.TmrEnablePopDown_Timer(); }); });
    connect(&tmrPopDown_, &QTimer::timeout, this, [this] { Forward([this] { rules_.tmrPopDown_Timer(); }); });
}

void PopupMenuWindow::FindPlace() {
    // The screen the icon is on (else the pointer's), and the edge of it the icon's panel stands at.
    const std::optional<QRect> icon = hooks_.iconGeometry ? hooks_.iconGeometry() : std::nullopt;
    const QScreen* on =
        icon ? QGuiApplication::screenAt(icon->center()) : QGuiApplication::screenAt(QCursor::pos());
    if (!on)
        on = QGuiApplication::primaryScreen();
    if (!on)
        return;
    screen_ = Rect(on->geometry());
    panel_ = FindMenuPanel(screen_, Rect(on->availableGeometry()),
                           icon ? std::optional<ScreenRect>(Rect(*icon)) : std::nullopt);
}

MenuScreen PopupMenuWindow::Screen() const {
    return MenuScreenFor(screen_, panel_, width(), height());
}

void PopupMenuWindow::Open() {
    FindPlace();
    Forward([this] { rules_.Form_Load(Screen()); });
}

void PopupMenuWindow::ShowMenu() {
    if (isVisible()) // every tick of a slide keeps the menu shown
        return;
    show();
    raise();
}

void PopupMenuWindow::MoveMenu(int leftTwips, int topTwips) {
    const MenuPoint at = MenuOnScreen(screen_, panel_, width(), height(), leftTwips, topTwips);
    move(at.x, at.y);
}

void PopupMenuWindow::CloseMenu() {
    hide();
    emit closed();
}

void PopupMenuWindow::SetBusyPointer(bool busy) {
    SetScreenPointerBusy(busy);
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

// frmMenuPopUp: the small menu that slides up from the taskbar when the tray icon is clicked, waits, and
// slides down again by itself; its items bring the main window back, start a scan, open the settings or
// end the program.
#include "ui/popup_menu.h"

#include "app/app.h"
#include "app/message_box.h"
#include "platform/text.h"
#include "ui/main_window.h"

#include <cmath>

namespace vx {
namespace {

// Pixels to twips as the menu converts them: 14.5 vertically, 14.7 horizontally (a little short of the
// 15 twips of a pixel, which keeps the menu clear of the screen's right-hand edge).
constexpr double kVerticalTwipsPerPixel = 14.5;
constexpr double kHorizontalTwipsPerPixel = 14.7;
constexpr int16_t kHeightMultiplier = 1;
constexpr int kTargetGapTwips = 100;

TrayForm MainWindowForm() {
    return TrayForm{std::string(kProductName)};
}

} // namespace

int32_t RoundHalfEven(double value) {
    const double floor = std::floor(value);
    const double fraction = value - floor;
    double rounded = floor;
    if (fraction > 0.5)
        rounded = floor + 1;
    else if (fraction == 0.5)
        rounded = std::fmod(floor, 2.0) == 0 ? floor : floor + 1;
    return static_cast<int32_t>(rounded);
}

FrmMenuPopUp::FrmMenuPopUp(App& app, FrmMain& main, clsTray& tray, MenuPopUpShell& shell)
    : app_(app), main_(main), tray_(tray), shell_(shell) {}

void FrmMenuPopUp::Form_Load(const MenuScreen& screen) {
    styles_ = {};
    styles_[static_cast<size_t>(MenuItem::MenuRestore)].enabled = shell_.MainWindowHidden();
    const bool idle = main_.ScanIdle();
    styles_[static_cast<size_t>(MenuItem::MenuScan)].enabled = idle;
    styles_[static_cast<size_t>(MenuItem::MenuSettings)].enabled = idle;
    shell_.SetBusyPointer(false);
    // Of the timers, only the slide up's runs after loading.
    tmrPopDown = false;
    TmrEnablePopDown = false;

    taskbarHeight_ = RoundHalfEven(screen.taskbarHeight * kVerticalTwipsPerPixel);
    desktopHeight_ = RoundHalfEven(screen.desktopHeight * kVerticalTwipsPerPixel);
    top_ = desktopHeight_ - taskbarHeight_;
    left_ = RoundHalfEven((screen.desktopWidth - screen.menuWidth) * kHorizontalTwipsPerPixel);
    targetTop_ = RoundHalfEven(
        desktopHeight_ - (static_cast<double>(screen.menuHeightTwips) * kHeightMultiplier + kTargetGapTwips));
    shell_.MoveMenu(left_, top_);
    shell_.ShowMenu();
    tmrMenuPopup = true;
}

void FrmMenuPopUp::tmrMenuPopup_Timer() {
    if (!tmrMenuPopup)
        return;
    shell_.ShowMenu();
    if (top_ > targetTop_) {
        top_ -= kSlideUpTwips;
        shell_.MoveMenu(left_, top_);
    } else {
        tmrMenuPopup = false;
        TmrEnablePopDown = true;
    }
}

void FrmMenuPopUp::TmrEnablePopDown_Timer() {
    if (!TmrEnablePopDown)
        return;
    TmrEnablePopDown = false;
    tmrPopDown = true;
}

void FrmMenuPopUp::tmrPopDown_Timer() {
    if (!tmrPopDown)
        return;
    shell_.ShowMenu();
    top_ += kSlideDownTwips;
    shell_.MoveMenu(left_, top_);
    if (top_ > kClosedBelowTwips) {
        // Closing unloads the menu, and its timers with it.
        tmrPopDown = false;
        tmrMenuPopup = false;
        TmrEnablePopDown = false;
        shell_.CloseMenu();
    }
}

void FrmMenuPopUp::Click(MenuItem item) {
    if (item == MenuItem::Count || !style(item).enabled)
        return;
    switch (item) {
    case MenuItem::MenuRestore:
        Maximize();
        break;
    case MenuItem::MenuScan:
        ScanNow();
        break;
    case MenuItem::MenuSettings:
        Settings();
        break;
    case MenuItem::MenuExit:
        Exit();
        break;
    case MenuItem::lblMenuClose:
        SlideDown();
        break;
    case MenuItem::Count:
        break;
    }
}

void FrmMenuPopUp::MouseMove(MenuItem item) {
    // A disabled label takes no mouse events.
    if (item == MenuItem::Count || !style(item).enabled)
        return;
    if (item == MenuItem::MenuRestore || item == MenuItem::MenuScan)
        ClearStyles();
    MenuItemStyle& s = styles_[static_cast<size_t>(item)];
    s.bold = true;
    s.underlined = true;
    s.centred = true;
}

void FrmMenuPopUp::Picture1_MouseMove() {
    ClearStyles();
}

void FrmMenuPopUp::ClearStyles() {
    for (MenuItemStyle& s : styles_) {
        s.bold = false;
        s.underlined = false;
        s.centred = true;
    }
}

void FrmMenuPopUp::SlideDown() {
    TmrEnablePopDown = false;
    tmrMenuPopup = false;
    tmrPopDown = true;
}

void FrmMenuPopUp::ShowMainAndRefresh() {
    shell_.ShowMainWindowNormal();
    main_.RefreshThePicControls();
    main_.LoadCheckList();
}

void FrmMenuPopUp::Maximize() {
    ShowMainAndRefresh();
    shell_.SetBusyPointer(!main_.ScanIdle());
    SlideDown();
    tray_.RemoveIcon(MainWindowForm());
}

void FrmMenuPopUp::ScanNow() {
    ShowMainAndRefresh();
    SlideDown();
    tray_.RemoveIcon(MainWindowForm());
    shell_.StartScanLater();
}

void FrmMenuPopUp::Settings() {
    ShowMainAndRefresh();
    SlideDown();
    tray_.RemoveIcon(MainWindowForm());
    main_.tmrSettings = true;
}

void FrmMenuPopUp::Exit() {
    Maximize();
    // The menu stays where it is while the question is open.
    TmrEnablePopDown = false;
    tmrPopDown = false;
    held_ = true;
    const bool end = AskMessageBox(app_, kCloseConfirmation);
    held_ = false;
    if (end) {
        tray_.RemoveIcon(MainWindowForm());
        shell_.EndProgram();
        return;
    }
    shell_.HideMainWindow();
    tray_.ShowIcon(MainWindowForm());
    tray_.ChangeToolTip(MainWindowForm(), kProductName);
    TmrEnablePopDown = true;
    tmrPopDown = true;
}

} // namespace vx

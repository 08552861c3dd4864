#pragma once
// frmMenuPopUp's rules, free of any toolkit: where the menu stands (from the screen, in twips), its slide
// up, its wait, its slide down, its items, their enabled states and hover styles, and Exit with its
// question. Its three timers are flags; the front end (or a test, as the clock) calls their ticks.
#include "ui/tray_icon.h"

#include <array>
#include <cstdint>
#include <string>

namespace vx {

class App;
class FrmMain;

enum class MenuItem { MenuRestore, MenuScan, MenuSettings, MenuExit, lblMenuClose, Count };

// The screen as the menu measures it, in pixels.
struct MenuScreen {
    int desktopWidth = 0; // the desktop window's client rectangle
    int desktopHeight = 0;
    int taskbarHeight = 0; // the part of the screen's bottom edge the desktop's available area leaves out
    int menuWidth = 0;     // the menu's client width
    int menuHeightTwips = 0;
};

// What the menu asks of its front end and of the main window.
class MenuPopUpShell {
  public:
    virtual ~MenuPopUpShell() = default;
    virtual void ShowMenu() = 0;
    virtual void MoveMenu(int leftTwips, int topTwips) = 0;
    virtual void CloseMenu() = 0;
    virtual void ShowMainWindowNormal() = 0;
    virtual void HideMainWindow() = 0;
    virtual bool MainWindowHidden() const = 0;
    // The screen's pointer: the hourglass or the default.
    virtual void SetBusyPointer(bool busy) = 0;
    // Runs the main window's Scan Now once the click that asked for it is over, so that the menu's
    // events during the scan never run inside that click.
    virtual void StartScanLater() = 0;
    // Ends the program at once (Exit confirmed).
    virtual void EndProgram() = 0;
};

struct MenuItemStyle {
    bool enabled = true;
    bool bold = false;
    bool underlined = false;
    bool centred = true;
};

class FrmMenuPopUp {
  public:
    static constexpr int kSlideUpTwips = 80;
    static constexpr int kSlideDownTwips = 40;
    static constexpr int kClosedBelowTwips = 11167;
    static constexpr int kMenuPopupMs = 1;
    static constexpr int kEnablePopDownMs = 10000;
    static constexpr int kPopDownMs = 10;

    FrmMenuPopUp(App& app, FrmMain& main, clsTray& tray, MenuPopUpShell& shell);

    // Loading: enabled items, the pointer, the geometry, then visible and sliding up.
    void Form_Load(const MenuScreen& screen);

    void tmrMenuPopup_Timer();
    void TmrEnablePopDown_Timer();
    void tmrPopDown_Timer();

    void Click(MenuItem item);
    void MouseMove(MenuItem item);
    void Picture1_MouseMove(); // the background: every item back to plain

    // Timers (enabled flags) and where the menu stands.
    bool tmrMenuPopup = false;
    bool TmrEnablePopDown = false;
    bool tmrPopDown = false;
    int top() const { return top_; }
    int left() const { return left_; }
    int targetTop() const { return targetTop_; }
    int taskbarHeightTwips() const { return taskbarHeight_; }
    int desktopHeightTwips() const { return desktopHeight_; }
    const MenuItemStyle& style(MenuItem item) const { return styles_[static_cast<size_t>(item)]; }
    bool held() const { return held_; } // Exit's question is open

  private:
    void Maximize();
    void ScanNow();
    void Settings();
    void Exit();
    void SlideDown();
    void ShowMainAndRefresh();
    void ClearStyles();

    App& app_;
    FrmMain& main_;
    clsTray& tray_;
    MenuPopUpShell& shell_;
    std::array<MenuItemStyle, static_cast<size_t>(MenuItem::Count)> styles_{};
    int top_ = 0;
    int left_ = 0;
    int targetTop_ = 0;
    int taskbarHeight_ = 0;
    int desktopHeight_ = 0;
    bool held_ = false;
};

// Rounds to the nearest integer, halves to the even neighbour (as the menu's geometry is rounded).
int32_t RoundHalfEven(double value);

} // namespace vx

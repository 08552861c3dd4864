#pragma once
// frmMenuPopUp on Windows: a small borderless window that slides up from the taskbar's edge with Maximize,
// Scan Now, Settings and Exit. Its rules are FrmMenuPopUp's; this draws them, runs their three timers
// (AnimateWindow does not slide under Wine, so the rules' own timer slide moves it) and forwards the
// pointer. One menu serves the program: each opening loads it afresh.
#include "ui/menu_edge.h"
#include "ui/popup_menu.h"

#include "win32gui/windows_api.h"

#include <array>
#include <functional>
#include <optional>

namespace vx::win32gui {

inline constexpr wchar_t kPopupMenuClass[] = L"VantrelixMenuPopUp";

class PopupMenuWindow : private MenuPopUpShell {
  public:
    struct MainWindowHooks {
        std::function<void()> showNormal;
        std::function<void()> hide;
        std::function<bool()> hidden;
        std::function<void()> endProgram;
        std::function<void()> startScanLater; // the main window's Scan Now, once the click is over
        std::function<void()> afterEvent;     // the main window redraws what the menu's action changed
    };
    PopupMenuWindow(App& app, FrmMain& main, clsTray& tray, MainWindowHooks hooks);
    ~PopupMenuWindow() override;
    PopupMenuWindow(const PopupMenuWindow&) = delete;
    PopupMenuWindow& operator=(const PopupMenuWindow&) = delete;

    // Loads the menu against the screen: placed, visible, sliding up.
    void Open();
    bool visible() const { return IsWindowVisible(window_) != FALSE; }
    void BringToFront();
    HWND handle() const { return window_; }
    FrmMenuPopUp& rules() { return rules_; }
    MenuPanel panel() const { return panel_; }
    // Where an item stands in the menu (client pixels).
    RECT ItemRect(MenuItem item) const;

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void ShowMenu() override;
    void MoveMenu(int leftTwips, int topTwips) override;
    void CloseMenu() override;
    void ShowMainWindowNormal() override { hooks_.showNormal(); }
    void HideMainWindow() override { hooks_.hide(); }
    bool MainWindowHidden() const override { return hooks_.hidden(); }
    void SetBusyPointer(bool busy) override;
    void EndProgram() override { hooks_.endProgram(); }
    void StartScanLater() override { hooks_.startScanLater(); }

    // The menu's size and fonts at `dpi`.
    void LayOut(unsigned dpi);
    int Width() const;
    int Height() const;
    void FindPlace();
    void Forward(const std::function<void()>& event);
    void Render();
    void Paint(HDC dc) const;
    std::optional<MenuItem> ItemAt(LPARAM point) const;
    HFONT FontFor(const MenuItemStyle& style) const;

    FrmMenuPopUp rules_;
    MainWindowHooks hooks_;
    HWND window_ = nullptr;
    unsigned dpi_ = USER_DEFAULT_SCREEN_DPI;
    ScreenRect screen_;
    MenuPanel panel_;
    std::array<bool, 3> timers_{};
    // Plain, bold, underlined, bold and underlined.
    std::array<HFONT, 4> fonts_{};
    bool tracking_ = false;
};

} // namespace vx::win32gui

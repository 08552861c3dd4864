#pragma once
// The tray's own menu, for desktops where a window cannot place itself (Wayland) and the sliding menu
// could not rise from the icon: the same items, enabled by the same rules, doing the same things
// (FrmMenuPopUp's), in the menu the desktop's tray shows.
#include "gui/popup_menu_window.h"

#include <QMenu>

#include <array>

class QAction;

namespace vx::gui {

class NativeTrayMenu : public QObject, private MenuPopUpShell {
  public:
    NativeTrayMenu(App& app, FrmMain& main, clsTray& tray, PopupMenuWindow::MainWindowHooks hooks);

    QMenu* menu() { return &menu_; }
    // Loads the rules as the menu opens: which items are enabled now.
    void Load();

  private:
    void ShowMenu() override {}
    void MoveMenu(int, int) override {}
    void CloseMenu() override {}
    void ShowMainWindowNormal() override { hooks_.showNormal(); }
    void HideMainWindow() override { hooks_.hide(); }
    bool MainWindowHidden() const override { return hooks_.hidden(); }
    void SetBusyPointer(bool busy) override;
    void EndProgram() override { hooks_.endProgram(); }
    void StartScanLater() override { hooks_.startScanLater(); }

    FrmMenuPopUp rules_;
    PopupMenuWindow::MainWindowHooks hooks_;
    QMenu menu_;
    std::array<QAction*, 4> actions_{}; // Maximize, Scan Now, Settings, Exit
};

} // namespace vx::gui

#pragma once
// frmMenuPopUp on screen: a small borderless window that slides up from the bottom of the screen with
// Maximize, Scan Now, Settings and Exit. Its rules are FrmMenuPopUp's; this renders them, runs their
// timers and forwards the pointer.
#include "ui/menu_edge.h"
#include "ui/popup_menu.h"

#include <QTimer>
#include <QWidget>

#include <QRect>

#include <array>
#include <functional>
#include <optional>

class QLabel;

namespace vx::gui {

class PopupMenuWindow : public QWidget, private MenuPopUpShell {
    Q_OBJECT
  public:
    struct MainWindowHooks {
        std::function<void()> showNormal;
        std::function<void()> hide;
        std::function<bool()> hidden;
        std::function<void()> endProgram;
        std::function<void()> startScanLater; // the main window's Scan Now, once the click is over
        std::function<void()> afterEvent;     // the main window redraws what the menu's action changed
        std::function<std::optional<QRect>()> iconGeometry; // where the tray icon is, when the tray says
    };
    PopupMenuWindow(App& app, FrmMain& main, clsTray& tray, MainWindowHooks hooks);

    // Loads the menu against the screen it shows on: placed, visible, sliding up.
    void Open();
    // The screen as the menu measures it.
    MenuScreen Screen() const;
    MenuPanel panel() const { return panel_; }
    FrmMenuPopUp& rules() { return rules_; }

  signals:
    void closed();

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

    void Forward(const std::function<void()>& event);
    void Render();
    void FindPlace();

    FrmMenuPopUp rules_;
    MainWindowHooks hooks_;
    std::array<QLabel*, static_cast<size_t>(MenuItem::Count)> items_{};
    QTimer tmrMenuPopup_;
    QTimer TmrEnablePopDown_;
    QTimer tmrPopDown_;
    ScreenRect screen_;
    MenuPanel panel_;
};

} // namespace vx::gui

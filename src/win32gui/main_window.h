#pragma once
// FrmMain on Windows: a borderless window with its own title strip; the start panel with the section
// check-list and the three large buttons; the scanning and results panels laid over it as child windows. The
// window's rules are FrmMain's and what the engine's runs tell is projected into its model
// (FrmMain::model()): this renders them, redrawing only what their change numbers say changed, and forwards
// the user's events.
#include "ui/main_window.h"
#include "win32gui/image_button.h"
#include "win32gui/layout.h"
#include "win32gui/list_view.h"
#include "win32gui/popup_menu_window.h"
#include "win32gui/run_key_entry.h"
#include "win32gui/tray.h"

#include "win32gui/windows_api.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace vx::win32gui {

class Win32FrontEnd;

inline constexpr wchar_t kMainWindowClass[] = L"VantrelixMainWindow";
inline constexpr wchar_t kPanelClass[] = L"VantrelixPanel";

// The ids of the window's controls, for the tests that drive it with messages.
inline constexpr int kFirstButtonId = 100; // + MainButton
inline constexpr int kSectionListId = 200;
inline constexpr int kSummaryListId = 201;
inline constexpr int kDetailListId = 202;
inline constexpr int kSelectAllId = 300;
inline constexpr int kMyComputerId = 301;
inline constexpr int kImage1Id = 302; // the picture beside "My Computer"
inline constexpr int kStatusId = 310;
inline constexpr int kProblemsFoundId = 311;
inline constexpr int ButtonId(MainButton button) {
    return kFirstButtonId + static_cast<int>(button);
}

class MainWindow : private MainWindowShell {
  public:
    MainWindow(App& app, Win32FrontEnd& frontEnd);
    ~MainWindow() override;
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    HWND handle() const { return window_; }
    FrmMain& rules() { return rules_; }
    void Show();
    // A later start of the program asked for this one: out of the tray, shown and in front.
    void ComeForward();
    // Redraws what changed since the last call.
    void Render();
    // What ends the program (after a repair that is writing has finished).
    std::function<void()> endProgram = [] { PostQuitMessage(0); };
    // Whether the desktop has a notification area now (tests decide it).
    std::function<bool()> hasNotificationArea = &Win32NotificationArea::Available;
    clsTray& tray() { return tray_; }
    // frmMenuPopUp once it was first opened, else null.
    PopupMenuWindow* popupMenu() { return menu_.get(); }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // The scanning and results panels' messages: their controls' commands and notices go to the window.
    struct Panel {
        MainWindow* window;
        MainArea area;
        HWND handle = nullptr;
        LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    };

  private:
    // MainWindowShell
    void HideWindow() override;
    void MinimiseWindow() override;
    bool IsMinimised() const override;
    void ShowNormalWindow() override;
    void ShowIcon() override;
    void ChangeToolTip(std::string_view tip) override;
    bool RunningInTray() const override { return tray_.bRunningInTray(); }
    bool HasNotificationArea() const override { return hasNotificationArea(); }
    void EndProgram() override;
    void ShowPopupMenu() override;
    void ShowNotification(std::string_view caption, std::string_view message) override;
    void ShowSettingsDialog() override;
    void ShowBackupManager() override;
    void OpenWebPage(std::string_view page) override;
    void RepaintControl(std::string_view control) override;

    void BuildTitleStrip();
    void BuildStartPanel();
    void BuildScanningPanel();
    void BuildResultsPanel();
    HWND MakePanel(Panel& panel);
    // The window at `dpi`: its size, its controls' places and fonts, its lists' icons.
    void LayOut(unsigned dpi);
    void AddButton(HWND parent, MainButton button, std::string_view text, RECT at, FontKind font = {});
    HWND AddLabel(HWND parent, std::string_view text, RECT at, int id = 0, DWORD style = 0,
                  FontKind font = {});

    void Command(int id, int code, HWND control);
    void Notice(const NMHDR& header, LRESULT& result);
    // A click on a button, or Enter/Space on it (the keyboard reaches it as the pointer does).
    void Act(MainButton button);
    void Forward(const std::function<void()>& event);
    void ResetHover();
    void Writing(const std::function<void()>& step);
    void End();
    void PaintBackground(HDC dc, HWND window) const;
    void PaintBars(HDC dc, HWND panel) const;

    void RenderButtons();
    void RenderLabels();
    void RenderPanels();
    void RenderTimers();

    App& app_;
    Win32FrontEnd& frontEnd_;
    FrmMain rules_;
    HWND window_ = nullptr;
    Layout layout_;
    Win32NotificationArea area_;
    clsTray tray_{area_};
    std::unique_ptr<PopupMenuWindow> menu_;
    RunKeyEntry startup_{OwnExecutable()};
    Panel scanning_{this, MainArea::PicScanning};
    Panel results_{this, MainArea::PicResults};
    std::array<std::unique_ptr<ImageButtonControl>, static_cast<size_t>(MainButton::Count)> buttons_;
    std::unique_ptr<ListViewControl> sectionList_;
    std::unique_ptr<ListViewControl> summaryList_;
    std::unique_ptr<ListViewControl> detailList_;
    HWND selectAll_ = nullptr;
    HWND lblStatus_ = nullptr;
    HWND lblProblemsFound_ = nullptr;
    HWND lblRegistryScan_ = nullptr;
    HWND lblRegistryFilesScan_ = nullptr;
    HWND lblDeleting_ = nullptr;
    std::array<HWND, 3> descriptions_{};
    std::array<bool, 3> timers_{};
    EndingGuard ending_;
    uint64_t shownButtons_ = ~uint64_t{0};
    std::array<uint64_t, 3> shownGroups_{~uint64_t{0}, ~uint64_t{0}, ~uint64_t{0}};
};

} // namespace vx::win32gui

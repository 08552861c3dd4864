#pragma once
// FrmMain: the program's main window. Borderless, with its own title strip; the start panel with the section
// check-list and the three large buttons; the scanning and results panels laid over it. The window's rules
// are FrmMain's and what the engine's runs tell is projected into its model (FrmMain::model()): this renders
// them, redrawing only what their change numbers say changed, and forwards the user's events.
#include "gui/frameless_window.h"
#include "gui/gui_context.h"
#include "gui/popup_menu_window.h"
#include "gui/tray.h"
#include "ui/main_window.h"
#include "ui/tray_icon.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QCheckBox;
class QLabel;
class QTreeView;

namespace vx::gui {

class GuiFrontEnd;
class NativeTrayMenu;
class ImageButton;
class ListViewModel;
class SvgPicture;

class MainWindow : public QWidget, private MainWindowShell {
    Q_OBJECT
  public:
    MainWindow(GuiContext& context, GuiFrontEnd& frontEnd);
    ~MainWindow() override;

    FrmMain& rules() { return rules_; }
    // Redraws what changed since the last call.
    void Render();
    // A second start of the program on this target: the window shows (from the notification area too,
    // whose icon then goes, as Maximize does) and comes to the front.
    void ComeForward();
    // What ends the program (after a repair or restore that is writing has finished): the event loop
    // ends at once, whatever windows are open (QApplication::quit would first ask each window to close,
    // and this one refuses every close).
    std::function<void()> endProgram = [] { QCoreApplication::exit(0); };
    // Makes the program work on `folder` (a Wine prefix or a Windows volume the user chose) instead of this
    // target; false when it cannot. This window then ends. The program sets it; without it the target
    // stays.
    std::function<bool(const std::string& folder)> switchTarget;
    QtNotificationArea& notificationArea() { return *area_; }
    clsTray& tray() { return tray_; }
    // The tray's own menu instead of the sliding one (where windows cannot place themselves: Wayland).
    void UseNativeTrayMenu();
    // frmMenuPopUp while it is open, else null.
    PopupMenuWindow* popupMenu() { return menu_.data(); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // MainWindowShell
    void HideWindow() override;
    void MinimiseWindow() override { showMinimized(); }
    bool IsMinimised() const override { return isMinimized(); }
    void ShowNormalWindow() override;
    void ShowIcon() override;
    void ChangeToolTip(std::string_view tip) override;
    bool RunningInTray() const override { return tray_.bRunningInTray(); }
    bool HasNotificationArea() const override;
    void EndProgram() override;
    void ShowPopupMenu() override;
    void ShowNotification(std::string_view caption, std::string_view message) override;
    void ShowSettingsDialog() override;
    void ShowBackupManager() override;
    void OpenWebPage(std::string_view page) override;
    void RepaintControl(std::string_view control) override;

    void BuildTitleStrip();
    // A click on the target's name in the title strip: the prefix picker, and the chosen target instead.
    void ChooseAnotherTarget();
    void BuildStartPanel();
    void BuildScanningPanel();
    void BuildResultsPanel();
    ImageButton* AddButton(MainButton button, ImageButton* widget, const QString& tip);
    QTreeView* AddList(QWidget* parent, const QString& name, ListViewModel* model);
    QLabel* AddLabel(QWidget* parent, const QString& name, const QString& text, QRect at);
    // A click on a button, or Enter/Space on it.
    void Act(MainButton button, bool byKeyboard);
    void Forward(std::function<void()> event);
    void Later(const std::function<void()>& work);
    PopupMenuWindow::MainWindowHooks MenuHooks();
    // Every reset area at once: the pointer left the window, or a modal dialog over it closed.
    void ResetHover();
    // Runs a step that may write to the target; a request to end meanwhile waits for it.
    void Writing(const std::function<void()>& step);
    void End();

    void RenderSortIndicators();
    void RenderButtons();
    void RenderLabels();
    void RenderProgress();
    void RenderPanels();
    void RenderTimers();
    // Only the panel in front takes keys; when a panel comes in front, the focus goes to its first control.
    void CollectPanelControls();
    void BringPanelToKeys(size_t panel);

    GuiContext& context_;
    GuiFrontEnd& frontEnd_;
    FrmMain rules_;
    FramedParts parts_;
    std::array<ImageButton*, static_cast<size_t>(MainButton::Count)> buttons_{};
    QCheckBox* selectAll_ = nullptr;
    QTreeView* sectionList_ = nullptr;
    QTreeView* summaryList_ = nullptr;
    QTreeView* detailList_ = nullptr;
    ListViewModel* sectionModel_ = nullptr;
    ListViewModel* summaryModel_ = nullptr;
    ListViewModel* detailModel_ = nullptr;
    SvgPicture* picScanning_ = nullptr;
    SvgPicture* picResults_ = nullptr;
    SvgPicture* picBug_ = nullptr;
    SvgPicture* progressTrack_ = nullptr;
    SvgPicture* progressFill_ = nullptr;
    SvgPicture* deleteTrack_ = nullptr;
    SvgPicture* deleteFill_ = nullptr;
    QLabel* lblStatus_ = nullptr;
    QLabel* lblProblemsFound_ = nullptr;
    QLabel* lblRegistryScan_ = nullptr;
    QLabel* lblRegistryFilesScan_ = nullptr;
    QLabel* lblDeleting_ = nullptr;
    std::array<QLabel*, 3> descriptions_{}; // lblScanText, lblSettingsText, lblBackUpText
    QTimer tmrRefreshlvwContents_;
    QTimer tmrSettings_;
    QTimer tmrPicVisibleOrNot_;
    QtNotificationArea* area_ = nullptr;
    clsTray tray_;
    QPointer<PopupMenuWindow> menu_; // goes by deleteLater: one of its handlers may be on the stack
    std::unique_ptr<NativeTrayMenu> nativeMenu_;
    EndingGuard ending_;
    // The focusable controls of the start, scanning and results panels, in tab order, with their focus
    // policies; the panel that takes keys now.
    std::array<std::vector<std::pair<QWidget*, Qt::FocusPolicy>>, 3> panelControls_;
    size_t panelWithKeys_ = 0;
    bool busyPointer_ = false;
    uint64_t shownButtons_ = ~uint64_t{0};
    std::array<uint64_t, 3> shownGroups_{~uint64_t{0}, ~uint64_t{0}, ~uint64_t{0}};
};

} // namespace vx::gui

#pragma once
// The main window's own rules, free of any toolkit: its image buttons and their hover effects, loading,
// resizing and refocusing, the timers, closing to the notification area, minimising, dragging, the
// buttons that open the dialogs, and the handlers of every control. The scan, results and repair it
// starts are the engine's: the window observes them and projects what they tell into its model. A front
// end renders model() and these rules, and forwards every event of the window here.
#include "engine/engine.h"
#include "ui/image_buttons.h"
#include "ui/main_window_model.h"
#include "ui/window_drag.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

class App;

inline constexpr std::string_view kProductName = "Vantrelix v3.0";
inline constexpr uint32_t kDescriptionGrey = 0xE0E0E0;
inline constexpr uint32_t kDescriptionWhite = 0xFFFFFF;

enum class MainButton {
    Close,
    Minimise,
    Help,
    HelpPic,
    Support,
    SupportPic,
    ScanNow,
    Settings,
    Restore,
    ScanCancel,
    Repair,
    Return,
    Count
};

// The areas whose mouse movement puts buttons back to plain.
enum class MainArea { Picture1, PicScanning, PicResults };

// What the main window asks of its front end.
class MainWindowShell {
  public:
    virtual ~MainWindowShell() = default;
    virtual void HideWindow() = 0;
    virtual void MinimiseWindow() = 0;
    virtual bool IsMinimised() const = 0;
    virtual void ShowNormalWindow() = 0;
    // The notification-area icon (clsTray with the main window) and its tooltip.
    virtual void ShowIcon() = 0;
    virtual void ChangeToolTip(std::string_view tip) = 0;
    virtual bool RunningInTray() const = 0;
    // Whether the desktop has a notification area now (a panel may come and go); without one, a close
    // asks whether to end the program, since a hidden window could not be reached again.
    virtual bool HasNotificationArea() const { return true; }
    // Ends the program (once a registry write at work has finished).
    virtual void EndProgram() = 0;
    // frmMenuPopUp, shown (not modal); a menu already open only comes to the front.
    virtual void ShowPopupMenu() = 0;
    // Modal windows: frmNotification with its caption and its message, frmSetings, frmBackUpRestore.
    virtual void ShowNotification(std::string_view caption, std::string_view message) = 0;
    virtual void ShowSettingsDialog() = 0;
    virtual void ShowBackupManager() = 0;
    // "reghelp.html" or "support.html"; may open nothing.
    virtual void OpenWebPage(std::string_view page) = 0;
    // Repaints one control, named as the window names it (RefreshThePicControls).
    virtual void RepaintControl(std::string_view control) = 0;
};

class FrmMain final : public FrontEndObserver {
  public:
    FrmMain(App& app, MainWindowShell& shell);

    // What the window shows, and the logic behind it.
    MainWindowModel& model() { return model_; }
    const MainWindowModel& model() const { return model_; }
    Engine& engine() { return engine_; }

    // Form_Load: timers, overlays hidden, caption, the select-all box from the settings, the check-list.
    void Form_Load();
    // Resize, also when first shown and when restored.
    void Form_Resize();
    // Picture1 receiving the focus: repaint, and refill the check-list when no scan runs.
    void Picture1_GotFocus();
    void tmrRefreshlvwContents_Timer();
    void tmrSettings_Timer();
    void tmrPicVisibleOrNot_Timer(); // toggles PicBug in the model

    // The pointer moved over the plain picture of a button, or over a reset area.
    void MouseMove(MainButton button);
    void MouseMove(MainArea area);
    // A click on a button's highlighted picture: runs its action (nothing when it shows plain).
    void Click(MainButton button);
    // "My Computer" and the picture beside it: toggle the select-all box and run its change handling.
    void Label2_Click();
    // The select-all box itself: a click ticks a clear or grayed box and clears a ticked one.
    void chkSelectlistviewItems_Click();
    // A click on a row of the check-list (its text or its box): toggles the row's mark.
    void lvwRegistryvaluesScan_ItemClick(int row);

    // The scan, results and repair controls (the Scan, Cancel, Repair and Return buttons run them too).
    // The Scan button (and the tray menu's Scan item); does nothing while a scan, repair or restore is at
    // work.
    void ImgScanNowMouseMove_Click();
    // The Cancel button of the scanning panel: at once while nothing was found, else after a question.
    void cmdCancelOrStop_Click();
    // The Repair button: the repair, its closing box, then the start panel. While a scan, repair or
    // restore is at work it changes nothing and says so.
    RepairOutcome ImgRepairMouseMove_Click();
    // The Return button: back to the start panel.
    void ImgReturnMouseMove_Click();
    // A click on a summary row fills the detail list; header clicks sort by the column, flipping the order.
    void lvwRegistryProblems_ItemClick(int row);
    void lvwRegistryProblems_ColumnClick(int column);
    void lvwRegistryErrorsDetail_ColumnClick(int column);

    // A close request from the system, the taskbar or the keyboard: the window hides to the notification
    // area; where the desktop has none, the Exit question is asked and OK ends the program.
    void Form_QueryUnload();
    // A mouse movement over the window itself: where the tray icon's clicks arrive (X in twips).
    void Form_MouseMove(int xTwips);

    // RefreshThePicControls: repaints the pictures and lists, yielding after each control.
    void RefreshThePicControls();
    // LoadlvwRegistryvaluesScanValues followed by the Picture1 reset it ends with (the tray menu's items
    // call it after showing the window).
    void LoadCheckList();

    // Whether no scan is running (the enabled state of ImgScanNowNormal).
    bool ScanIdle() const;

    const ImageButtons<MainButton>& buttons() const { return buttons_; }
    // The description labels' colours (lblScanText, lblSettingsText, lblBackUpText).
    uint32_t lblScanTextColour() const { return scanColour_; }
    uint32_t lblSettingsTextColour() const { return settingsColour_; }
    uint32_t lblBackUpTextColour() const { return backupColour_; }
    const std::string& caption() const { return caption_; }
    // The window's title in the task bar, and the title strip's tooltip: both name the target, so that
    // two windows on two targets are told apart.
    std::string WindowTitle() const;
    std::string TitleStripTip() const;
    bool tmrSettings = false;
    bool tmrRefreshlvwContents = false;
    bool lvwRegistryvaluesScanVisible = true;
    WindowDrag drag;

    // The outcome of the last repair, for a front end that shows more than the closing box.
    const RepairOutcome& lastRepair() const { return lastRepair_; }

    // RunObserver: what the engine's runs tell the window (its yields and questions go to the app's front
    // end, as FrontEndObserver's do).
    void ScanStarted() override;
    void RowStarted(int row) override;
    void StatusChanged(std::string_view status) override;
    void PlaceShown(std::string_view place) override;
    void ItemShown(std::string_view item) override;
    void ProgressMoved(int width) override;
    void FindingAdded(size_t found) override;
    void SectionTallied(std::string_view summaryRow) override;
    void RowFinished(int row) override;
    void ScanEnded() override;
    void CheckListChanged() override;
    void CheckListSaving(bool saving) override;
    void RepairStarted() override;
    void RepairStep() override;
    void RepairEnded() override;

  private:
    void ResetPicture1();
    void SelectCheckListRow(int row, bool selected);
    // The repair's progress display takes the place of the results lists, whose buttons wait meanwhile.
    void ShowDeleteProgress(bool shown);
    void SyncEnabledStates();
    void RefreshAndReload();
    void OpenSettings();
    void OpenBackupManager();
    // Hides the window to the notification area; where the desktop has none, asks the Exit question.
    void HideToTray();

    MainWindowShell& shell_;
    MainWindowModel model_;
    Engine engine_;
    ImageButtons<MainButton> buttons_;
    uint32_t scanColour_ = kDescriptionGrey;
    uint32_t settingsColour_ = kDescriptionGrey;
    uint32_t backupColour_ = kDescriptionGrey;
    std::string caption_;
    RepairOutcome lastRepair_;
};

// The names of the main window's controls in their order, as RefreshThePicControls walks them.
const std::vector<std::string_view>& MainWindowControlNames();

// Ending the program never cuts a registry write: a request to end during a repair or a restore is kept
// and carried out when the write is over.
class EndingGuard {
  public:
    void BeginWrite() { ++writing_; }
    // True when a request to end came in meanwhile and the program should end now.
    bool EndWrite();
    // True when the program may end now; otherwise it ends at the last EndWrite.
    bool RequestEnd();
    bool writing() const { return writing_ > 0; }

    // Runs one write of a repair or restore, then ends the program through `end` when an end was asked
    // for meanwhile.
    void Write(const std::function<void()>& step, const std::function<void()>& end) {
        BeginWrite();
        step();
        if (EndWrite() && end)
            end();
    }
    // Ends the program through `end` now, or once the write at work is done.
    void End(const std::function<void()>& end) {
        if (RequestEnd() && end)
            end();
    }

  private:
    int writing_ = 0;
    bool endRequested_ = false;
};

} // namespace vx

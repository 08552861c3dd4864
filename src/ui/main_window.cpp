// The main window's own rules: loading, resizing, the timers, the image buttons and their hover effects,
// closing to the notification area and the buttons that open the dialogs.
#include "ui/main_window.h"

#include "app/app.h"
#include "app/message_box.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/text.h"
#include "results/results_view.h"
#include "ui/notification.h"
#include "ui/tray_icon.h"

#include <array>

namespace vx {
namespace {

constexpr std::array kPicture1Buttons{MainButton::Minimise, MainButton::Close,   MainButton::ScanNow,
                                      MainButton::Settings, MainButton::Restore, MainButton::Help,
                                      MainButton::HelpPic,  MainButton::Support, MainButton::SupportPic};

} // namespace

FrmMain::FrmMain(App& app, MainWindowShell& shell) : app_(app), shell_(shell) {}

void FrmMain::Form_Load() {
    tmrSettings = false;
    app_.main().PicScanning = false;
    app_.main().PicResults = false;
    tmrRefreshlvwContents = false;
    caption_ = std::string(kProductName);
    LoadSelectAllBoxFromSettings(app_);
    LoadCheckList();
}

void FrmMain::Form_Resize() {
    lvwRegistryvaluesScanVisible = false;
    app_.main().lvwRegistryvaluesScan.visible = false;
    if (ScanIdle()) {
        RefreshThePicControls();
        LoadCheckList();
    } else {
        RefreshThePicControls();
    }
    tmrRefreshlvwContents = true;
    lvwRegistryvaluesScanVisible = true;
    app_.main().lvwRegistryvaluesScan.visible = true;
    shell_.RepaintControl("lvwRegistryvaluesScan");
}

void FrmMain::Picture1_GotFocus() {
    if (ScanIdle())
        RefreshAndReload();
    else
        RefreshThePicControls();
}

void FrmMain::tmrRefreshlvwContents_Timer() {
    tmrRefreshlvwContents = false;
    Picture1_GotFocus();
}

void FrmMain::tmrSettings_Timer() {
    tmrSettings = false;
    shell_.ShowSettingsDialog();
    RefreshAndReload();
    tmrSettings = false;
}

void FrmMain::tmrPicVisibleOrNot_Timer() {
    app_.main().PicBug = !app_.main().PicBug;
}

std::string FrmMain::WindowTitle() const {
    // The target first (what tells two windows apart in a task bar), as desktops put a document's name.
    return app_.target().Identity() + " \u2014 " + std::string(kProductName);
}

std::string FrmMain::TitleStripTip() const {
    return "Working on the " + app_.target().Identity();
}

bool FrmMain::ScanIdle() const {
    return app_.main().ImgScanNowNormal;
}

void FrmMain::SyncEnabledStates() {
    const MainWindowModel& main = app_.main();
    buttons_.SetEnabled(MainButton::ScanNow, main.ImgScanNowNormal);
    buttons_.SetEnabled(MainButton::Repair, main.ImgRepairNormal);
    buttons_.SetEnabled(MainButton::Return, main.ImgReturnNormal);
    // The Cancel, Repair and Return buttons lie on their panels and show only with them.
    buttons_.SetVisible(MainButton::ScanCancel, main.PicScanning);
    buttons_.SetVisible(MainButton::Repair, main.PicResults);
    buttons_.SetVisible(MainButton::Return, main.PicResults);
}

void FrmMain::MouseMove(MainButton button) {
    SyncEnabledStates();
    switch (button) {
    case MainButton::Close:
        if (buttons_.Hover(MainButton::Close))
            buttons_.Reset(MainButton::Minimise);
        break;
    case MainButton::Minimise:
        if (buttons_.Hover(MainButton::Minimise))
            buttons_.Reset(MainButton::Close);
        break;
    case MainButton::Help:
    case MainButton::HelpPic:
        if (buttons_.Hover(button))
            buttons_.Hover(button == MainButton::Help ? MainButton::HelpPic : MainButton::Help);
        break;
    case MainButton::Support:
    case MainButton::SupportPic:
        if (buttons_.Hover(button))
            buttons_.Hover(button == MainButton::Support ? MainButton::SupportPic : MainButton::Support);
        break;
    case MainButton::ScanNow:
        if (buttons_.Hover(button))
            scanColour_ = kDescriptionWhite;
        break;
    case MainButton::Settings:
        if (buttons_.Hover(button))
            settingsColour_ = kDescriptionWhite;
        break;
    case MainButton::Restore:
        if (buttons_.Hover(button))
            backupColour_ = kDescriptionWhite;
        break;
    case MainButton::ScanCancel:
    case MainButton::Repair:
    case MainButton::Return:
    case MainButton::Count:
        buttons_.Hover(button);
        break;
    }
}

void FrmMain::MouseMove(MainArea area) {
    switch (area) {
    case MainArea::Picture1:
        ResetPicture1();
        break;
    case MainArea::PicScanning:
        buttons_.Reset(MainButton::ScanCancel);
        break;
    case MainArea::PicResults:
        buttons_.Reset(MainButton::Repair);
        buttons_.Reset(MainButton::Return);
        break;
    }
}

void FrmMain::ResetPicture1() {
    buttons_.Reset(kPicture1Buttons);
    scanColour_ = kDescriptionGrey;
    settingsColour_ = kDescriptionGrey;
    backupColour_ = kDescriptionGrey;
}

void FrmMain::Click(MainButton button) {
    SyncEnabledStates();
    if (!buttons_.Clickable(button))
        return;
    switch (button) {
    case MainButton::Close:
        HideToTray();
        break;
    case MainButton::Minimise:
        shell_.MinimiseWindow();
        break;
    case MainButton::Help:
    case MainButton::HelpPic:
        shell_.OpenWebPage("reghelp.html");
        break;
    case MainButton::Support:
    case MainButton::SupportPic:
        shell_.OpenWebPage("support.html");
        break;
    case MainButton::ScanNow:
        ImgScanNowMouseMove_Click(app_);
        break;
    case MainButton::Settings:
        OpenSettings();
        break;
    case MainButton::Restore:
        OpenBackupManager();
        break;
    case MainButton::ScanCancel:
        cmdCancelOrStop_Click(app_);
        break;
    case MainButton::Repair:
        lastRepair_ = ImgRepairMouseMove_Click(app_);
        break;
    case MainButton::Return:
        ImgReturnMouseMove_Click(app_);
        break;
    case MainButton::Count:
        break;
    }
}

void FrmMain::Label2_Click() {
    const int state = app_.main().chkSelectlistviewItems == 1 ? 0 : 1;
    // The change handling runs once: by the state change, or explicitly when the state was already set.
    const bool changes = app_.main().chkSelectlistviewItems != state;
    SetSelectAllBoxState(app_, state);
    if (!changes)
        chkSelectlistviewItems_Click(app_);
}

void FrmMain::Form_QueryUnload() {
    if (!shell_.HasNotificationArea()) {
        HideToTray();
        return;
    }
    if (SettingAsNumber(app_.GetSetting("chkDoNotShowInFuture", "0")) == 0) {
        if (shell_.IsMinimised())
            shell_.ShowNormalWindow();
        Picture1_GotFocus();
        shell_.ShowNotification(kProductName, kNotificationMessage);
    }
    HideToTray();
}

void FrmMain::Form_MouseMove(int xTwips) {
    if (IsTrayMenuClick(shell_.RunningInTray(), xTwips))
        shell_.ShowPopupMenu();
}

void FrmMain::RefreshThePicControls() {
    for (const std::string_view name : MainWindowControlNames()) {
        const std::string upper = UpperAscii(name);
        if (upper.find("PIC") != std::string::npos || upper.find("IMG") != std::string::npos ||
            upper.find("LVW") != std::string::npos)
            shell_.RepaintControl(name);
        app_.Yield();
    }
}

void FrmMain::LoadCheckList() {
    LoadlvwRegistryvaluesScanValues(app_);
    ResetPicture1();
}

void FrmMain::RefreshAndReload() {
    RefreshThePicControls();
    LoadCheckList();
}

void FrmMain::OpenSettings() {
    buttons_.SetEnabled(MainButton::Settings, false);
    shell_.ShowSettingsDialog();
    RefreshAndReload();
    buttons_.SetEnabled(MainButton::Settings, true);
}

void FrmMain::OpenBackupManager() {
    shell_.ShowBackupManager();
    RefreshAndReload();
}

void FrmMain::HideToTray() {
    // Without a notification area a hidden window could never be found again, and minimising it would
    // leave no way to end the program: a close there is the menu's Exit.
    if (!shell_.HasNotificationArea()) {
        const bool end = AskMessageBox(app_, kCloseConfirmation);
        app_.MessageBoxKind.clear();
        if (end)
            shell_.EndProgram();
        return;
    }
    shell_.HideWindow();
    shell_.ShowIcon();
    shell_.ChangeToolTip(kProductName);
}

const std::vector<std::string_view>& MainWindowControlNames() {
    // The timers are left out: they have nothing to paint.
    static const std::vector<std::string_view> names{
        // The background with the title strip and its buttons.
        "Picture1", "ImgFormMove", "ImgToolBarDrevanto", "ImgMinimiseNormal", "ImgMinimiseMouseMove",
        "imgCloseNormal", "ImgCloseMouseMove", "ImgHelpNormal", "ImgHelpMouseMove", "ImgHelpPicNormal",
        "ImgHelpPicmouseMove", "ImgSupportNormal", "ImgSupportMouseMove", "ImgSupportPicNormal",
        "ImgSupportPicMouseMove",
        // The start panel.
        "lvwRegistryvaluesScan", "chkSelectlistviewItems", "Label2", "Image1", "ImgScanNowNormal",
        "ImgScanNowMouseMove", "lblScanText", "ImgSettingsNormal", "ImgSettingsMouseMove", "lblSettingsText",
        "imgRestoreNormal", "imgRestoreMouseMove", "lblBackUpText", "lblVersion",
        // The scanning panel.
        "PicScanning", "PicBug", "PicMainProgress", "PicProgress", "ImgScanCancelNormal",
        "ImgScanCancelMouseMove", "lblStatus", "Label3", "lblProblemsFound", "lblRegistryScan",
        "lblRegistryFilesScan",
        // The results panel.
        "PicResults", "lvwRegistryProblems", "lvwRegistryErrorsDetail", "ImgRepairNormal",
        "ImgRepairMouseMove", "ImgReturnNormal", "ImgReturnMouseMove", "ImgDeleteProgress",
        "ImgDeleteProgressInside", "lblDeletingCourrutpfils",
        // Never shown.
        "lvwErrors", "lvwShortcut", "FrameScanning", "cmdCancelOrStop", "Frame1",
        "FrameRegistryProblemsDetails", "FrameScanSettingShelidButton", "cmdShowLog", "Frame5", "cmdAbout",
        "Command1"};
    return names;
}

bool EndingGuard::EndWrite() {
    if (writing_ > 0)
        --writing_;
    if (writing_ == 0 && endRequested_) {
        endRequested_ = false;
        return true;
    }
    return false;
}

bool EndingGuard::RequestEnd() {
    if (writing_ == 0)
        return true;
    endRequested_ = true;
    return false;
}

} // namespace vx

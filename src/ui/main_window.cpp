// The main window's own rules: loading, resizing, the timers, the image buttons and their hover effects,
// closing to the notification area and the buttons that open the dialogs.
#include "ui/main_window.h"

#include "app/app.h"
#include "app/message_box.h"
#include "engine/section_list.h"
#include "platform/text.h"
#include "results/summary_rows.h"
#include "ui/notification.h"
#include "ui/tray_icon.h"

#include <array>

namespace vx {
namespace {

constexpr std::array kPicture1Buttons{MainButton::Minimise, MainButton::Close,   MainButton::ScanNow,
                                      MainButton::Settings, MainButton::Restore, MainButton::Help,
                                      MainButton::HelpPic,  MainButton::Support, MainButton::SupportPic};

} // namespace

FrmMain::FrmMain(App& app, MainWindowShell& shell)
    : FrontEndObserver(app), shell_(shell), engine_(app, *this) {}

void FrmMain::Form_Load() {
    tmrSettings = false;
    model_.PicScanning = false;
    model_.PicResults = false;
    tmrRefreshlvwContents = false;
    caption_ = std::string(kProductName);
    LoadSelectAllBoxFromSettings(engine_);
    LoadCheckList();
}

void FrmMain::Form_Resize() {
    lvwRegistryvaluesScanVisible = false;
    model_.lvwRegistryvaluesScan.visible = false;
    if (ScanIdle()) {
        RefreshThePicControls();
        LoadCheckList();
    } else {
        RefreshThePicControls();
    }
    tmrRefreshlvwContents = true;
    lvwRegistryvaluesScanVisible = true;
    model_.lvwRegistryvaluesScan.visible = true;
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
    model_.PicBug = !model_.PicBug;
}

std::string FrmMain::WindowTitle() const {
    // The target first (what tells two windows apart in a task bar), as desktops put a document's name.
    return app_.target().Identity() + " \u2014 " + std::string(kProductName);
}

std::string FrmMain::TitleStripTip() const {
    return "Working on the " + app_.target().Identity();
}

bool FrmMain::ScanIdle() const {
    return model_.ImgScanNowNormal;
}

void FrmMain::SyncEnabledStates() {
    const MainWindowModel& main = model_;
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
        ImgScanNowMouseMove_Click();
        break;
    case MainButton::Settings:
        OpenSettings();
        break;
    case MainButton::Restore:
        OpenBackupManager();
        break;
    case MainButton::ScanCancel:
        cmdCancelOrStop_Click();
        break;
    case MainButton::Repair:
        lastRepair_ = ImgRepairMouseMove_Click();
        break;
    case MainButton::Return:
        ImgReturnMouseMove_Click();
        break;
    case MainButton::Count:
        break;
    }
}

void FrmMain::Label2_Click() {
    const int state = engine_.checkList().chkSelectlistviewItems == 1 ? 0 : 1;
    // The change handling runs once: by the state change, or explicitly when the state was already set.
    const bool changes = engine_.checkList().chkSelectlistviewItems != state;
    SetSelectAllBoxState(engine_, state);
    if (!changes)
        vx::chkSelectlistviewItems_Click(engine_);
}

void FrmMain::chkSelectlistviewItems_Click() {
    SetSelectAllBoxState(engine_, engine_.checkList().chkSelectlistviewItems == 1 ? 0 : 1);
}

void FrmMain::lvwRegistryvaluesScan_ItemClick(int row) {
    vx::lvwRegistryvaluesScan_ItemClick(engine_, row);
}

void FrmMain::ImgScanNowMouseMove_Click() {
    engine_.Scan();
}

void FrmMain::cmdCancelOrStop_Click() {
    if (engine_.findings().empty()) {
        engine_.Cancel();
        model_.tmrPicVisibleOrNot = false;
        model_.cmdCancelOrStop = false;
        return;
    }
    const bool stop = AskMessageBox(app_, kCancelScanning);
    LoadlvwRegistryvaluesScanValues(engine_);
    if (stop) {
        engine_.Cancel();
        model_.tmrPicVisibleOrNot = false;
        model_.cmdCancelOrStop = false;
    }
    app_.MessageBoxKind.clear();
}

RepairOutcome FrmMain::ImgRepairMouseMove_Click() {
    if (app_.RunAtWork()) { // the panels belong to the run at work
        RepairOutcome refused;
        refused.error = std::string(kAnotherRunAtWork);
        app_.ShowMessageBox(RepairClosingMessage(refused), false);
        return refused;
    }
    const RepairOutcome outcome = engine_.Repair();
    app_.MessageBoxKind = std::string(kFilesRepaired);
    if (outcome.skipped == 0 && outcome.error.empty())
        ShowFrmMessagebox(app_);
    else
        app_.ShowMessageBox(RepairClosingMessage(outcome), false);
    LoadlvwRegistryvaluesScanValues(engine_);
    app_.MessageBoxKind.clear();
    ImgReturnMouseMove_Click();
    return outcome;
}

void FrmMain::ImgReturnMouseMove_Click() {
    model_.PicResults = false;
    model_.PicScanning = false;
}

void FrmMain::lvwRegistryProblems_ItemClick(int row) {
    const auto& summary = model_.lvwRegistryProblems.rows;
    if (row < 0 || row >= static_cast<int>(summary.size()))
        return;
    model_.lvwRegistryErrorsDetail.Clear();
    const std::string text = summary[row].text;
    for (auto& detail : DetailRowsOf(text, engine_.findings(), [this] { Yield(); }))
        model_.lvwRegistryErrorsDetail.Add(std::move(detail));
}

namespace {

void ToggleSort(ListView& list, int column) {
    list.sortKey = column;
    list.sorted = true;
    list.descending = !list.descending;
    list.Sort();
}

} // namespace

void FrmMain::lvwRegistryProblems_ColumnClick(int column) {
    ToggleSort(model_.lvwRegistryProblems, column);
}

void FrmMain::lvwRegistryErrorsDetail_ColumnClick(int column) {
    ToggleSort(model_.lvwRegistryErrorsDetail, column);
}

void FrmMain::ScanStarted() {
    MainWindowModel& main = model_;
    main.ImgScanNowNormal = false;
    main.PicScanning = true;
    main.tmrPicVisibleOrNot = false;
    main.PicBug = false;
    main.FrameRegistryProblemsDetails = false;
    main.FrameScanning = true;
    main.FrameScanSettingShelidButton = false;
    main.lblDeletingCourrutpfils = false;
    main.ImgDeleteProgress = false;
    main.lblStatus = "Inspecting...";
    main.cmdCancelOrStop = true;
    main.cmdCancelOrStopCaption = "Cancel";
    main.lvwRegistryErrorsDetail.Clear();
    main.lvwRegistryProblems.Clear();
    main.lblProblemsFound = "0";
    main.busyPointer = true;
}

void FrmMain::SelectCheckListRow(int row, bool selected) {
    auto& rows = model_.lvwRegistryvaluesScan.rows;
    if (row >= 0 && row < static_cast<int>(rows.size()) && rows[row].selected != selected)
        rows.Edit(row).selected = selected;
}

void FrmMain::RowStarted(int row) {
    SelectCheckListRow(row, true);
}

void FrmMain::StatusChanged(std::string_view status) {
    model_.lblStatus = status;
}

void FrmMain::PlaceShown(std::string_view place) {
    model_.lblRegistryScan = place;
}

void FrmMain::ItemShown(std::string_view item) {
    model_.lblRegistryFilesScan = item;
}

void FrmMain::ProgressMoved(int width) {
    if (!engine_.findings().empty())
        model_.tmrPicVisibleOrNot = true; // the bug picture blinks once something was found
    model_.PicProgress = width;
}

void FrmMain::FindingAdded(size_t found) {
    model_.lblProblemsFound = std::to_string(found);
}

void FrmMain::SectionTallied(std::string_view summaryRow) {
    model_.lvwRegistryProblems.Add(std::string(summaryRow));
}

void FrmMain::RowFinished(int row) {
    model_.lblProblemsFound = std::to_string(engine_.findings().size());
    SelectCheckListRow(row, false);
}

void FrmMain::ScanEnded() {
    MainWindowModel& main = model_;
    main.busyPointer = false;
    main.FrameRegistryProblemsDetails = true;
    main.FrameScanning = false;
    main.FrameScanSettingShelidButton = false;
    main.PicProgress = main.PicMainProgress;
    if (!engine_.run().Cancelled() && !engine_.findings().empty())
        main.PicResults = true;
    main.tmrPicVisibleOrNot = false;
    main.PicBug = false;
    main.PicScanning = false;
    main.ImgScanNowNormal = true;
}

void FrmMain::CheckListChanged() {
    const auto& list = engine_.checkList().rows;
    auto& rows = model_.lvwRegistryvaluesScan.rows;
    // Rows are only ever appended to, or the list rebuilt: a shown row keeps its place (and its selection).
    size_t same = 0;
    while (same < rows.size() && same < list.size() && rows[same].text == list[same].text &&
           rows[same].icon == list[same].icon)
        ++same;
    if (same < rows.size())
        rows.clear(), same = 0;
    for (size_t i = rows.size(); i < list.size(); ++i)
        rows.push_back(ListRow{list[i].text, list[i].icon, list[i].checked, false});
    for (size_t i = 0; i < list.size(); ++i)
        if (rows[i].checked != list[i].checked)
            rows.Edit(i).checked = list[i].checked;
    model_.chkSelectlistviewItems = engine_.checkList().chkSelectlistviewItems;
}

void FrmMain::CheckListSaving(bool saving) {
    model_.enabled = !saving;
}

void FrmMain::ShowDeleteProgress(bool shown) {
    MainWindowModel& main = model_;
    main.lvwRegistryProblems.visible = !shown;
    main.lvwRegistryErrorsDetail.visible = !shown;
    main.ImgRepairNormal = !shown;
    main.ImgReturnNormal = !shown;
    main.lblDeletingCourrutpfils = shown;
    main.ImgDeleteProgress = shown;
}

void FrmMain::RepairStarted() {
    ShowDeleteProgress(true);
    model_.ImgDeleteProgressInside = 5;
}

void FrmMain::RepairStep() {
    model_.ImgDeleteProgressInside += 5;
    if (model_.ImgDeleteProgressInside >= model_.ImgDeleteProgressWidth)
        model_.ImgDeleteProgressInside = 1;
}

void FrmMain::RepairEnded() {
    model_.lvwRegistryErrorsDetail.Clear();
    model_.lvwRegistryProblems.Clear();
    ShowDeleteProgress(false);
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
    LoadlvwRegistryvaluesScanValues(engine_);
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

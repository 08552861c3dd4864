// FrmMain on Windows: building its panels and controls, rendering what changed, forwarding events.
#include "win32gui/main_window.h"

#include "platform/web_page.h"
#include "platform/win32/wide_text.h"
#include "win32gui/art.h"
#include "win32gui/art_check_box.h"
#include "win32gui/backup_manager_dialog.h"
#include "win32gui/controls.h"
#include "win32gui/message_box_window.h"
#include "win32gui/notification_dialog.h"
#include "win32gui/settings_dialog.h"
#include "win32gui/single_instance.h"
#include "win32gui/win32_front_end.h"
#include "win32gui/window_frame.h"

#include <commctrl.h>
#include <shellapi.h>

#include <filesystem>

namespace vx::win32gui {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kPanelWidth = kWidth - 20;
constexpr int kPanelHeight = kHeight - kStripHeight - 20;
// The scan's and the repair's progress bars in their panels.
constexpr RECT kTrack{30, 262, 670, 278};
constexpr RECT kDeleteTrack{16, 376, 316, 392};
constexpr int kFirstDescriptionId = 320;
// The scan and the repair start once the click that asked for them is over (wParam: the MainButton).
constexpr UINT kActLater = WM_APP + 1;
// The tray menu's Scan Now, once the menu's click is over.
constexpr UINT kScanFromMenu = WM_APP + 2;
constexpr UINT_PTR kRefreshTimer = 1, kSettingsTimer = 2, kBlinkTimer = 3;

COLORREF FromRgb(uint32_t rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// A fill `units` wide of a bar whose full width is `fullUnits`, in a track `pixels` wide.
int FillPixels(int units, int fullUnits, int pixels) {
    if (fullUnits <= 0 || units <= 0)
        return 0;
    return std::min(pixels, static_cast<int>(static_cast<int64_t>(units) * pixels / fullUnits));
}

void ShowIf(HWND window, bool shown) {
    if ((IsWindowVisible(window) != FALSE) != shown)
        ShowWindow(window, shown ? SW_SHOWNA : SW_HIDE);
}

// The drawing of each button (empty: text alone) and the icon at its left.
struct ButtonArt {
    const char* drawing;
    const char* icon;
};
ButtonArt ArtOf(MainButton button) {
    switch (button) {
    case MainButton::HelpPic:
        return {"icon_help", ""};
    case MainButton::SupportPic:
        return {"icon_support", ""};
    case MainButton::Help:
    case MainButton::Support:
        return {"", ""};
    case MainButton::Minimise:
        return {"title_minimise", ""};
    case MainButton::Close:
        return {"title_close", ""};
    case MainButton::ScanNow:
        return {"button_large", "icon_scan"};
    case MainButton::Settings:
        return {"button_large", "icon_settings"};
    case MainButton::Restore:
        return {"button_large", "icon_backup"};
    default:
        return {"button", ""};
    }
}

// Draws a bar's fill: the fill's drawing over the track's width, cut at `fill` pixels.
void DrawBar(HDC dc, HWND window, RECT track, int fill) {
    if (!DrawArt(dc, window, "progress_track", track))
        FillBox(dc, track, RGB(0x3A, 0x40, 0x4C));
    if (fill <= 0)
        return;
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, track.left, track.top, track.left + fill, track.bottom);
    if (!DrawArt(dc, window, "progress_fill", track))
        FillBox(dc, track, RGB(0x2F, 0x80, 0xED));
    RestoreDC(dc, saved);
}

std::filesystem::path ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

} // namespace

MainWindow::MainWindow(App& app, Win32FrontEnd& frontEnd)
    : app_(app), frontEnd_(frontEnd), rules_(app, *this) {
    RegisterWindowClass(kMainWindowClass, Route<MainWindow>);
    RegisterWindowClass(kPanelClass, Route<Panel>);
    window_ = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_CONTROLPARENT, kMainWindowClass,
                              win32::Wide(kProductName).c_str(),
                              WS_POPUP | WS_MINIMIZEBOX | WS_SYSMENU | WS_CLIPCHILDREN, CW_USEDEFAULT, 0,
                              kWidth, kHeight, nullptr, nullptr, Instance(), this);
    layout_.Apply(WindowDpi(window_));
    BuildTitleStrip();
    BuildStartPanel();
    BuildScanningPanel();
    BuildResultsPanel();
    LayOut(layout_.dpi());
    CentreOn(window_, nullptr);
    DecodeAllArt(ArtScaleForDpi(WindowDpi(window_)));
    area_.window = window_;
    frontEnd_.owner = window_;
    frontEnd_.render = [this] { Render(); };
    frontEnd_.afterModal = [this] { ResetHover(); };
    rules_.Form_Load();
    SetWindowTextW(window_, win32::Wide(rules_.WindowTitle()).c_str());
    Render();
}

MainWindow::~MainWindow() {
    frontEnd_.render = nullptr;
    frontEnd_.afterModal = nullptr;
    if (frontEnd_.owner == window_)
        frontEnd_.owner = nullptr;
    menu_.reset();
    if (tray_.bRunningInTray()) // an icon left behind would stay until the pointer passes over it
        tray_.RemoveIcon({rules_.caption()});
    for (auto& button : buttons_)
        button.reset();
    DestroyWindow(window_);
}

void MainWindow::Show() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    Forward([this] { rules_.Form_Resize(); });
}

void MainWindow::LayOut(unsigned dpi) {
    SetWindowPos(window_, nullptr, 0, 0, Scaled(kWidth, dpi), Scaled(kHeight, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    layout_.Apply(dpi);
    for (ListViewControl* list : {sectionList_.get(), summaryList_.get(), detailList_.get()})
        if (list) // a DPI change may come while the window is built
            list->Fit(dpi);
    InvalidateRect(window_, nullptr, TRUE);
}

void MainWindow::BuildTitleStrip() {
    AddButton(window_, MainButton::HelpPic, "?", {452, 6, 472, 30});
    AddButton(window_, MainButton::Help, "Help", {474, 6, 520, 30});
    AddButton(window_, MainButton::SupportPic, "i", {528, 6, 548, 30});
    AddButton(window_, MainButton::Support, "Support", {550, 6, 616, 30});
    AddButton(window_, MainButton::Minimise, "_", {kWidth - 72, 6, kWidth - 44, 30});
    AddButton(window_, MainButton::Close, "X", {kWidth - 38, 6, kWidth - 10, 30});
}

void MainWindow::BuildStartPanel() {
    const int top = kStripHeight;
    selectAll_ = layout_.Add(window_, L"BUTTON", "", BS_3STATE | WS_TABSTOP, {22, top + 22, 42, top + 42},
                             kSelectAllId);
    DrawCheckBoxFromArt(selectAll_);
    layout_.Add(window_, L"STATIC", "", SS_OWNERDRAW | SS_NOTIFY, {46, top + 14, 78, top + 46}, kImage1Id);
    AddLabel(window_, "My Computer", {84, top + 14, 284, top + 46}, kMyComputerId, SS_NOTIFY | SS_CENTERIMAGE,
             {11, true});
    sectionList_ = std::make_unique<ListViewControl>(window_, rules_.model().lvwRegistryvaluesScan,
                                                     "Sections to be scanned", true, kSectionListId);
    layout_.Place(sectionList_->handle(), {20, top + 54, 320, kHeight - 20});
    struct Large {
        MainButton button;
        const char* text;
        const char* description;
    };
    const Large large[] = {
        {MainButton::ScanNow, "Scan Now",
         "Click on the Scan button to start scanning your registry for problems."},
        {MainButton::Settings, "Settings", "Click on the Settings button for configuration options."},
        {MainButton::Restore, "Backup", "Click the Backup button to restore any previous registry backups."},
    };
    int y = top + 30;
    for (size_t i = 0; i < std::size(large); ++i) {
        AddButton(window_, large[i].button, large[i].text, {360, y, 580, y + 64}, {13, true});
        descriptions_[i] = AddLabel(window_, large[i].description, {360, y + 68, 716, y + 104},
                                    kFirstDescriptionId + static_cast<int>(i));
        y += 126;
    }
    AddLabel(window_, "Version 3.0.0", {kWidth - 170, kHeight - 28, kWidth - 20, kHeight - 8}, 0, SS_RIGHT);
}

HWND MainWindow::MakePanel(Panel& panel) {
    panel.handle =
        CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, L"", WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                        0, 0, 0, 0, window_, nullptr, Instance(), &panel);
    return layout_.Place(panel.handle,
                         {10, kStripHeight + 10, 10 + kPanelWidth, kStripHeight + 10 + kPanelHeight});
}

void MainWindow::BuildScanningPanel() {
    HWND panel = MakePanel(scanning_);
    lblStatus_ = AddLabel(panel, "Inspecting", {110, 30, 670, 56}, kStatusId, 0, {12, true});
    AddLabel(panel, "Problem(s) Detected :", {110, 62, 280, 86});
    lblProblemsFound_ = AddLabel(panel, "0", {282, 62, 402, 86}, kProblemsFoundId);
    AddLabel(panel, "Current Keys", {30, 118, 230, 138});
    lblRegistryScan_ = AddLabel(panel, "", {30, 140, 670, 162}, 0, SS_PATHELLIPSIS);
    AddLabel(panel, "Current Files", {30, 176, 230, 196});
    lblRegistryFilesScan_ = AddLabel(panel, "", {30, 198, 670, 220}, 0, SS_PATHELLIPSIS);
    const int left = (kPanelWidth - 140) / 2;
    AddButton(panel, MainButton::ScanCancel, "Cancel", {left, 330, left + 140, 370});
}

void MainWindow::BuildResultsPanel() {
    HWND panel = MakePanel(results_);
    auto& main = rules_.model();
    summaryList_ =
        std::make_unique<ListViewControl>(panel, main.lvwRegistryProblems, "Summary", false, kSummaryListId);
    layout_.Place(summaryList_->handle(), {16, 16, 316, 346});
    detailList_ = std::make_unique<ListViewControl>(panel, main.lvwRegistryErrorsDetail, "Details", false,
                                                    kDetailListId);
    layout_.Place(detailList_->handle(), {326, 16, kPanelWidth - 16, 346});
    lblDeleting_ = AddLabel(panel, "Deleteing the corrupt files", {16, 352, 316, 372});
    AddButton(panel, MainButton::Repair, "Repair", {kPanelWidth - 312, 362, kPanelWidth - 172, 402});
    AddButton(panel, MainButton::Return, "Return", {kPanelWidth - 156, 362, kPanelWidth - 16, 402});
}

void MainWindow::AddButton(HWND parent, MainButton button, std::string_view text, RECT at, FontKind font) {
    auto& control = buttons_[static_cast<size_t>(button)];
    control = std::make_unique<ImageButtonControl>(parent, text, ButtonId(button), [this, button] {
        Forward([this, button] { rules_.MouseMove(button); });
    });
    layout_.Place(control->handle(), at, font);
    const ButtonArt art = ArtOf(button);
    control->SetArt(art.drawing, art.icon);
}

HWND MainWindow::AddLabel(HWND parent, std::string_view text, RECT at, int id, DWORD style, FontKind font) {
    return layout_.Add(parent, L"STATIC", text, SS_LEFT | SS_NOPREFIX | style, at, id, font);
}

// --- Events.

void MainWindow::Forward(const std::function<void()>& event) {
    event();
    Render();
}

void MainWindow::Act(MainButton button) {
    Forward([this, button] {
        rules_.MouseMove(button);
        if (button == MainButton::Repair)
            Writing([this, button] { rules_.Click(button); });
        else
            rules_.Click(button);
    });
}

void MainWindow::ResetHover() {
    Forward([this] {
        for (MainArea area : {MainArea::Picture1, MainArea::PicScanning, MainArea::PicResults})
            rules_.MouseMove(area);
    });
}

void MainWindow::Writing(const std::function<void()>& step) {
    ending_.Write(step, endProgram);
}

void MainWindow::End() {
    ending_.End(endProgram);
}

void MainWindow::Command(int id, int code, HWND control) {
    if (id == IDCANCEL && !control) { // Escape: during a scan, its Cancel
        if (rules_.model().PicScanning)
            Act(MainButton::ScanCancel);
        return;
    }
    if (id == kSelectAllId && code == BN_CLICKED) {
        // A click ticks a clear or grayed box and clears a ticked one; the rules do the rest.
        Forward([this] { rules_.chkSelectlistviewItems_Click(); });
        return;
    }
    if ((id == kMyComputerId || id == kImage1Id) && code == STN_CLICKED) {
        Forward([this] { rules_.Label2_Click(); });
        return;
    }
    if (id < kFirstButtonId || id >= kFirstButtonId + static_cast<int>(MainButton::Count) ||
        code != BN_CLICKED)
        return;
    const auto button = static_cast<MainButton>(id - kFirstButtonId);
    // The scan and the repair run long: they start once the click's own messages are over, so that the
    // clicks made while they run reach their buttons.
    if (button == MainButton::ScanNow || button == MainButton::Repair)
        PostMessageW(window_, kActLater, static_cast<WPARAM>(button), 0);
    else
        Act(button);
}

void MainWindow::Notice(const NMHDR& header, LRESULT& result) {
    // A list asks for its rows while it is being made, before it is ours.
    if (!sectionList_ || !summaryList_ || !detailList_)
        return;
    for (ListViewControl* list : {sectionList_.get(), summaryList_.get(), detailList_.get()})
        if (list->Notify(header, result))
            return;
    if (header.code == LVN_COLUMNCLICK) {
        if (header.hwndFrom == summaryList_->handle())
            Forward([this] { rules_.lvwRegistryProblems_ColumnClick(0); });
        else if (header.hwndFrom == detailList_->handle())
            Forward([this] { rules_.lvwRegistryErrorsDetail_ColumnClick(0); });
        return;
    }
    // A click on a row, or Space or Enter on the focused one.
    if (header.code == LVN_ITEMACTIVATE && header.hwndFrom == sectionList_->handle())
        return; // the click that activates a row has already toggled it
    if (const int row = sectionList_->RowOf(header); row >= 0)
        Forward([this, row] { rules_.lvwRegistryvaluesScan_ItemClick(row); });
    else if (const int summaryRow = summaryList_->RowOf(header); summaryRow >= 0)
        Forward([this, summaryRow] { rules_.lvwRegistryProblems_ItemClick(summaryRow); });
}

LRESULT MainWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    // A taskbar that starts again (explorer restarted) has forgotten the icon.
    static const UINT taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    if (message == taskbarCreated && taskbarCreated != 0) {
        if (tray_.bRunningInTray())
            area_.Add(tray_.szTip());
        return 0;
    }
    switch (message) {
    case kTrayCallbackMessage:
        // The icon's mouse message arrives as a mouse movement whose X is the message in twips.
        Forward([this, lParam] { rules_.Form_MouseMove(TrayMessageAsTwips(LOWORD(lParam))); });
        return 0;
    case kScanFromMenu:
        Forward([this] { rules_.ImgScanNowMouseMove_Click(); });
        return 0;
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        return 0;
    case WM_NOTIFY: {
        LRESULT result = 0;
        Notice(*reinterpret_cast<const NMHDR*>(lParam), result);
        return result;
    }
    case kActLater:
        Act(static_cast<MainButton>(wParam));
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == kImage1Id) {
            PaintParentBackground(item.hwndItem, item.hDC);
            DrawArt(item.hDC, item.hwndItem, "my_computer", item.rcItem);
            return TRUE;
        }
        const int index = static_cast<int>(item.CtlID) - kFirstButtonId;
        if (index >= 0 && index < static_cast<int>(MainButton::Count))
            buttons_[static_cast<size_t>(index)]->Draw(item);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
        COLORREF text = kText;
        if (id >= kFirstDescriptionId && id < kFirstDescriptionId + 3) {
            const uint32_t colours[] = {rules_.lblScanTextColour(), rules_.lblSettingsTextColour(),
                                        rules_.lblBackUpTextColour()};
            text = FromRgb(colours[id - kFirstDescriptionId]);
        } else if (id == kProblemsFoundId) {
            text = kAccent;
        }
        SetTextColor(dc, text);
        return PaintBehindLabel(reinterpret_cast<HWND>(lParam), dc);
    }
    case WM_ERASEBKGND:
        PaintBackground(reinterpret_cast<HDC>(wParam), window);
        return TRUE;
    case WM_NCHITTEST: // the title strip drags the window
        return HitTestFrame(window, wParam, lParam);
    case WM_DPICHANGED:
        LayOut(TakeDpiChange(window, wParam, lParam));
        return 0;
    case WM_MOUSEMOVE:
        Forward([this] { rules_.MouseMove(MainArea::Picture1); });
        return 0;
    case WM_LBUTTONDOWN:
        Forward([this] { rules_.Picture1_GotFocus(); });
        return 0;
    case WM_TIMER:
        Forward([this, wParam] {
            if (wParam == kRefreshTimer)
                rules_.tmrRefreshlvwContents_Timer();
            else if (wParam == kSettingsTimer)
                rules_.tmrSettings_Timer();
            else if (wParam == kBlinkTimer)
                rules_.tmrPicVisibleOrNot_Timer();
        });
        return 0;
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && IsWindowVisible(window))
            Forward([this] { rules_.Form_Resize(); });
        return 0;
    case WM_CLOSE:
        Forward([this] { rules_.Form_QueryUnload(); });
        return 0;
    default:
        if (message == ComeForwardMessage()) {
            Forward([this] { ComeForward(); });
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT MainWindow::Panel::Handle(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
        return window->Handle(window->window_, message, wParam, lParam);
    case WM_MOUSEMOVE:
        window->Forward([this] { window->rules_.MouseMove(area); });
        return 0;
    case WM_ERASEBKGND:
        window->PaintBackground(reinterpret_cast<HDC>(wParam), handle);
        return TRUE;
    default:
        return DefWindowProcW(handle, message, wParam, lParam);
    }
}

// --- Painting.

void MainWindow::PaintBackground(HDC dc, HWND target) const {
    if (target == window_) {
        PaintFrame(dc, window_, "background", rules_.caption());
        return;
    }
    RECT all{};
    GetClientRect(target, &all);
    if (!DrawArt(dc, target, "panel", all))
        FillBox(dc, all, kPanel);
    PaintBars(dc, target);
}

void MainWindow::PaintBars(HDC dc, HWND panel) const {
    const auto& main = rules_.model();
    if (panel == scanning_.handle) {
        if (main.PicBug) // the blinking sign that something was found
            DrawArt(dc, panel, "bug", layout_.Px(RECT{30, 28, 94, 92}));
        const RECT track = layout_.Px(kTrack);
        DrawBar(dc, panel, track,
                FillPixels(main.PicProgress, main.PicMainProgress, track.right - track.left));
    } else if (main.ImgDeleteProgress) {
        const RECT track = layout_.Px(kDeleteTrack);
        DrawBar(
            dc, panel, track,
            FillPixels(main.ImgDeleteProgressInside, main.ImgDeleteProgressWidth, track.right - track.left));
    }
}

// --- Rendering: each part only when its change number moved on.

void MainWindow::Render() {
    for (ListViewControl* list : {sectionList_.get(), summaryList_.get(), detailList_.get()})
        list->Sync();
    RenderButtons();
    RenderLabels();
    RenderPanels();
    RenderTimers();
}

void MainWindow::RenderButtons() {
    const auto& main = rules_.model();
    const int box = main.chkSelectlistviewItems;
    const WPARAM state = box == 1 ? BST_CHECKED : box == 2 ? BST_INDETERMINATE : BST_UNCHECKED;
    if (static_cast<WPARAM>(SendMessageW(selectAll_, BM_GETCHECK, 0, 0)) != state)
        SendMessageW(selectAll_, BM_SETCHECK, state, 0);
    const auto& buttons = rules_.buttons();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const auto button = static_cast<MainButton>(i);
        // The scan and the repair switch these three on and off as they run.
        const bool enabled = button == MainButton::ScanNow  ? main.ImgScanNowNormal
                             : button == MainButton::Repair ? main.ImgRepairNormal
                             : button == MainButton::Return ? main.ImgReturnNormal
                                                            : buttons[button].enabled;
        buttons_[i]->SetHighlighted(buttons[button].highlighted && enabled);
        buttons_[i]->SetEnabled(enabled);
    }
    if (shownButtons_ == buttons.Revision())
        return;
    shownButtons_ = buttons.Revision();
    for (HWND label : descriptions_)
        InvalidateRect(label, nullptr, TRUE);
}

void MainWindow::RenderLabels() {
    const auto& main = rules_.model();
    const uint64_t labels = main.Revision(MainWindowModel::FieldGroup::Labels);
    if (shownGroups_[0] != labels) {
        shownGroups_[0] = labels;
        SetText(lblStatus_, main.lblStatus);
        SetText(lblProblemsFound_, main.lblProblemsFound);
        SetText(lblRegistryScan_, main.lblRegistryScan);
        SetText(lblRegistryFilesScan_, main.lblRegistryFilesScan);
    }
    const uint64_t progress = main.Revision(MainWindowModel::FieldGroup::Progress);
    if (shownGroups_[1] != progress) {
        shownGroups_[1] = progress;
        const RECT track = layout_.Px(kTrack);
        InvalidateRect(scanning_.handle, &track, TRUE);
    }
}

void MainWindow::RenderPanels() {
    const auto& main = rules_.model();
    const uint64_t now = main.Revision(MainWindowModel::FieldGroup::PanelsAndButtons);
    if (shownGroups_[2] == now)
        return;
    shownGroups_[2] = now;
    ShowIf(scanning_.handle, main.PicScanning);
    ShowIf(results_.handle, main.PicResults);
    // The results come in front of the start panel, and a scan in front of them.
    if (main.PicResults)
        SetWindowPos(results_.handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (main.PicScanning)
        SetWindowPos(scanning_.handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowIf(summaryList_->handle(), main.lvwRegistryProblems.visible);
    ShowIf(detailList_->handle(), main.lvwRegistryErrorsDetail.visible);
    ShowIf(lblDeleting_, main.lblDeletingCourrutpfils);
    ShowIf(sectionList_->handle(), rules_.lvwRegistryvaluesScanVisible);
    InvalidateRect(scanning_.handle, nullptr, TRUE); // the blinking sign
    InvalidateRect(results_.handle, nullptr, TRUE);  // the repair's bar
    EnableWindow(window_, main.enabled);
    SetCursor(LoadCursorW(nullptr, main.busyPointer ? IDC_WAIT : IDC_ARROW));
}

void MainWindow::RenderTimers() {
    const bool wanted[] = {rules_.tmrRefreshlvwContents, rules_.tmrSettings,
                           rules_.model().tmrPicVisibleOrNot};
    const UINT_PTR ids[] = {kRefreshTimer, kSettingsTimer, kBlinkTimer};
    const UINT every[] = {50, 10, 600};
    for (size_t i = 0; i < timers_.size(); ++i) {
        if (timers_[i] == wanted[i])
            continue;
        timers_[i] = wanted[i];
        if (wanted[i])
            SetTimer(window_, ids[i], every[i], nullptr);
        else
            KillTimer(window_, ids[i]);
    }
}

// --- What the rules ask of the window.

void MainWindow::HideWindow() {
    ShowWindow(window_, SW_HIDE);
}

void MainWindow::MinimiseWindow() {
    ShowWindow(window_, SW_MINIMIZE);
}

bool MainWindow::IsMinimised() const {
    return IsIconic(window_) != FALSE;
}

void MainWindow::ShowNormalWindow() {
    ShowWindow(window_, SW_SHOWNORMAL);
    SetForegroundWindow(window_);
    ResetHover(); // the pointer left a button while the window was away, unseen
}

void MainWindow::ComeForward() {
    if (tray_.bRunningInTray())
        tray_.RemoveIcon({rules_.caption()});
    ShowNormalWindow();
}

void MainWindow::EndProgram() {
    End();
}

void MainWindow::ShowIcon() {
    tray_.ShowIcon({rules_.caption()});
}

void MainWindow::ChangeToolTip(std::string_view tip) {
    tray_.ChangeToolTip({rules_.caption()}, tip);
}

void MainWindow::ShowPopupMenu() {
    if (menu_ && menu_->visible()) { // an open menu only comes to the front
        menu_->BringToFront();
        return;
    }
    if (!menu_) {
        PopupMenuWindow::MainWindowHooks hooks;
        hooks.showNormal = [this] { ShowNormalWindow(); };
        hooks.hide = [this] { HideWindow(); };
        hooks.hidden = [this] { return IsWindowVisible(window_) == FALSE; };
        hooks.endProgram = [this] { End(); };
        hooks.startScanLater = [this] { PostMessageW(window_, kScanFromMenu, 0, 0); };
        hooks.afterEvent = [this] { Render(); };
        menu_ = std::make_unique<PopupMenuWindow>(app_, rules_, tray_, std::move(hooks));
    }
    menu_->Open();
}

void MainWindow::ShowNotification(std::string_view caption, std::string_view message) {
    NotificationDialog notice(window_, app_, std::string(caption), message);
    notice.Run();
    ResetHover();
}

void MainWindow::ShowSettingsDialog() {
    SettingsDialog dialog(window_, app_, startup_);
    dialog.Run();
    ResetHover();
}

void MainWindow::ShowBackupManager() {
    // A restore writes the registry: an ending asked for meanwhile waits until the dialog is closed.
    Writing([this] {
        BackupManagerDialog dialog(window_, app_);
        dialog.Run();
    });
    ResetHover();
}

void MainWindow::OpenWebPage(std::string_view page) {
    const std::filesystem::path file = ProgramFolder() / "help" / win32::Wide(page);
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error)) {
        frontEnd_.ShowMessageBox(app_, "The page " + std::string(page) + " is not installed.", false);
        return;
    }
    const std::string path = win32::Narrow(file.wstring());
    if (!vx::OpenWebPage(window_, path))
        frontEnd_.ShowMessageBox(app_, "No web browser could be started. The page is " + path + ".", false);
}

void MainWindow::RepaintControl(std::string_view) {
    InvalidateRect(window_, nullptr, FALSE);
}

} // namespace vx::win32gui

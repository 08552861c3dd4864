// FrmMain on screen: building its panels and controls, rendering what changed, forwarding events.
#include "gui/main_window.h"

#include "app/message_box.h"
#include "gui/backup_manager_dialog.h"
#include "gui/click_label.h"
#include "gui/gui_front_end.h"
#include "gui/image_button.h"
#include "gui/list_model.h"
#include "gui/native_tray_menu.h"
#include "gui/notification_dialog.h"
#include "gui/prefix_picker.h"
#include "gui/qt_text.h"
#include "gui/screen_pointer.h"
#include "gui/settings_dialog.h"
#include "gui/svg_picture.h"
#include "ui/notification.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTreeView>
#include <QUrl>

namespace vx::gui {
namespace {

constexpr int kWidth = 720;
constexpr int kHeight = 480;
constexpr int kTrackWidth = 640;
constexpr int kDeleteTrackWidth = 300;

size_t Index(MainButton b) {
    return static_cast<size_t>(b);
}

QColor Colour(uint32_t rgb) {
    return QColor::fromRgb(rgb);
}

// A fill `units` wide of a bar whose full width is `fullUnits`, in a track `pixels` wide.
int FillPixels(int units, int fullUnits, int pixels) {
    if (fullUnits <= 0 || units <= 0)
        return 0;
    return std::min(pixels, static_cast<int>(static_cast<int64_t>(units) * pixels / fullUnits));
}

} // namespace

MainWindow::MainWindow(GuiContext& context, GuiFrontEnd& frontEnd)
    : context_(context), frontEnd_(frontEnd), rules_(context.app, *this), area_(new QtNotificationArea(this)),
      tray_(*area_) {
    setObjectName("FrmMain");
    setAttribute(Qt::WA_DeleteOnClose, false);
    parts_ = BuildFrame(this, QSize(kWidth, kHeight), Text(kProductName), "Picture1", true);
    parts_.background->SetDrawing("background");
    AttachDrag(parts_, this, rules_.drag);
    connect(parts_.background, &SvgPicture::mouseMoved, this,
            [this] { Forward([this] { rules_.MouseMove(MainArea::Picture1); }); });
    // The background takes the focus when it is clicked (not when the window is activated: rebuilding the
    // check-list under the click that activates the window would swallow that click).
    connect(parts_.background, &SvgPicture::pressed, this,
            [this] { Forward([this] { rules_.Picture1_GotFocus(); }); });

    BuildTitleStrip();
    BuildStartPanel();
    BuildScanningPanel();
    BuildResultsPanel();
    OnPointerLeaving(this, [this] { ResetHover(); });

    tmrRefreshlvwContents_.setInterval(50);
    tmrSettings_.setInterval(10);
    tmrPicVisibleOrNot_.setInterval(600);
    connect(&tmrRefreshlvwContents_, &QTimer::timeout, this,
            [this] { Forward([this] { rules_.tmrRefreshlvwContents_Timer(); }); });
    connect(&tmrSettings_, &QTimer::timeout, this,
            [this] { Forward([this] { rules_.tmrSettings_Timer(); }); });
    connect(&tmrPicVisibleOrNot_, &QTimer::timeout, this,
            [this] { Forward([this] { rules_.tmrPicVisibleOrNot_Timer(); }); });

    // The icon's clicks arrive as mouse movements over the window, the message in twips as X.
    area_->onMessage = [this](uint32_t message) {
        Forward([this, message] { rules_.Form_MouseMove(TrayMessageAsTwips(message)); });
    };
    frontEnd_.owner = this;
    frontEnd_.render = [this] { Render(); };
    frontEnd_.afterModal = [this] { ResetHover(); };
    CollectPanelControls();
    if (!WindowsPlaceThemselves()) // the sliding menu could not rise from the icon
        UseNativeTrayMenu();
    rules_.Form_Load();
    setWindowTitle(Text(rules_.WindowTitle()));
    for (QWidget* strip : {static_cast<QWidget*>(parts_.strip), static_cast<QWidget*>(parts_.stripIcon)})
        strip->setToolTip(Text(rules_.TitleStripTip()));
    Render();
}

MainWindow::~MainWindow() {
    area_->SetContextMenu(nullptr);
    delete menu_.data();
    frontEnd_.render = nullptr;
    frontEnd_.afterModal = nullptr;
    if (frontEnd_.owner == this)
        frontEnd_.owner = nullptr;
    // The lists show the rules' model, which goes before the child widgets do.
    for (QTreeView* list : {sectionList_, summaryList_, detailList_})
        if (list)
            list->setModel(nullptr);
}

void MainWindow::BuildTitleStrip() {
    struct Piece {
        MainButton button;
        const char* drawing; // empty: text only
        const char* text;
        const char* name;
        QRect at;
        const char* tip;
    };
    const Piece pieces[] = {
        {MainButton::HelpPic, "icon_help", "", "ImgHelpPicNormal", QRect(452, 8, 20, 20),
         "Open the help page"},
        {MainButton::Help, "", "Help", "ImgHelpNormal", QRect(474, 6, 46, 24), "Open the help page"},
        {MainButton::SupportPic, "icon_support", "", "ImgSupportPicNormal", QRect(528, 8, 20, 20),
         "Open the support page"},
        {MainButton::Support, "", "Support", "ImgSupportNormal", QRect(550, 6, 66, 24),
         "Open the support page"},
        {MainButton::Minimise, "title_minimise", "", "ImgMinimiseNormal", QRect(kWidth - 72, 6, 28, 24),
         "Minimise"},
        {MainButton::Close, "title_close", "", "imgCloseNormal", QRect(kWidth - 38, 6, 28, 24),
         "Close to the notification area"},
    };
    for (const Piece& piece : pieces) {
        auto* button = new ImageButton(piece.drawing, piece.text, this, piece.name);
        button->setGeometry(piece.at);
        AddButton(piece.button, button, piece.tip);
    }
    // The target's name, between the caption and Help: a click offers the other prefixes on the machine.
    const QRect at(176, 6, 268, 24);
    const QString target = Text(context_.app.target().Describe());
    auto* label = new ClickLabel(QFontMetrics(font()).elidedText(target, Qt::ElideMiddle, at.width()), this,
                                 "lblTarget", [this] { Forward([this] { ChooseAnotherTarget(); }); });
    label->setGeometry(at);
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(target + "\nClick to work on another Wine prefix or Windows volume");
    label->setAccessibleName("Choose another target");
}

void MainWindow::ChooseAnotherTarget() {
    if (context_.app.RunAtWork() || !switchTarget)
        return; // the lists and the registry belong to the run at work
    const std::string folder = ChooseTargetFolder(this, context_.pickers);
    ResetHover();
    if (folder.empty())
        return;
    const auto current = context_.app.target().HostFolder();
    std::error_code ec;
    if (current && std::filesystem::equivalent(*current, folder, ec))
        return;
    if (switchTarget(folder))
        End();
}

void MainWindow::BuildStartPanel() {
    const int top = kStripHeight;
    selectAll_ = new QCheckBox(this);
    selectAll_->setObjectName("chkSelectlistviewItems");
    selectAll_->setGeometry(22, top + 22, 20, 20);
    selectAll_->setTristate(true);
    selectAll_->setAccessibleName("Select all sections");
    selectAll_->setToolTip("Tick or clear every section");
    // A click ticks a clear or grayed box and clears a ticked one; the rules do the rest.
    connect(selectAll_, &QCheckBox::clicked, this,
            [this] { Forward([this] { rules_.chkSelectlistviewItems_Click(); }); });
    auto* image1 = new SvgPicture("my_computer", this, "Image1");
    image1->setGeometry(46, top + 14, 32, 32);
    image1->setCursor(Qt::PointingHandCursor);
    connect(image1, &SvgPicture::clicked, this, [this] { Forward([this] { rules_.Label2_Click(); }); });
    auto* label2 =
        new ClickLabel("My Computer", this, "Label2", [this] { Forward([this] { rules_.Label2_Click(); }); });
    label2->setGeometry(84, top + 14, 200, 32);
    label2->setStyleSheet("font-size: 11pt; font-weight: bold; color: #F4F7FB;");

    sectionModel_ =
        new ListViewModel(rules_.model().lvwRegistryvaluesScan, "Sections to be scanned", true, this);
    sectionList_ = AddList(this, "lvwRegistryvaluesScan", sectionModel_);
    sectionList_->setGeometry(20, top + 54, 300, kHeight - top - 74);
    sectionList_->setAccessibleName("Sections to be scanned");
    connect(sectionList_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        Forward([this, row = index.row()] { rules_.lvwRegistryvaluesScan_ItemClick(row); });
    });
    sectionList_->installEventFilter(this);

    struct Large {
        MainButton button;
        const char* name;
        const char* text;
        const char* icon;
        const char* description;
        const char* label;
    };
    const Large large[] = {
        {MainButton::ScanNow, "ImgScanNowNormal", "Scan Now", "icon_scan",
         "Click on the Scan button to start scanning your registry for problems.", "lblScanText"},
        {MainButton::Settings, "ImgSettingsNormal", "Settings", "icon_settings",
         "Click on the Settings button for configuration options.", "lblSettingsText"},
        {MainButton::Restore, "imgRestoreNormal", "Backup", "icon_backup",
         "Click the Backup button to restore any previous registry backups.", "lblBackUpText"},
    };
    int y = top + 30;
    for (size_t i = 0; i < std::size(large); ++i) {
        auto* button = new ImageButton("button_large", large[i].text, this, large[i].name, large[i].icon);
        button->setGeometry(360, y, 220, 64);
        QFont font = button->font();
        font.setPointSize(13);
        font.setBold(true);
        button->setFont(font);
        AddButton(large[i].button, button, large[i].description);
        descriptions_[i] = AddLabel(this, large[i].label, large[i].description, QRect(360, y + 68, 340, 36));
        descriptions_[i]->setWordWrap(true);
        y += 126;
    }
    auto* version = AddLabel(this, "lblVersion", "Version 3.0.0", QRect(kWidth - 170, kHeight - 28, 150, 20));
    version->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    version->setStyleSheet("color: #808896; font-size: 8pt;");
}

void MainWindow::BuildScanningPanel() {
    picScanning_ = new SvgPicture("panel", this, "PicScanning");
    picScanning_->setGeometry(10, kStripHeight + 10, kWidth - 20, kHeight - kStripHeight - 20);
    connect(picScanning_, &SvgPicture::mouseMoved, this,
            [this] { Forward([this] { rules_.MouseMove(MainArea::PicScanning); }); });
    picBug_ = new SvgPicture("bug", picScanning_, "PicBug");
    picBug_->setGeometry(30, 28, 64, 64);
    picBug_->setToolTip("Problems were found");
    lblStatus_ = AddLabel(picScanning_, "lblStatus", "Inspecting", QRect(110, 30, 560, 26));
    lblStatus_->setStyleSheet("font-size: 12pt; font-weight: bold; color: #F4F7FB;");
    AddLabel(picScanning_, "Label3", "Problem(s) Detected :", QRect(110, 62, 170, 24));
    lblProblemsFound_ = AddLabel(picScanning_, "lblProblemsFound", "0", QRect(282, 62, 120, 24));
    lblProblemsFound_->setStyleSheet("font-weight: bold; color: #f0b429;");
    auto* keys = AddLabel(picScanning_, "lblCurrentKeys", "Current Keys", QRect(30, 118, 200, 20));
    keys->setStyleSheet("color: #808896;");
    lblRegistryScan_ = AddLabel(picScanning_, "lblRegistryScan", "", QRect(30, 140, 640, 22));
    auto* files = AddLabel(picScanning_, "lblCurrentFiles", "Current Files", QRect(30, 176, 200, 20));
    files->setStyleSheet("color: #808896;");
    lblRegistryFilesScan_ = AddLabel(picScanning_, "lblRegistryFilesScan", "", QRect(30, 198, 640, 22));
    progressTrack_ = new SvgPicture("progress_track", picScanning_, "PicMainProgress");
    progressTrack_->setGeometry(30, 262, kTrackWidth, 16);
    progressFill_ = new SvgPicture("progress_fill", picScanning_, "PicProgress");
    progressFill_->setGeometry(30, 262, 0, 16);
    auto* cancel = new ImageButton("button", "Cancel", picScanning_, "ImgScanCancelNormal");
    cancel->setGeometry((picScanning_->width() - 140) / 2, 330, 140, 40);
    AddButton(MainButton::ScanCancel, cancel, "Stop the scan");
}

void MainWindow::BuildResultsPanel() {
    picResults_ = new SvgPicture("panel", this, "PicResults");
    picResults_->setGeometry(10, kStripHeight + 10, kWidth - 20, kHeight - kStripHeight - 20);
    connect(picResults_, &SvgPicture::mouseMoved, this,
            [this] { Forward([this] { rules_.MouseMove(MainArea::PicResults); }); });
    auto& main = rules_.model();
    summaryModel_ = new ListViewModel(main.lvwRegistryProblems, "Summary", false, this);
    summaryList_ = AddList(picResults_, "lvwRegistryProblems", summaryModel_);
    summaryList_->setGeometry(16, 16, 300, 330);
    summaryList_->setAccessibleName("Summary");
    summaryList_->setToolTip("Click a row to see its details");
    connect(summaryList_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
        Forward([this, row = index.row()] { rules_.lvwRegistryProblems_ItemClick(row); });
    });
    summaryList_->installEventFilter(this);
    detailModel_ = new ListViewModel(main.lvwRegistryErrorsDetail, "Details", false, this);
    detailList_ = AddList(picResults_, "lvwRegistryErrorsDetail", detailModel_);
    detailList_->setGeometry(326, 16, picResults_->width() - 342, 330);
    detailList_->setAccessibleName("Details");
    for (auto [list, sortList] : {std::pair{summaryList_, &FrmMain::lvwRegistryProblems_ColumnClick},
                                  std::pair{detailList_, &FrmMain::lvwRegistryErrorsDetail_ColumnClick}}) {
        list->header()->setSectionsClickable(true);
        list->header()->setToolTip("Click to sort");
        connect(list->header(), &QHeaderView::sectionClicked, this, [this, sortList](int column) {
            Forward([this, sortList, column] { (rules_.*sortList)(column); });
        });
    }

    lblDeleting_ = AddLabel(picResults_, "lblDeletingCourrutpfils", "Deleteing the corrupt files",
                            QRect(16, 352, 300, 20));
    deleteTrack_ = new SvgPicture("progress_track", picResults_, "ImgDeleteProgress");
    deleteTrack_->setGeometry(16, 376, kDeleteTrackWidth, 16);
    deleteFill_ = new SvgPicture("progress_fill", picResults_, "ImgDeleteProgressInside");
    deleteFill_->setGeometry(16, 376, 0, 16);
    auto* repair = new ImageButton("button", "Repair", picResults_, "ImgRepairNormal");
    repair->setGeometry(picResults_->width() - 312, 362, 140, 40);
    AddButton(MainButton::Repair, repair, "Repair every problem found (after a backup)");
    auto* back = new ImageButton("button", "Return", picResults_, "ImgReturnNormal");
    back->setGeometry(picResults_->width() - 156, 362, 140, 40);
    AddButton(MainButton::Return, back, "Back to the start");
}

ImageButton* MainWindow::AddButton(MainButton button, ImageButton* widget, const QString& tip) {
    buttons_[Index(button)] = widget;
    widget->setToolTip(tip);
    if (widget->accessibleName() == widget->objectName())
        widget->setAccessibleName(tip);
    connect(widget, &ImageButton::hovered, this,
            [this, button] { Forward([this, button] { rules_.MouseMove(button); }); });
    connect(widget, &ImageButton::clicked, this, [this, button] { Act(button, false); });
    connect(widget, &ImageButton::keyPressed, this, [this, button] { Act(button, true); });
    return widget;
}

QTreeView* MainWindow::AddList(QWidget* parent, const QString& name, ListViewModel* model) {
    auto* list = new QTreeView(parent);
    list->setObjectName(name);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setItemsExpandable(false);
    list->setAlternatingRowColors(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionsClickable(false);
    list->setTextElideMode(Qt::ElideNone);
    model->SetMeasure([list](const QString& text) { return list->fontMetrics().horizontalAdvance(text); });
    return list;
}

QLabel* MainWindow::AddLabel(QWidget* parent, const QString& name, const QString& text, QRect at) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(at);
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

void MainWindow::Act(MainButton button, bool byKeyboard) {
    auto act = [this, button, byKeyboard] {
        Forward([this, button, byKeyboard] {
            if (byKeyboard) // the keyboard reaches the button as the pointer does: over it, then a click
                rules_.MouseMove(button);
            if (button == MainButton::Repair)
                Writing([this, button] { rules_.Click(button); });
            else
                rules_.Click(button);
        });
    };
    if (button == MainButton::ScanNow || button == MainButton::Repair)
        Later(act);
    else
        act();
}

void MainWindow::ResetHover() {
    Forward([this] {
        for (MainArea area : {MainArea::Picture1, MainArea::PicScanning, MainArea::PicResults})
            rules_.MouseMove(area);
    });
}

void MainWindow::Later(const std::function<void()>& work) {
    // The scan and the repair run long: they start once the click's own events are over, so that the
    // clicks made while they run reach their buttons, and no window's handler runs them on its stack.
    QTimer::singleShot(0, this, work);
}

void MainWindow::Forward(std::function<void()> event) {
    event();
    Render();
}

void MainWindow::Writing(const std::function<void()>& step) {
    ending_.Write(step, endProgram);
}

void MainWindow::End() {
    ending_.End(endProgram);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // Space, Enter and Return on a list's current row do what a click on it does.
    if (event->type() != QEvent::KeyPress || (watched != sectionList_ && watched != summaryList_))
        return QWidget::eventFilter(watched, event);
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key != Qt::Key_Space && key != Qt::Key_Return && key != Qt::Key_Enter)
        return QWidget::eventFilter(watched, event);
    auto* list = static_cast<QTreeView*>(watched);
    const int row = list->currentIndex().row();
    if (row < 0)
        return true;
    if (list == sectionList_)
        Forward([this, row] { rules_.lvwRegistryvaluesScan_ItemClick(row); });
    else
        Forward([this, row] { rules_.lvwRegistryProblems_ItemClick(row); });
    return true;
}

// --- Rendering: each part only when its change number moved on.

void MainWindow::Render() {
    for (auto [list, model] : {std::pair{sectionList_, sectionModel_}, std::pair{summaryList_, summaryModel_},
                               std::pair{detailList_, detailModel_}}) {
        model->Sync();
        // The column is as wide as its widest row (plus the check box and picture), never narrower than
        // the list: a long path scrolls instead of being cut.
        const int extra = model == sectionModel_ ? 60 : 16;
        const int width = std::max(list->viewport()->width(), model->widest() + extra);
        if (list->header()->sectionSize(0) != width)
            list->header()->resizeSection(0, width);
    }
    RenderSortIndicators();
    RenderButtons();
    RenderLabels();
    RenderProgress();
    RenderPanels();
    RenderTimers();
}

void MainWindow::RenderSortIndicators() {
    const auto& main = rules_.model();
    for (auto* list : {summaryList_, detailList_}) {
        const ListView& view = list == summaryList_ ? main.lvwRegistryProblems : main.lvwRegistryErrorsDetail;
        QHeaderView* header = list->header();
        if (header->isSortIndicatorShown() != view.sorted)
            header->setSortIndicatorShown(view.sorted);
        const Qt::SortOrder order = view.descending ? Qt::DescendingOrder : Qt::AscendingOrder;
        if (view.sorted &&
            (header->sortIndicatorSection() != view.sortKey || header->sortIndicatorOrder() != order))
            header->setSortIndicator(view.sortKey, order);
    }
}

void MainWindow::RenderButtons() {
    const auto& main = rules_.model();
    const int box = main.chkSelectlistviewItems;
    selectAll_->setCheckState(box == 1 ? Qt::Checked : box == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    const auto& buttons = rules_.buttons();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const auto button = static_cast<MainButton>(i);
        const vx::ImageButton& state = buttons[button];
        // The scan and the repair switch these three on and off as they run.
        const bool enabled = button == MainButton::ScanNow  ? main.ImgScanNowNormal
                             : button == MainButton::Repair ? main.ImgRepairNormal
                             : button == MainButton::Return ? main.ImgReturnNormal
                                                            : state.enabled;
        buttons_[i]->SetHighlighted(state.highlighted && enabled);
        if (buttons_[i]->isEnabled() != enabled)
            buttons_[i]->setEnabled(enabled); // shown and hidden with their panels
    }
    if (shownButtons_ == buttons.Revision())
        return;
    shownButtons_ = buttons.Revision();
    descriptions_[0]->setStyleSheet(QString("color: %1;").arg(Colour(rules_.lblScanTextColour()).name()));
    descriptions_[1]->setStyleSheet(QString("color: %1;").arg(Colour(rules_.lblSettingsTextColour()).name()));
    descriptions_[2]->setStyleSheet(QString("color: %1;").arg(Colour(rules_.lblBackUpTextColour()).name()));
}

void MainWindow::RenderLabels() {
    const auto& main = rules_.model();
    const uint64_t now = main.Revision(MainWindowModel::FieldGroup::Labels);
    if (shownGroups_[0] == now)
        return;
    shownGroups_[0] = now;
    auto elided = [](QLabel* label, const std::string& text) {
        label->setText(
            label->fontMetrics().elidedText(QString::fromStdString(text), Qt::ElideMiddle, label->width()));
    };
    elided(lblStatus_, main.lblStatus);
    lblProblemsFound_->setText(QString::fromStdString(main.lblProblemsFound));
    elided(lblRegistryScan_, main.lblRegistryScan);
    elided(lblRegistryFilesScan_, main.lblRegistryFilesScan);
}

void MainWindow::RenderProgress() {
    const auto& main = rules_.model();
    const uint64_t now = main.Revision(MainWindowModel::FieldGroup::Progress);
    if (shownGroups_[1] == now)
        return;
    shownGroups_[1] = now;
    progressFill_->setFixedWidth(FillPixels(main.PicProgress, main.PicMainProgress, kTrackWidth));
    progressFill_->setVisible(main.PicProgress > 0);
}

void MainWindow::RenderPanels() {
    const auto& main = rules_.model();
    const uint64_t now = main.Revision(MainWindowModel::FieldGroup::PanelsAndButtons);
    if (shownGroups_[2] == now)
        return;
    shownGroups_[2] = now;
    picScanning_->setVisible(main.PicScanning);
    picResults_->setVisible(main.PicResults);
    // The results come in front of the start panel, and a scan (started from the tray menu while they
    // show) in front of them.
    if (main.PicResults)
        picResults_->raise();
    if (main.PicScanning)
        picScanning_->raise();
    BringPanelToKeys(main.PicScanning ? 1 : main.PicResults ? 2 : 0);
    picBug_->setVisible(main.PicBug);
    summaryList_->setVisible(main.lvwRegistryProblems.visible);
    detailList_->setVisible(main.lvwRegistryErrorsDetail.visible);
    lblDeleting_->setVisible(main.lblDeletingCourrutpfils);
    deleteTrack_->setVisible(main.ImgDeleteProgress);
    deleteFill_->setVisible(main.ImgDeleteProgress && main.ImgDeleteProgressInside > 0);
    deleteFill_->setFixedWidth(
        FillPixels(main.ImgDeleteProgressInside, main.ImgDeleteProgressWidth, kDeleteTrackWidth));
    sectionList_->setVisible(rules_.lvwRegistryvaluesScanVisible);
    setEnabled(main.enabled);
    // Only a change of the model's pointer is the window's to show: the menu may have set it meanwhile.
    if (main.busyPointer != busyPointer_) {
        busyPointer_ = main.busyPointer;
        SetScreenPointerBusy(busyPointer_);
    }
}

void MainWindow::RenderTimers() {
    auto follow = [](QTimer& timer, bool enabled) {
        if (enabled != timer.isActive())
            enabled ? timer.start() : timer.stop();
    };
    follow(tmrRefreshlvwContents_, rules_.tmrRefreshlvwContents);
    follow(tmrSettings_, rules_.tmrSettings);
    follow(tmrPicVisibleOrNot_, rules_.model().tmrPicVisibleOrNot);
}

void MainWindow::CollectPanelControls() {
    auto focusable = [](QWidget* w) { return w->focusPolicy() != Qt::NoFocus; };
    for (QWidget* w : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const bool titleStrip = std::find(buttons_.begin(), buttons_.begin() + Index(MainButton::ScanNow),
                                          w) != buttons_.begin() + Index(MainButton::ScanNow);
        if (focusable(w) && !titleStrip)
            panelControls_[0].emplace_back(w, w->focusPolicy());
    }
    for (auto [panel, picture] : {std::pair{size_t{1}, picScanning_}, std::pair{size_t{2}, picResults_}})
        for (QWidget* w : picture->findChildren<QWidget*>())
            if (focusable(w))
                panelControls_[panel].emplace_back(w, w->focusPolicy());
    for (size_t panel : {size_t{1}, size_t{2}})
        for (auto& [w, policy] : panelControls_[panel])
            w->setFocusPolicy(Qt::NoFocus);
}

void MainWindow::BringPanelToKeys(size_t panel) {
    if (panel == panelWithKeys_)
        return;
    panelWithKeys_ = panel;
    for (size_t i = 0; i < panelControls_.size(); ++i)
        for (auto& [w, policy] : panelControls_[i])
            w->setFocusPolicy(i == panel ? policy : Qt::NoFocus);
    // Its first control that can take the focus now (Scan Now is off while a scan runs).
    for (auto& [w, policy] : panelControls_[panel]) {
        if (w->isEnabled() && w->isVisibleTo(this)) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
    }
    setFocus(Qt::OtherFocusReason);
}

// --- Window events.

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Escape during a scan is its Cancel.
    if (event->key() == Qt::Key_Escape && rules_.model().PicScanning) {
        Act(MainButton::ScanCancel, true);
        return;
    }
    QWidget::keyPressEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    Forward([this] { rules_.Form_QueryUnload(); });
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible())
        Forward([this] { rules_.Form_Resize(); });
}

void MainWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Forward([this] { rules_.Form_Resize(); });
}

void MainWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && !isMinimized() && isVisible())
        Forward([this] { rules_.Form_Resize(); });
}

// --- What the rules ask of the window.

void MainWindow::HideWindow() {
    hide();
}

void MainWindow::ComeForward() {
    if (tray_.bRunningInTray())
        tray_.RemoveIcon({rules_.caption()});
    ShowNormalWindow();
}

void MainWindow::ShowNormalWindow() {
    showNormal();
    raise();
    activateWindow();
}

void MainWindow::ShowIcon() {
    tray_.ShowIcon({rules_.caption()});
}

void MainWindow::ChangeToolTip(std::string_view tip) {
    tray_.ChangeToolTip({rules_.caption()}, tip);
}

bool MainWindow::HasNotificationArea() const {
    return area_->Available();
}

void MainWindow::EndProgram() {
    End();
}

void MainWindow::ShowPopupMenu() {
    if (menu_ && menu_->isVisible()) { // an open menu only comes to the front
        menu_->raise();
        return;
    }
    if (nativeMenu_) // the tray shows its own menu
        return;
    if (menu_) // a closed menu whose handler may still be running: it goes once that is over
        menu_->deleteLater();
    menu_ = new PopupMenuWindow(context_.app, rules_, tray_, MenuHooks());
    menu_->Open();
}

PopupMenuWindow::MainWindowHooks MainWindow::MenuHooks() {
    PopupMenuWindow::MainWindowHooks hooks;
    hooks.showNormal = [this] { ShowNormalWindow(); };
    hooks.hide = [this] { hide(); };
    hooks.hidden = [this] { return !isVisible(); };
    hooks.endProgram = [this] { End(); };
    hooks.startScanLater = [this] {
        Later([this] { Forward([this] { rules_.ImgScanNowMouseMove_Click(); }); });
    };
    hooks.afterEvent = [this] { Render(); };
    return hooks;
}

void MainWindow::UseNativeTrayMenu() {
    if (nativeMenu_)
        return;
    nativeMenu_ = std::make_unique<NativeTrayMenu>(context_.app, rules_, tray_, MenuHooks());
    area_->SetContextMenu(nativeMenu_->menu());
}

void MainWindow::ShowNotification(std::string_view caption, std::string_view message) {
    NotificationDialog notice(this, context_.app, Text(caption), Text(message));
    notice.exec();
    ResetHover();
}

void MainWindow::ShowSettingsDialog() {
    SettingsDialog dialog(this, context_);
    dialog.exec();
    ResetHover();
}

void MainWindow::ShowBackupManager() {
    Writing([this] {
        BackupManagerDialog dialog(this, context_);
        dialog.exec();
    });
    ResetHover();
}

void MainWindow::OpenWebPage(std::string_view page) {
    const std::string file = HelpPageFile(std::string(page));
    if (file.empty()) {
        frontEnd_.ShowMessageBox(context_.app, "The page " + std::string(page) + " is not installed.", false);
        return;
    }
    // The desktop's own opener (the portal in a sandbox, else xdg-open) knows the browser, however it is
    // installed.
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(file))))
        frontEnd_.ShowMessageBox(context_.app, "No web browser could be started. The page is " + file + ".",
                                 false);
}

void MainWindow::RepaintControl(std::string_view control) {
    if (QWidget* widget = findChild<QWidget*>(Text(control)))
        widget->update();
}

} // namespace vx::gui

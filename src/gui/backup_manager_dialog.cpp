// frmBackUpRestore on screen: the list of backup files with their check boxes, and its four buttons.
#include "gui/backup_manager_dialog.h"

#include "gui/image_button.h"
#include "gui/svg_picture.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QTreeWidget>

namespace vx::gui {
namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

} // namespace

BackupManagerDialog::BackupManagerDialog(QWidget* parent, GuiContext& context)
    : QDialog(parent), rules_(context.app) {
    setObjectName("frmBackUpRestore");
    setModal(true);
    parts_ = BuildFrame(this, QSize(kWidth, kHeight), "Backups", "Picture1", true);
    AttachDrag(parts_, this, rules_.drag);
    connect(parts_.background, &SvgPicture::mouseMoved, this,
            [this] { rules_.Picture1_MouseMove(), Render(); });
    OnPointerLeaving(this, [this] { rules_.Picture1_MouseMove(), Render(); });

    list_ = new QTreeWidget(this);
    list_->setObjectName("lvwBackUp");
    list_->setAccessibleName("Backup files");
    list_->setGeometry(20, kStripHeight + 16, kWidth - 40, kHeight - kStripHeight - 90);
    list_->setHeaderLabels({"Name", "Date", "Time", "Size ( Bytes )"});
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAlternatingRowColors(true);
    list_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    list_->header()->setStretchLastSection(false);
    for (int column = 1; column < 4; ++column)
        list_->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(list_, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (filling_ || column != 0)
            return;
        rules_.SetTicked(static_cast<size_t>(list_->indexOfTopLevelItem(item)),
                         item->checkState(0) == Qt::Checked);
    });

    auto* close = new ImageButton("title_close", "", this, "imgCloseNormal");
    close->setGeometry(kWidth - 36, 6, 28, 24);
    close->setAccessibleName("Close");
    close->setToolTip("Close");
    AddButton(close, BackupButton::Close);
    const int top = kHeight - 58;
    auto* restore = new ImageButton("button", "Restore", this, "imgRestoreNormal");
    restore->setGeometry(20, top, 140, 40);
    restore->setToolTip("Write the ticked backups back and remove them");
    AddButton(restore, BackupButton::Restore);
    auto* remove = new ImageButton("button", "Delete", this, "ImgDeleteNormal");
    remove->setGeometry(172, top, 140, 40);
    remove->setToolTip("Delete the ticked backup files");
    AddButton(remove, BackupButton::Delete);
    auto* ok = new ImageButton("button", "OK", this, "ImgOKNormal");
    ok->setGeometry(kWidth - 160, top, 140, 40);
    ok->setToolTip("Close");
    AddButton(ok, BackupButton::OK);

    rules_.Form_Load();
    Render();
}

void BackupManagerDialog::AddButton(ImageButton* widget, BackupButton button) {
    buttons_[static_cast<size_t>(button)] = widget;
    connect(widget, &ImageButton::hovered, this, [this, button] { rules_.MouseMove(button), Render(); });
    connect(widget, &ImageButton::clicked, this, [this, button] {
        if (rules_.Click(button))
            accept();
        else
            Render();
    });
    connect(widget, &ImageButton::keyPressed, this, [this, button] { Press(button); });
}

void BackupManagerDialog::Press(BackupButton button) {
    rules_.MouseMove(button);
    if (rules_.Click(button))
        accept();
    else
        Render();
}

void BackupManagerDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Press(BackupButton::Close);
        return;
    }
    QDialog::keyPressEvent(event);
}

void BackupManagerDialog::FillList() {
    filling_ = true;
    list_->clear();
    for (const BackupRow& row : rules_.manager().lvwBackUp) {
        auto* item = new QTreeWidgetItem(list_);
        item->setText(0, QString::fromStdString(row.name));
        item->setText(1, QString::fromStdString(row.date));
        item->setText(2, QString::fromStdString(row.time));
        item->setText(3, QString::fromStdString(row.size));
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, row.ticked ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
    shownList_ = rules_.listRevision();
}

void BackupManagerDialog::Render() {
    if (shownList_ != rules_.listRevision())
        FillList();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const vx::ImageButton& state = rules_.buttons()[static_cast<BackupButton>(i)];
        buttons_[i]->SetHighlighted(state.highlighted);
        buttons_[i]->setEnabled(state.enabled);
    }
}

} // namespace vx::gui

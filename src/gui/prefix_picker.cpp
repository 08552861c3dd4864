// Where the program asks for a target: the Wine prefixes found on the machine, and any other folder.
#include "gui/prefix_picker.h"

#include "gui/qt_text.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <iostream>

namespace vx::gui {
namespace {

constexpr char kTitle[] = "Choose a Wine prefix or a Windows volume";

} // namespace

PrefixPickerDialog::PrefixPickerDialog(QWidget* parent, const std::vector<FoundPrefix>& prefixes,
                                       FilePickers& pickers)
    : QDialog(parent), list_(new QTreeWidget(this)), pickers_(pickers) {
    setWindowTitle(kTitle);
    list_->setObjectName("lstPrefixes");
    list_->setHeaderLabels({"Name", "Source", "Folder"});
    list_->setRootIsDecorated(false);
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    for (const auto& prefix : prefixes) {
        auto* item = new QTreeWidgetItem(
            list_, {Text(prefix.name), Text(PrefixSourceName(prefix.source)), Text(prefix.path.string())});
        item->setData(0, Qt::UserRole, QByteArray::fromStdString(prefix.path.string()));
    }
    if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* open = buttons->addButton("Open", QDialogButtonBox::AcceptRole);
    open->setObjectName("cmdOpen");
    QPushButton* other = buttons->addButton("Other folder...", QDialogButtonBox::ActionRole);
    other->setObjectName("cmdOtherFolder");
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName("cmdCancel");
    connect(open, &QPushButton::clicked, this, &PrefixPickerDialog::OpenSelected);
    connect(other, &QPushButton::clicked, this, &PrefixPickerDialog::ChooseOtherFolder);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QTreeWidget::itemActivated, this, &PrefixPickerDialog::OpenSelected);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("The Wine prefixes on this computer:", this));
    layout->addWidget(list_);
    layout->addWidget(buttons);
    resize(760, 360);
}

void PrefixPickerDialog::OpenSelected() {
    const QTreeWidgetItem* item = list_->currentItem();
    if (!item)
        return;
    chosen_ = item->data(0, Qt::UserRole).toByteArray().toStdString();
    accept();
}

void PrefixPickerDialog::ChooseOtherFolder() {
    const std::string folder = pickers_.ChooseFolder(this, kTitle, {});
    if (folder.empty())
        return; // back to the list
    chosen_ = folder;
    accept();
}

std::string ChooseTargetFolder(QWidget* parent, FilePickers& pickers) {
    std::vector<std::string> warnings;
    const auto prefixes = FindPrefixes(PrefixPlaces::FromEnvironment(), warnings);
    for (const auto& warning : warnings)
        std::cerr << "vantrelix: warning: " << warning << "\n";
    if (prefixes.empty())
        return pickers.ChooseFolder(parent, kTitle, {});
    PrefixPickerDialog dialog(parent, prefixes, pickers);
    return dialog.exec() == QDialog::Accepted ? dialog.chosen() : std::string();
}

} // namespace vx::gui

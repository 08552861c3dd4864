// The desktop's folder and file pickers.
#include "gui/gui_context.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWindow>

namespace vx::gui {
namespace {

// A picker that stands above `owner` and keeps it waiting, but is no child of it: a child would take the
// owner's dark style sheet. The desktop's own dialog shows where the platform has one (a portal, GTK);
// otherwise Qt's, drawn in the desktop's palette.
std::string Pick(QWidget* owner, const QString& title, const QString& start, QFileDialog::FileMode mode,
                 const QString& filter) {
    QFileDialog dialog(nullptr, title, start, filter);
    dialog.setObjectName("picker");
    dialog.setFileMode(mode);
    if (mode == QFileDialog::Directory)
        dialog.setOption(QFileDialog::ShowDirsOnly);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (owner && owner->window()->windowHandle()) {
        dialog.winId(); // the dialog's own window, to hang it on the owner's
        dialog.windowHandle()->setTransientParent(owner->window()->windowHandle());
        dialog.move(owner->window()->geometry().center() - dialog.rect().center());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front().toStdString();
}

} // namespace

std::string DialogPickers::ChooseFolder(QWidget* parent, const QString& title, const QString& initial) {
    // A folder typed in the box that does not exist (yet) starts the picker at its nearest existing parent.
    QString start = initial;
    while (!start.isEmpty() && !QFileInfo(start).isDir() && QFileInfo(start).absolutePath() != start)
        start = QFileInfo(start).absolutePath();
    return Pick(parent, title, QFileInfo(start).isDir() ? start : QString(), QFileDialog::Directory, {});
}

std::string DialogPickers::ChooseFile(QWidget* parent, const QString& title, const QString& initial,
                                      const QString& filter) {
    return Pick(parent, title, initial, QFileDialog::ExistingFile, filter);
}

} // namespace vx::gui

// The platform's folder and file pickers.
#include "gui/gui_context.h"

#include <QFileDialog>

namespace vx::gui {

std::string DialogPickers::ChooseFolder(QWidget* parent, const QString& title) {
    return QFileDialog::getExistingDirectory(parent, title, QString(), QFileDialog::ShowDirsOnly).toStdString();
}

std::string DialogPickers::ChooseFile(QWidget* parent, const QString& title, const QString& initial,
                                      const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, initial, filter).toStdString();
}

} // namespace vx::gui

// Where the help pages are: installed beside the program, else in the source tree of a checkout.
#include "gui/gui_context.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vx::gui {

std::string HelpPageFile(const std::string& page) {
    const QString name = QString::fromStdString(page);
    const QStringList folders = {QCoreApplication::applicationDirPath() + "/../share/vantrelix/help",
                                 QStringLiteral(VANTRELIX_HELP_SOURCE_DIR)};
    for (const QString& folder : folders) {
        const QFileInfo file(QDir(folder).filePath(name));
        if (file.isFile())
            return file.canonicalFilePath().toStdString();
    }
    return {};
}

} // namespace vx::gui

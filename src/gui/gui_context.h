#pragma once
// What the windows share: the program's logic, the start-up entry, and the pickers for files and folders
// (the platform's dialogs; tests put their own in).
#include <QString>

#include <string>

class QWidget;

namespace vx {
class App;
class StartupEntry;
struct LauncherHost;
} // namespace vx

namespace vx::gui {

class FilePickers {
  public:
    virtual ~FilePickers() = default;
    // The chosen folder or file, or empty text when the user cancelled.
    virtual std::string ChooseFolder(QWidget* parent, const QString& title) = 0;
    virtual std::string ChooseFile(QWidget* parent, const QString& title, const QString& initial,
                                   const QString& filter) = 0;
};

// The platform's dialogs.
class DialogPickers : public FilePickers {
  public:
    std::string ChooseFolder(QWidget* parent, const QString& title) override;
    std::string ChooseFile(QWidget* parent, const QString& title, const QString& initial,
                           const QString& filter) override;
};

struct GuiContext {
    App& app;
    StartupEntry& startup;
    FilePickers& pickers;
    // How web pages are opened; null: the desktop's own way (tests put a recording one in).
    const LauncherHost* launcher = nullptr;
};

// Where the program's help pages are: installed beside the program (../share/vantrelix/help), else in
// the source tree it was built from. Empty when neither holds `page`.
std::string HelpPageFile(const std::string& page);

} // namespace vx::gui

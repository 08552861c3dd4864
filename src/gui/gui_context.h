#pragma once
// What the windows share: the program's logic, the start-up entry, and the pickers for files and folders
// (the platform's dialogs; tests put their own in).
#include <QString>

#include <string>

class QWidget;

namespace vx {
class App;
class StartupEntry;
} // namespace vx

namespace vx::gui {

class FilePickers {
  public:
    virtual ~FilePickers() = default;
    // The chosen folder or file, or empty text when the user cancelled; `initial` is where the picker
    // starts (empty: where it likes).
    virtual std::string ChooseFolder(QWidget* parent, const QString& title, const QString& initial) = 0;
    virtual std::string ChooseFile(QWidget* parent, const QString& title, const QString& initial,
                                   const QString& filter) = 0;
};

// The desktop's own dialogs where it has them (else Qt's, in the desktop's palette): never in the dark
// look of the program's windows, which a dialog made for another desktop cannot be read in.
class DialogPickers : public FilePickers {
  public:
    std::string ChooseFolder(QWidget* parent, const QString& title, const QString& initial) override;
    std::string ChooseFile(QWidget* parent, const QString& title, const QString& initial,
                           const QString& filter) override;
};

struct GuiContext {
    App& app;
    StartupEntry& startup;
    FilePickers& pickers;
};

// Where the program's help pages are: installed beside the program (../share/vantrelix/help), else in
// the source tree it was built from. Empty when neither holds `page`.
std::string HelpPageFile(const std::string& page);

} // namespace vx::gui

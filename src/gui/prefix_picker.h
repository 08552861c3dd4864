#pragma once
// Where the program asks for a target: the Wine prefixes found on the machine, one click away, and any
// other folder through the folder picker.
#include "gui/gui_context.h"
#include "platform/wine/prefix_finder.h"

#include <QDialog>

#include <string>
#include <vector>

class QTreeWidget;

namespace vx::gui {

class PrefixPickerDialog : public QDialog {
    Q_OBJECT
  public:
    PrefixPickerDialog(QWidget* parent, const std::vector<FoundPrefix>& prefixes, FilePickers& pickers);
    // The folder chosen (a listed prefix, or one from the folder picker); empty when cancelled.
    const std::string& chosen() const { return chosen_; }

  private:
    void OpenSelected();
    void ChooseOtherFolder();

    QTreeWidget* list_;
    FilePickers& pickers_;
    std::string chosen_;
};

// The prefixes on the machine to choose from (the folder picker at once when there are none); the
// chosen folder, or empty text when the user cancelled.
std::string ChooseTargetFolder(QWidget* parent, FilePickers& pickers);

} // namespace vx::gui

#pragma once
// frmBackUpRestore: the backup manager. Its rules are FrmBackUpRestore's; this renders them.
#include "gui/frameless_window.h"
#include "gui/gui_context.h"
#include "ui/backup_manager_window.h"

#include <QDialog>

#include <array>

class QTreeWidget;
class QTreeWidgetItem;

namespace vx::gui {

class ImageButton;

class BackupManagerDialog : public QDialog {
    Q_OBJECT
  public:
    BackupManagerDialog(QWidget* parent, GuiContext& context);

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void AddButton(ImageButton* widget, BackupButton button);
    void Press(BackupButton button);
    void Render();
    void FillList();

    FrmBackUpRestore rules_;
    FramedParts parts_;
    QTreeWidget* list_ = nullptr;
    std::array<ImageButton*, static_cast<size_t>(BackupButton::Count)> buttons_{};
    uint64_t shownList_ = ~uint64_t{0};
    bool filling_ = false;
};

} // namespace vx::gui

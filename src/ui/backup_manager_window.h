#pragma once
// frmBackUpRestore's window rules, free of any toolkit: its four image buttons, and what the user is
// told after a restore. The listing, restore and delete are the results layer's (BackupManager).
#include "results/backup_manager.h"
#include "ui/image_buttons.h"
#include "ui/window_drag.h"

#include <string>

namespace vx {

class App;

enum class BackupButton { Close, Restore, Delete, OK, Count };

class FrmBackUpRestore {
  public:
    explicit FrmBackUpRestore(App& app);

    // Form_Load: the buttons plain, the list from the backup folder.
    void Form_Load();
    // Over Restore, Delete or OK: all four reset first, then that one highlighted; over Close: only its
    // own pair.
    void MouseMove(BackupButton button);
    void Picture1_MouseMove();
    // A click on a highlighted button runs its action; true when the dialog closes (OK, Close).
    bool Click(BackupButton button);
    void SetTicked(size_t row, bool ticked);

    const BackupManager& manager() const { return manager_; }
    const ImageButtons<BackupButton>& buttons() const { return buttons_; }
    WindowDrag drag;
    // Moves on whenever the list's rows changed (loaded, restored, deleted).
    uint64_t listRevision() const { return listRevision_; }

  private:
    void Restore();

    App& app_;
    BackupManager manager_;
    ImageButtons<BackupButton> buttons_;
    uint64_t listRevision_ = 0;
};

// What the user is told when a restore could not write everything back: one line per failure, after a
// sentence saying that the backup files concerned were kept. Empty when nothing failed.
std::string RestoreFailureMessage(const RestoreOutcome& outcome);

} // namespace vx

// frmBackUpRestore's window rules: its image buttons, and what the user is told after a restore.
#include "ui/backup_manager_window.h"

#include "app/app.h"
#include "results/run_observer.h"

#include <array>

namespace vx {
namespace {

constexpr std::array kAllButtons{BackupButton::Close, BackupButton::Restore, BackupButton::Delete,
                                 BackupButton::OK};

} // namespace

FrmBackUpRestore::FrmBackUpRestore(App& app) : app_(app) {}

void FrmBackUpRestore::Form_Load() {
    buttons_.Reset(kAllButtons);
    manager_ = LoadBackupManager(app_);
    ++listRevision_;
    if (!manager_.refused.empty()) // an empty list would not say why
        app_.ShowMessageBox("No backups are listed: " + manager_.refused, false);
}

void FrmBackUpRestore::MouseMove(BackupButton button) {
    if (button != BackupButton::Close)
        buttons_.Reset(kAllButtons);
    buttons_.Hover(button);
}

void FrmBackUpRestore::Picture1_MouseMove() {
    buttons_.Reset(kAllButtons);
}

bool FrmBackUpRestore::Click(BackupButton button) {
    if (!buttons_.Clickable(button))
        return false;
    switch (button) {
    case BackupButton::Restore:
        Restore();
        return false;
    case BackupButton::Delete: {
        const size_t before = manager_.lvwBackUp.size();
        ImgDeleteMouseMove_Click(app_, manager_);
        if (manager_.lvwBackUp.size() != before)
            ++listRevision_;
        return false;
    }
    case BackupButton::Close:
    case BackupButton::OK:
        return true;
    case BackupButton::Count:
        break;
    }
    return false;
}

void FrmBackUpRestore::SetTicked(size_t row, bool ticked) {
    if (row < manager_.lvwBackUp.size())
        manager_.lvwBackUp[row].ticked = ticked;
}

void FrmBackUpRestore::Restore() {
    const size_t before = manager_.lvwBackUp.size();
    FrontEndObserver observer(app_);
    const RestoreOutcome outcome = imgRestoreMouseMove_Click(app_, observer, manager_);
    if (manager_.lvwBackUp.size() != before)
        ++listRevision_;
    // A restore that could not write everything back keeps the backup files concerned; the user is told
    // which records failed, so that nothing is dropped without a word.
    if (const std::string message = RestoreFailureMessage(outcome); !message.empty())
        app_.ShowMessageBox(message, false);
}

std::string RestoreFailureMessage(const RestoreOutcome& outcome) {
    if (outcome.failures.empty())
        return {};
    std::string message = "Some records could not be written back; their backup files were kept:";
    for (const auto& failure : outcome.failures)
        message += "\n" + failure;
    return message;
}

} // namespace vx

#pragma once
// frmBackUpRestore on Windows: the backup files in a list with check boxes (name, date, time, size), and
// Restore, Delete, OK and Close, shown modally. Its rules are FrmBackUpRestore's; this renders them and
// forwards the user's events.
#include "ui/backup_manager_window.h"
#include "win32gui/image_button.h"
#include "win32gui/layout.h"

#include "win32gui/windows_api.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace vx::win32gui {

inline constexpr wchar_t kBackupManagerClass[] = L"VantrelixBackups";
// The ids of the dialog's controls, for the tests that drive it with messages.
inline constexpr int kBackupListId = 500;
inline constexpr int kBackupButtonId = 510; // + BackupButton

class BackupManagerDialog {
  public:
    BackupManagerDialog(HWND owner, App& app);
    ~BackupManagerDialog();
    BackupManagerDialog(const BackupManagerDialog&) = delete;
    BackupManagerDialog& operator=(const BackupManagerDialog&) = delete;

    // Shows the dialog and runs until it closes.
    void Run();
    HWND handle() const { return window_; }

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    void AddButton(BackupButton button, std::string_view text, RECT at);
    // The columns' widths and the marks at the window's DPI.
    void FitList();
    void Press(BackupButton button);
    void Forward(const std::function<void()>& event);
    void Render();
    void FillList();

    FrmBackUpRestore rules_;
    HWND owner_;
    HWND window_ = nullptr;
    Layout layout_;
    HWND list_ = nullptr;
    std::array<std::unique_ptr<ImageButtonControl>, static_cast<size_t>(BackupButton::Count)> buttons_;
    uint64_t shownList_ = ~uint64_t{0};
    bool filling_ = false; // the list's changes while it is filled are not the user's
    bool closed_ = false;
};

} // namespace vx::win32gui

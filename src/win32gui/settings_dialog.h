#pragma once
// frmSetings on Windows: the four options with their labels, the three paths with their Browse buttons,
// OK and Close, shown modally. Its rules are FrmSetings'; this renders them and forwards the user's
// events. The pickers are the platform's (tests put their own in).
#include "ui/settings_dialog.h"
#include "win32gui/image_button.h"
#include "win32gui/layout.h"

#include "win32gui/windows_api.h"

#include <array>
#include <functional>
#include <memory>
#include <string>

namespace vx::win32gui {

inline constexpr wchar_t kSettingsDialogClass[] = L"VantrelixSettings";
// The ids of the dialog's controls, for the tests that drive it with messages.
inline constexpr int kSettingsCheckId = 400;  // + SettingsOption
inline constexpr int kSettingsLabelId = 410;  // + SettingsOption
inline constexpr int kSettingsTextId = 420;   // + SettingsOption (not the start-up option)
inline constexpr int kSettingsButtonId = 430; // + SettingsButton

class SettingsDialog : private SettingsDialogShell {
  public:
    SettingsDialog(HWND owner, App& app, StartupEntry& startup);
    ~SettingsDialog() override;
    SettingsDialog(const SettingsDialog&) = delete;
    SettingsDialog& operator=(const SettingsDialog&) = delete;

    // Shows the dialog and runs until it closes.
    void Run();
    // Shows it without waiting (tests pump the messages themselves).
    void Show();
    bool closed() const { return closed_; }
    HWND handle() const { return window_; }

    // The pickers: the chosen path, or empty text for a cancel.
    std::function<std::string(HWND owner, const std::string& start)> pickFolder;
    std::function<std::string(HWND owner, const std::string& initial)> pickWaveFile;

    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    std::string BrowseForFolder(const std::string& startFolder) override;
    std::string ChooseWaveFile(const std::string& initialFolder) override;
    void CloseDialog() override { closed_ = true; }

    void BuildOption(SettingsOption option, int top, std::string_view label);
    void BuildPath(SettingsOption option, int top, std::string_view caption, SettingsButton browse);
    void AddButton(SettingsButton button, std::string_view text, RECT at, FontKind font = {});
    void Command(int id, int code);
    void Press(SettingsButton button);
    void Forward(const std::function<void()>& event);
    void Render();
    static LRESULT CALLBACK LabelHover(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);

    FrmSetings rules_;
    HWND owner_;
    HWND window_ = nullptr;
    Layout layout_;
    std::array<HWND, 4> checks_{};
    std::array<HWND, 4> labels_{};
    std::array<HWND, 3> texts_{};
    std::array<std::unique_ptr<ImageButtonControl>, static_cast<size_t>(SettingsButton::Count)> buttons_;
    bool rendering_ = false; // the text boxes' changes while rendering are not the user's
    bool closed_ = false;
};

} // namespace vx::win32gui

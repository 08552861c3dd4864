#pragma once
// The desktop program as a test runs it: this computer's registry (the Wine prefix of tools/
// test-windows.sh), the settings store, the model and the main window, shown; ending it only records that
// it would have ended.
#include "app/app.h"
#include "platform/sound_player.h"
#include "ui/target_options.h"
#include "win32gui/main_window.h"
#include "win32gui/win32_front_end.h"

#include <memory>

namespace vx::win32gui::testing {

struct ProgramUnderTest {
    // Opens the target and shows the main window; `error` says why when there is no window.
    ProgramUnderTest();
    ~ProgramUnderTest();

    // A control of the main window or of one of its panels.
    HWND Control(int id) const;
    // The pointer over a main window button, then its click.
    void Click(MainButton button) const;
    // The tray icon's callback with a mouse message, as the shell sends it.
    void TrayMessage(UINT mouseMessage) const;

    Win32FrontEnd frontEnd;
    OpenedTarget opened;
    std::string error;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<SoundPlayer> sound;
    std::unique_ptr<App> app;
    std::unique_ptr<MainWindow> window;
    bool ended = false;
};

} // namespace vx::win32gui::testing

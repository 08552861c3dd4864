// The desktop program as a test runs it.
#include "program_under_test.h"

#include "ui/host_services.h"
#include "window_driver.h"

namespace vx::win32gui::testing {

ProgramUnderTest::ProgramUnderTest() {
    opened = OpenTargetFromOptions({});
    if (!opened.target) {
        error = opened.error;
        return;
    }
    settings = OpenSettingsStore(*opened.target);
    sound = MakeSoundPlayer();
    app = std::make_unique<App>(*opened.target, *settings, frontEnd, *sound);
    window = std::make_unique<MainWindow>(*app, frontEnd);
    window->endProgram = [this] { ended = true; };
    window->Show();
}

ProgramUnderTest::~ProgramUnderTest() {
    window.reset();
    app.reset();
}

HWND ProgramUnderTest::Control(int id) const {
    for (HWND parent = window->handle(); parent;
         parent = GetWindow(parent, parent == window->handle() ? GW_CHILD : GW_HWNDNEXT))
        if (HWND control = GetDlgItem(parent, id))
            return control;
    return nullptr;
}

void ProgramUnderTest::Click(MainButton button) const {
    ClickButton(GetParent(Control(ButtonId(button))), ButtonId(button));
}

void ProgramUnderTest::TrayMessage(UINT mouseMessage) const {
    PostMessageW(window->handle(), kTrayCallbackMessage, 1, mouseMessage);
}

} // namespace vx::win32gui::testing

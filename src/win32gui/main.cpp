// vantrelix.exe: the desktop program on Windows. It opens this computer's registry and drives, shows
// the splash, then the main window, and runs until the user ends it.
#include "ui/host_services.h"
#include "ui/target_options.h"
#include "win32gui/main_window.h"
#include "win32gui/message_box_window.h"
#include "win32gui/modal_loop.h"
#include "win32gui/single_instance.h"
#include "win32gui/splash_window.h"
#include "win32gui/win32_front_end.h"

#include <commctrl.h>
#include <objbase.h>

int main() {
    using namespace vx;
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

    // One program per user: a second start brings the running one's window forward.
    win32gui::SingleInstance instance;
    if (instance.AskRunningToComeForward())
        return 0;

    win32gui::Win32FrontEnd frontEnd;
    OpenedTarget opened = OpenTargetFromOptions({});
    if (!opened.target) {
        win32gui::MessageBoxWindow box(nullptr, opened.error, false);
        box.Run();
        return 2;
    }
    const auto settings = OpenSettingsStore(*opened.target);
    const auto sound = MakeSoundPlayer();
    App app(*opened.target, *settings, frontEnd, *sound);
    win32gui::MainWindow window(app, frontEnd);
    if (const std::string error = settings->LastError(); !error.empty())
        frontEnd.ShowMessageBox(app, error, false);
    win32gui::SplashWindow splash([&window] { window.Show(); });
    splash.Start();

    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        win32gui::Deliver(message, window.handle());
    CoUninitialize();
    return static_cast<int>(message.wParam);
}

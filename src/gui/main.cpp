// vantrelix: the desktop program. It opens the target the command line names (as vantrelix-cli does),
// shows the splash, then the main window, and runs until the user ends it.
#include "app/app.h"
#include "app/message_box.h"
#include "app/settings_store.h"
#include "gui/gui_context.h"
#include "gui/gui_front_end.h"
#include "gui/main_window.h"
#include "gui/prefix_picker.h"
#include "gui/qt_text.h"
#include "gui/single_instance.h"
#include "gui/splash_window.h"
#include "gui/svg_picture.h"
#include "platform/canberra_sound.h"
#include "ui/autostart_entry.h"
#include "ui/target_options.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QProcess>

#include <filesystem>
#include <iostream>

namespace {

using namespace vx;

TargetOptions ParseTargetOptions(QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription("Vantrelix v3.0 - finds and repairs registry values that name missing "
                                     "files, and broken shortcuts, in a "
                                     "Wine prefix or on a Windows volume");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption prefix("prefix", "Wine prefix to work on (default: $WINEPREFIX, else ~/.wine).",
                                    "DIR");
    const QCommandLineOption windows("windows",
                                     "A mounted Windows volume to work on instead of a Wine prefix.", "DIR");
    const QCommandLineOption user("user", "With --windows: the user whose hives are HKEY_CURRENT_USER.",
                                  "NAME");
    parser.addOptions({prefix, windows, user});
    parser.process(application);
    if (parser.isSet(prefix) && parser.isSet(windows)) {
        std::cerr << "vantrelix: --prefix and --windows name two targets; give one\n";
        std::exit(2);
    }
    if (parser.isSet(user) && !parser.isSet(windows)) {
        std::cerr << "vantrelix: --user needs --windows\n";
        std::exit(2);
    }
    return {parser.value(prefix).toStdString(), parser.value(windows).toStdString(),
            parser.value(user).toStdString()};
}

// A folder the user chose: a Windows volume when it holds Windows' own hives, else a Wine prefix.
TargetOptions OptionsForFolder(const std::string& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(std::filesystem::path(folder) / "Windows" / "System32" / "config",
                                      error))
        return {{}, folder, {}};
    return {folder, {}, {}};
}

// The target, or, when it cannot be used, the user's choice of another one; null when the user gives up.
OpenedTarget OpenUsableTarget(TargetOptions& options, gui::GuiFrontEnd& frontEnd, gui::FilePickers& pickers) {
    for (;;) {
        OpenedTarget opened = OpenTargetFromOptions(options);
        for (const auto& warning : opened.warnings)
            std::cerr << "vantrelix: warning: " << warning << "\n";
        if (opened.target)
            return opened;
        std::cerr << "vantrelix: " << opened.error << "\n";
        const std::string question =
            opened.error + "\n\nChoose a Wine prefix or a mounted Windows volume to work on?";
        if (!frontEnd.messageBox(nullptr, question, true))
            return opened;
        const std::string folder = gui::ChooseTargetFolder(nullptr, pickers);
        if (folder.empty())
            return opened;
        options = OptionsForFolder(folder);
    }
}

// --help and --version print their text and end, with or without a display.
bool AsksForTextOnly(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h" || arg == "-?" || arg == "--help-all" || arg == "--version" ||
            arg == "-v")
            return true;
    }
    return false;
}

void NameTheApplication() {
    QCoreApplication::setApplicationName("vantrelix");
    QCoreApplication::setApplicationVersion(VANTRELIX_VERSION);
}

} // namespace

int main(int argc, char** argv) {
    if (AsksForTextOnly(argc, argv)) {
        QCoreApplication text(argc, argv);
        NameTheApplication();
        ParseTargetOptions(text); // prints and ends
        return 0;
    }
    QApplication application(argc, argv);
    NameTheApplication();
    Q_INIT_RESOURCE(art);
    QApplication::setApplicationDisplayName(gui::Text(kProductName));
    QApplication::setWindowIcon(QIcon(gui::Art("app_icon")));
    QApplication::setQuitOnLastWindowClosed(false); // closing the main window keeps the program running
    QApplication::setDesktopFileName("vantrelix");

    TargetOptions options = ParseTargetOptions(application);
    gui::GuiFrontEnd frontEnd;
    gui::DialogPickers pickers;
    OpenedTarget opened = OpenUsableTarget(options, frontEnd, pickers);
    if (!opened.target)
        return 2;

    FileSettingsStore settings(DefaultSettingsFile());
    CanberraSoundPlayer sound;
    App app(*opened.target, settings, frontEnd, sound);
    // Settings the program may not keep (another user's folder, a link in the file's place) are said once.
    if (const std::string error = settings.LastError(); !error.empty())
        frontEnd.ShowMessageBox(app, error, false);
    const std::filesystem::path executable =
        QFileInfo(QApplication::applicationFilePath()).canonicalFilePath().toStdString();
    AutostartEntry startup(DefaultAutostartFolder(), executable, options.Arguments());
    gui::GuiContext context{app, startup, pickers};

    // One program per user and target: a second start brings the running one's window forward.
    gui::SingleInstance instance(app.target().Identity());
    if (instance.AskRunningToComeForward())
        return 0;

    gui::MainWindow window(context, frontEnd);
    instance.Listen([&window] { window.ComeForward(); });
    // Another target is another program's: its own window, settings check and single instance.
    window.switchTarget = [&](const std::string& folder) {
        QStringList arguments;
        for (const auto& argument : OptionsForFolder(folder).Arguments())
            arguments << gui::Text(argument);
        if (QProcess::startDetached(QApplication::applicationFilePath(), arguments))
            return true;
        frontEnd.ShowMessageBox(app, "The program could not be started on " + folder, false);
        return false;
    };
    gui::SplashWindow splash([&window] { window.show(); });
    splash.Start();
    return QApplication::exec();
}

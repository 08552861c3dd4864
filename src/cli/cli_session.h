#pragma once
// What every command of the terminal front end works with: the opened target, the settings, the front
// end, and the program's logic around them.
#include "app/app.h"
#include "cli/terminal_front_end.h"
#include "engine/engine.h"
#include "ui/host_services.h"
#include "ui/target_options.h"

#include <memory>
#include <string>
#include <vector>

namespace vx {

struct CliSession {
    std::unique_ptr<Target> target;
    std::string targetName;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<TerminalFrontEnd> frontEnd;
    std::unique_ptr<SoundPlayer> sound;
    std::unique_ptr<App> app;
    std::unique_ptr<Engine> engine; // observed by the front end
};

// Opens the target the options name; on failure prints one line to standard error and returns null.
std::unique_ptr<CliSession> OpenSession(const TargetOptions& options, bool assumeYes, bool showProgress);

// Picks the check-list rows for this run: the saved marks, or exactly the rows named in `sections`
// (comma-separated, compared without regard to case). False with a message for an unknown name.
bool ChooseSections(Engine& engine, const std::string& sections, std::string& why);

} // namespace vx

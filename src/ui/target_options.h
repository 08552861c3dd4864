#pragma once
// Opening the target the command line names, for both front ends: --windows DIR [--user NAME] for an
// offline Windows volume, else --prefix DIR, else $WINEPREFIX, else ~/.wine. The Windows build has one
// target, the computer it runs on, and refuses --prefix and --windows.
#include "platform/target.h"

#include <memory>
#include <string>
#include <vector>

namespace vx {

struct TargetOptions {
    std::string prefix;  // --prefix
    std::string windows; // --windows
    std::string user;    // --user

    // The options again as arguments (to start the program the same way later).
    std::vector<std::string> Arguments() const;
};

struct OpenedTarget {
    std::unique_ptr<Target> target; // null when it could not be opened
    std::string name;               // the folder, as the user named it
    std::string error;              // one sentence when it could not be opened
    std::vector<std::string> warnings;
};

OpenedTarget OpenTargetFromOptions(const TargetOptions& options);

} // namespace vx

// Everything the program's logic works with: the target, the settings, the main window's model, and the
// few things a front end provides (yielding to its event loop, showing the message box, playing a sound,
// the clock).
#include "app/app.h"

namespace vx {

std::string App::ApplicationFolder() const {
    if (!applicationFolder_.empty())
        return applicationFolder_;
    return ProgramDataFolder().string();
}

} // namespace vx

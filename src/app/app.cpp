#include "app/app.h"

namespace vx {

std::string App::ApplicationFolder() const {
    if (!applicationFolder_.empty())
        return applicationFolder_;
    return ProgramDataFolder().string();
}

} // namespace vx

#pragma once
// What a checker and a walker work with: the target they read, the sink for their findings, and the run
// they belong to (whether it was cancelled, a yield between steps, what it is looking at).
#include "checks/findings.h"
#include "platform/target.h"

#include <filesystem>
#include <string_view>

namespace vx {

// The run a walk belongs to.
class WalkControl {
  public:
    virtual ~WalkControl() = default;
    virtual bool Cancelled() const = 0;
    // Between two steps: lets the front end draw and take its events (a Cancel among them).
    virtual void Yield() = 0;
    // What the walk looks at: a key or folder, and a value's data or a file's name in it.
    virtual void ShowingPlace(std::string_view place) = 0;
    virtual void ShowingItem(std::string_view item) = 0;
};

struct CheckContext {
    Target& target;
    FindingSink& sink;
    WalkControl& walk;
    // The program's own backup folder on the host: the shortcut copies in it are never findings.
    std::filesystem::path ownBackups;

    Registry& registry() { return target.registry(); }
    FileSystem& files() { return target.files(); }
};

} // namespace vx

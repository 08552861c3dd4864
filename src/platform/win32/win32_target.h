#pragma once
// The machine the program runs on as its target: the live registry, the drives Windows reports, and the
// Shell's view of their files (type descriptions from the registry's classes, links through IShellLinkW).
#include "platform/target.h"

#include <memory>
#include <string>

namespace vx {

std::unique_ptr<Target> OpenThisMachine();

} // namespace vx

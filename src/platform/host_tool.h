#pragma once
// Running a tool of the host's (one that keeps the desktop's caches, for instance), where it is installed.
#include <string>
#include <vector>

namespace vx {

// Runs `program` (looked up in PATH) with `arguments`, its output discarded, and waits for it. False when
// it is not installed, could not be started, or did not end with status 0.
bool RunHostTool(const std::string& program, const std::vector<std::string>& arguments);

} // namespace vx

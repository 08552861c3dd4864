#pragma once
// A host file copied whole or not at all: its bytes, permission bits and Wine's DOS attributes.
#include <string>

namespace vx::detail {

// Copies the host file `from` to `to`, replacing what `to` holds, through the atomic replace: a failed
// copy never leaves half a file. False when `from` is not a regular file or is `to` itself.
bool CopyHostFile(const std::string& from, const std::string& to);

} // namespace vx::detail

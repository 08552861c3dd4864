#pragma once
// A host file copied whole or not at all: its bytes, permission bits and Wine's DOS attributes.
#include <string>

namespace vx::detail {

// Copies the host file `from` to `to` (an entry of the host folder `folder`), replacing what `to` holds.
// The copy is written beside `to` and renamed over it, so that a failed copy never leaves half a file.
// False when `from` is not a regular file or is `to` itself.
bool CopyHostFile(const std::string& from, const std::string& folder, const std::string& to);

} // namespace vx::detail

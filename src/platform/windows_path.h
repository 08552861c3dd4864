#pragma once
// Windows path text taken apart into the components a lookup on the host resolves: the drive (or the
// host's root), names with "." and ".." applied, and a last component that may be a pattern.
#include "platform/host_path.h"

#include <string>
#include <string_view>
#include <vector>

namespace vx::detail {

inline bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

struct ParsedPath {
    bool host = false;              // a path of the host ("/…") rather than of a drive
    char letter = 0;                // the drive, for target paths
    std::vector<std::string> parts; // resolved components; the last may be a pattern
    bool trailingSeparator = false; // the text ended with "\" (names a folder, not a file)
    bool wildcard = false;          // the last component holds "*" or "?"
};

// Lookup::Failed for text that cannot name anything searchable (relative, UNC, malformed).
// `systemDrive` (0 for none) is the drive a path rooted without a letter lies on.
Lookup ParsePath(std::string_view text, bool allowWildcard, char systemDrive, ParsedPath& out);

} // namespace vx::detail

#pragma once
// Host paths as the host file system's lookups use them: a name joined onto a folder; what a lookup comes
// to is a Lookup.
#include "platform/lookup.h"

#include <string>
#include <string_view>

namespace vx::detail {

inline std::string Join(const std::string& dir, std::string_view name) {
    std::string out;
    out.reserve(dir.size() + 1 + name.size());
    out = dir;
    if (out.empty() || out.back() != '/')
        out += '/';
    out += name;
    return out;
}

} // namespace vx::detail

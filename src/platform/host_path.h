#pragma once
// Host paths as the host file system's lookups use them: what a lookup comes to, and a name joined onto
// a folder.
#include <string>
#include <string_view>

namespace vx::detail {

enum class Outcome { Ok, NotFound, Failed };

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

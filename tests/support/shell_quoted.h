#pragma once
// A text as one word of a POSIX shell command line.
#include <string>

namespace vx::test {

inline std::string ShellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

} // namespace vx::test

// Parsing of Windows path text: drive letters, separators, "." and "..", names Windows refuses, and the
// wildcards a search's last component may hold.
#include "platform/windows_path.h"
#include "platform/text.h"

#include <array>
#include <cstdint>

namespace vx::detail {
namespace {

std::string_view StripTrailingDotsAndBlanks(std::string_view name) {
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.remove_suffix(1);
    return name;
}

} // namespace

Lookup ParsePath(std::string_view text, bool allowWildcard, char systemDrive, ParsedPath& out) {
    out = ParsedPath{};
    out.parts.reserve(8);
    if (text.size() >= 6 && text.substr(0, 4) == "\\\\?\\" && IsAsciiLetter(text[4]) && text[5] == ':')
        text.remove_prefix(4);
    if (text.empty())
        return Lookup::NotFound;
    if (text.size() >= 2 && IsSeparator(text[0]) && IsSeparator(text[1]))
        return Lookup::Failed; // UNC: a share of another machine, never reachable here
    std::string_view rest;
    if (text[0] == '/') {
        out.host = true;
        rest = text;
    } else if (text.size() >= 2 && IsAsciiLetter(text[0]) && text[1] == ':') {
        out.letter = UpperAsciiChar(text[0]);
        rest = text.substr(2); // "C:x" is relative to C:'s current folder, which is its root here
    } else if (text[0] == '\\' && systemDrive != 0) {
        out.letter = systemDrive; // rooted on the current drive: the one Windows lives on
        rest = text;
    } else {
        return Lookup::Failed; // relative to a current folder the target does not have
    }
    out.trailingSeparator = !rest.empty() && IsSeparator(rest.back());

    // What each character is to a path: one pass over the text classifies every component. Names Windows
    // refuses hold control characters or any of <>|"; ':' only in target paths (on the host it is an
    // ordinary character).
    enum : uint8_t { kPlain = 0, kSeparator = 1, kBad = 2, kColon = 4, kWildcard = 8 };
    static constexpr auto kClasses = [] {
        std::array<uint8_t, 256> classes{};
        for (size_t c = 0; c < 0x20; ++c)
            classes[c] = kBad;
        for (unsigned char c : {'<', '>', '|', '"'})
            classes[c] = kBad;
        classes[':'] = kColon; // bad in a drive's names, allowed in the host's
        classes['*'] = classes['?'] = kWildcard;
        classes['\\'] = classes['/'] = kSeparator;
        return classes;
    }();
    const uint8_t bad = out.host ? kBad : kBad | kColon;
    for (size_t i = 0; i < rest.size();) {
        size_t j = i;
        uint8_t seen = kPlain;
        for (; j < rest.size(); ++j) {
            const uint8_t c = kClasses[static_cast<unsigned char>(rest[j])];
            if (c == kSeparator)
                break;
            seen |= c;
        }
        const std::string_view part = rest.substr(i, j - i);
        i = j + 1;
        if (part.empty())
            continue;
        size_t next = j;
        while (next < rest.size() && IsSeparator(rest[next]))
            ++next;
        const bool last = next >= rest.size() && !out.trailingSeparator;
        if ((seen & bad) || ((seen & kWildcard) && !(last && allowWildcard)))
            return Lookup::Failed;
        if (last && (seen & kWildcard)) {
            out.parts.emplace_back(part);
            out.wildcard = true;
            continue;
        }
        if (part == ".")
            continue;
        if (part == "..") {
            if (!out.parts.empty())
                out.parts.pop_back();
            continue;
        }
        const std::string_view name = StripTrailingDotsAndBlanks(part);
        if (!name.empty())
            out.parts.emplace_back(name);
    }
    return Lookup::Found;
}

} // namespace vx::detail

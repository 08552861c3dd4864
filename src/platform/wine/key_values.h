#pragma once
// Steam's KeyValues text (libraryfolders.vdf, appmanifest_<appid>.acf): quoted or bare keys, each followed
// by a quoted or bare value or by a { } block of more pairs; // comments and [$PLATFORM] conditions are
// passed over.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

struct KeyValues {
    std::string key;
    std::string value;               // empty for a block
    std::vector<KeyValues> children; // the pairs of a block
    bool block = false;

    // The first child named `key` (compared without regard to ASCII case, as Steam does), or null.
    const KeyValues* Find(std::string_view key) const;
};

// The pairs at the top of the text; nullopt with `why` set (one phrase with the line) when the text is
// damaged (an unclosed quote or block, a stray "}", a key without a value).
std::optional<std::vector<KeyValues>> ReadKeyValues(std::string_view text, std::string& why);

} // namespace vx

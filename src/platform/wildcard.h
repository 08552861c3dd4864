#pragma once
// File names matched against "*" and "?" patterns as the Windows file search matches them.
#include <string>
#include <string_view>

namespace vx {

// Whether a file name matches a search pattern ("*" and "?") as the Windows file search matches it,
// without regard to case: "*.*" matches every name, "*." the names without a dot, and a "?" before a
// dot or at the end may match nothing ("a?.txt" matches "a.txt").
bool MatchesFilePattern(std::string_view name, std::string_view pattern);

namespace detail {

// Pattern tokens after the translation Windows applies before its name matcher runs; above every code
// point, so that they never equal a character of a name.
inline constexpr char32_t kStar = 0x110000;    // "*": any run of characters
inline constexpr char32_t kDosStar = 0x110001; // "*" before ".": a run not passing the name's last dot
inline constexpr char32_t kDosQm = 0x110002;   // "?": one character, or nothing at a dot or the end
inline constexpr char32_t kDosDot = 0x110003;  // "." before a wildcard or last: a dot, or nothing at the end

// A name folded to upper case, as code points; a stray byte stands for itself, apart from every real
// character.
std::u32string DecodeFolded(std::string_view text);
// A pattern folded and decoded, its wildcards as tokens.
std::u32string TranslatePattern(std::string_view pattern);
// Whether a decoded name matches a translated pattern.
bool MatchTokens(const std::u32string& name, const std::u32string& pat);

// "*" and "*.*" admit every name; a listing need not match them one by one.
inline bool MatchesEverything(const std::u32string& tokens) {
    return tokens == std::u32string{kStar} || tokens == std::u32string{kDosStar, kDosDot, kStar};
}

} // namespace detail
} // namespace vx

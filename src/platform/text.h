#pragma once
// Text helpers shared by every layer. Text is UTF-8; comparisons "without regard to case" fold non-ASCII
// letters too, as Windows does for registry and file names.
#include <string>
#include <string_view>

namespace vx {

// Removes leading and trailing blanks (the space character only).
std::string_view TrimBlanks(std::string_view text);
constexpr bool IsAsciiLetter(char c) noexcept {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr char UpperAsciiChar(char c) noexcept {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
constexpr char LowerAsciiChar(char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);

// Upper-cases every letter, non-ASCII included (invalid UTF-8 bytes are kept as they are).
std::string FoldCase(std::string_view text);
// One character upper-cased as FoldCase does it.
char32_t FoldCaseChar(char32_t cp);
bool EqualsNoCase(std::string_view a, std::string_view b);
// Orders as Wine and NTFS do: by the upper-cased names, then bytewise.
int CompareNoCase(std::string_view a, std::string_view b);

// Byte offset of the first occurrence of an ASCII needle at or after `from`, ignoring ASCII case;
// std::string_view::npos when absent. Exact for UTF-8 haystacks, since no byte of a multi-byte sequence
// is an ASCII byte.
size_t FindAsciiNoCase(std::string_view haystack, std::string_view needle, size_t from = 0);
bool ContainsAsciiNoCase(std::string_view haystack, std::string_view needle);

bool IsBlank(std::string_view text);
// Whether every byte is below 0x80.
bool IsAscii(std::string_view text);

} // namespace vx

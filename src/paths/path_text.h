#pragma once
// Small text operations that turn registry data into file paths. Positions in the comments are 1-based,
// as the checkers describe them; every search ignores letter case.
#include <cstddef>
#include <string>
#include <string_view>

namespace vx {

// Removes leading double quotes, carriage returns and blanks, then trailing double quotes, line feeds and
// blanks. The two sets differ on purpose: a CR goes only at the start, a LF only at the end.
std::string TrimQuotesAndBlanks(std::string_view text);
// The same, as a part of `text`.
std::string_view TrimmedQuotesAndBlanks(std::string_view text);
// The text after the last dot of the last path component, lower-cased; empty when a ":" or "\" comes
// first. Everything after the dot counts, arguments included.
std::string GetFileExtension(std::string_view path);
// Exactly one trailing backslash; empty for a blank path.
std::string AddBackslash(std::string_view path);
// The program part of a command line: cut before the first "," or else the first "/"; the whole line
// unchanged when that leaves nothing.
std::string CutArguments(std::string_view commandLine);
// The text after the last backslash; empty for a blank path or a path without a backslash.
std::string GetFileNamePart(std::string_view path);
// The text from the drive letter of the first ":\" on (the whole text when it begins with ":\").
std::string FromDriveLetter(std::string_view value);
// The first d + 3 characters (d: the 1-based position of a dot), or the whole text when shorter.
std::string CutAfterDot(std::string_view text, size_t d);

// Helpers the checkers share.
// 1-based position of the first occurrence of needle after position `after` (0: from the start), or 0.
size_t InStr(std::string_view text, std::string_view needle, size_t after = 0);
// The number of characters (code points) of UTF-8 text.
size_t CharCount(std::string_view text);
// Removes every blank.
std::string RemoveBlanks(std::string_view text);

} // namespace vx

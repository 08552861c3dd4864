#pragma once
// Reading freedesktop desktop entries (.desktop files): a key of the [Desktop Entry] group, and the
// arguments of an Exec line.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vx {

// The general escapes of a desktop entry's string value (\s \n \t \r \\).
std::string UnescapeDesktopValue(std::string_view value);

// The value of `key` in the [Desktop Entry] group of the file's text, its general escapes undone;
// nullopt when there is none.
std::optional<std::string> DesktopEntryValue(std::string_view text, std::string_view key);

// An Exec value (general escapes already undone) split into its arguments: blanks separate them, a
// double-quoted argument takes \" \` \$ \\ literally inside, and outside quotes a backslash takes the
// next character literally. Nullopt when a quote is not closed.
std::optional<std::vector<std::string>> SplitExecArguments(std::string_view exec);

} // namespace vx

#pragma once
// The folders that complete bare names and placeholders, and the one existence test every checker uses.
#include <string>
#include <string_view>

namespace vx {

class Target;

std::string GetSystemFolder(Target& target);
std::string GetWindowsFolder(Target& target);
std::string GetProgramFilesFolder(Target& target);
std::string GetCommonFilesFolder(Target& target);
// AddBackslash(GetSystemFolder()) followed by the name.
std::string SystemFolderPath(Target& target, std::string_view fileName);

std::string GetPlaceholderRemainder(std::string_view value);
std::string GetCommonFilesRemainder(std::string_view value);
// The folder of the first placeholder followed directly by the text after it; text before the placeholder
// is dropped. "%Sysroot%" stands for the Windows folder, as "%Systemroot%" does.
std::string ExpandPlaceholderPath(Target& target, std::string_view value);

// True when the path names an existing file (never a folder by itself); a path that cannot be searched
// counts as existing, so that it is never reported missing.
bool FileExists(Target& target, std::string_view path);

} // namespace vx

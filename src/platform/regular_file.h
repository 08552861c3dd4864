#pragma once
// Reading the files the program takes in whole (registry files, hives), which must be regular files:
// a folder, named pipe, device or socket in their place is refused at once, never read, waited on or
// taken for text.
#include <filesystem>
#include <string>

namespace vx {

enum class RegularFile { Missing, Ok, Refused };

// Whether `path` names a regular file (following symbolic links). Missing when nothing at all is there;
// Refused with `why` set (a phrase such as "it is a named pipe, not a regular file") when something
// else is there, or the file cannot be opened for reading.
RegularFile CheckRegularFile(const std::filesystem::path& path, std::string& why);

// The same, reading the whole file into `text` when it is one.
RegularFile ReadRegularFile(const std::filesystem::path& path, std::string& text, std::string& why);

} // namespace vx

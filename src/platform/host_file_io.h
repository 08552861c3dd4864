#pragma once
// Plain reads and writes of the program's own host files, safe against interruptions and links.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// Writes every byte (going on after interruptions); 0 or an errno value.
int WriteAll(int fd, std::string_view bytes);

// The content of a regular file, read without following a symbolic link; empty when the path is a link,
// not a regular file, or cannot be read.
std::optional<std::string> ReadRegularFile(const std::filesystem::path& path);

} // namespace vx

#pragma once
// Every regular file below a folder with its bytes and permission bits: what a restore must give back.
#include <filesystem>
#include <map>
#include <ostream>
#include <string>

namespace vx::test {

struct FileState {
    std::string bytes;
    unsigned mode = 0; // permission bits
    bool operator==(const FileState&) const = default;
};
void PrintTo(const FileState& state, std::ostream* out);

// By path relative to `root`; links are not followed.
std::map<std::string, FileState> FilesWithModes(const std::filesystem::path& root);

} // namespace vx::test

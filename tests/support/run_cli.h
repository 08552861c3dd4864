#pragma once
// Runs vantrelix-cli as a separate process, with its own settings and data folders.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace vx::test {

struct CliResult {
    int status = -1; // exit status, or 128 + signal
    std::string out;
    std::string err;
};

CliResult RunCli(const std::vector<std::string>& args, const std::filesystem::path& home,
                 const std::map<std::string, std::string>& env = {}, const std::string& input = "");

} // namespace vx::test

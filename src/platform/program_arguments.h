#pragma once
// The command line as UTF-8 text, whatever the host hands a program.
#include <string>
#include <vector>

namespace vx {

// argv as given on POSIX; on Windows the wide command line converted, so that non-ASCII names survive.
// Also readies standard output for UTF-8 text.
std::vector<std::string> ProgramArguments(int argc, char** argv);

} // namespace vx

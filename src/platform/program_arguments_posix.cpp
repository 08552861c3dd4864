// The command line on POSIX: the bytes of argv are already the program's text.
#include "platform/program_arguments.h"

namespace vx {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

} // namespace vx

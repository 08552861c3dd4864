// The command line on Windows: the wide command line, converted to UTF-8; output goes out as UTF-8.
#include "platform/program_arguments.h"

#include "platform/utf16.h"

#include <windows.h>

#include <shellapi.h>

namespace vx {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide)
        return std::vector<std::string>(argv, argv + argc);
    std::vector<std::string> arguments;
    for (int i = 0; i < count; ++i) {
        const std::wstring_view arg(wide[i]);
        arguments.push_back(
            Utf16ToUtf8(std::string_view(reinterpret_cast<const char*>(arg.data()), arg.size() * 2)));
    }
    LocalFree(wide);
    return arguments;
}

} // namespace vx

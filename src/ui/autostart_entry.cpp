// The program's start-up entry: a desktop file in the XDG autostart folder.
#include "ui/autostart_entry.h"

#include "platform/atomic_file.h"

#include <cstdlib>
#include <string_view>
#include <system_error>

namespace vx {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";

// The escapes every string value of a desktop file takes, applied after the quoting of Exec.
std::string EscapeStringValue(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
    return out;
}

} // namespace

std::string QuoteExecArgument(const std::string& argument) {
    std::string body;
    bool quote = argument.empty(); // an empty argument survives only in quotes
    for (const char c : argument) {
        if (kReserved.find(c) != std::string_view::npos)
            quote = true;
        if (c == '%')
            body += '%'; // a literal percent sign, not a field code
        body += c;
    }
    if (!quote)
        return body;
    std::string quoted = "\"";
    for (const char c : body) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

AutostartEntry::AutostartEntry(fs::path autostartFolder, fs::path executable, std::vector<std::string> arguments)
    : folder_(std::move(autostartFolder)), executable_(std::move(executable)), arguments_(std::move(arguments)) {}

fs::path AutostartEntry::File() const { return folder_ / (executable_.filename().string() + ".desktop"); }

std::string AutostartEntry::Contents() const {
    std::string exec = QuoteExecArgument(executable_.string());
    for (const auto& argument : arguments_)
        exec += " " + QuoteExecArgument(argument);
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Vantrelix v3.0\n"
           "Comment=Finds and repairs registry values that name missing files\n"
           "Exec=" + EscapeStringValue(exec) + "\n"
           "Icon=vantrelix\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEntry::Write() {
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec || !fs::is_directory(folder_, ec))
        return false;
    return ReplaceFileContent(File(), Contents()) == 0;
}

bool AutostartEntry::Remove() {
    std::error_code ec;
    fs::remove(File(), ec);
    return !ec;
}

fs::path DefaultAutostartFolder() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config == '/')
        return fs::path(config) / "autostart";
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : "/") / ".config" / "autostart";
}

} // namespace vx

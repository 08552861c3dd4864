// Reading freedesktop desktop entries.
#include "platform/desktop_entry.h"

#include "platform/text.h"

namespace vx {

std::string UnescapeDesktopValue(std::string_view value) {
    std::string out;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        switch (const char next = value[++i]) {
        case 's':
            out += ' ';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'r':
            out += '\r';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            out += '\\';
            out += next;
            break;
        }
    }
    return out;
}

std::optional<std::string> DesktopEntryValue(std::string_view text, std::string_view key) {
    bool inEntry = false;
    while (!text.empty()) {
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const size_t equals = line.find('=');
        if (inEntry && equals != std::string_view::npos && TrimBlanks(line.substr(0, equals)) == key)
            return UnescapeDesktopValue(TrimBlanks(line.substr(equals + 1)));
    }
    return std::nullopt;
}

std::optional<std::vector<std::string>> SplitExecArguments(std::string_view exec) {
    std::vector<std::string> arguments;
    size_t i = 0;
    for (;;) {
        while (i < exec.size() && (exec[i] == ' ' || exec[i] == '\t'))
            ++i;
        if (i == exec.size())
            return arguments;
        std::string argument;
        while (i < exec.size() && exec[i] != ' ' && exec[i] != '\t') {
            if (exec[i] == '"') {
                for (++i; i < exec.size() && exec[i] != '"'; ++i) {
                    if (exec[i] == '\\' && i + 1 < exec.size() &&
                        std::string_view("\"`$\\").find(exec[i + 1]) != std::string_view::npos)
                        ++i;
                    argument += exec[i];
                }
                if (i == exec.size())
                    return std::nullopt;
                ++i;
            } else if (exec[i] == '\\' && i + 1 < exec.size()) {
                argument += exec[i + 1];
                i += 2;
            } else {
                argument += exec[i++];
            }
        }
        arguments.push_back(std::move(argument));
    }
}

} // namespace vx

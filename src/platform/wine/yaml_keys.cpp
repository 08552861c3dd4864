// The scalars of nested block mappings in a YAML file, read line by line.
#include "platform/wine/yaml_keys.h"

#include <vector>

namespace vx {
namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// A quoted scalar at the start of `text`; `rest` receives what follows it. Nullopt when unclosed.
std::optional<std::string> Quoted(std::string_view text, std::string_view& rest) {
    const char quote = text.front();
    std::string out;
    for (size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == quote) {
            if (quote == '\'' && i + 1 < text.size() && text[i + 1] == '\'') {
                out += '\'';
                ++i;
                continue;
            }
            rest = text.substr(i + 1);
            return out;
        }
        if (quote == '"' && c == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += next == 'n' ? '\n' : next == 't' ? '\t' : next;
            continue;
        }
        out += c;
    }
    return std::nullopt;
}

// Where the key of a "key: value" line ends (its colon), or npos.
size_t KeyColon(std::string_view line) {
    for (size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ':' && (i + 1 == line.size() || line[i + 1] == ' ' || line[i + 1] == '\t'))
            return i;
        if (line[i] == ' ' && i + 1 < line.size() && line[i + 1] == '#')
            return std::string_view::npos;
    }
    return std::string_view::npos;
}

struct Open {
    size_t indent;
    std::string path;
};

} // namespace

std::optional<YamlKeys> ReadYamlKeys(std::string_view text, std::string& why) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    YamlKeys keys;
    std::vector<Open> open;                         // the mappings the line may be inside, outermost first
    size_t skipDeeperThan = std::string_view::npos; // inside a list item or a block text
    size_t number = 0;
    std::string* plain = nullptr; // the last plain scalar, which deeper lines without a key continue
    size_t plainIndent = 0;
    const auto fail = [&](const char* what) {
        why = "line " + std::to_string(number) + ": " + what;
        return std::nullopt;
    };
    while (!text.empty()) {
        ++number;
        const size_t eol = text.find('\n');
        std::string_view line = text.substr(0, eol);
        text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const size_t indent = line.find_first_not_of(' ');
        if (indent == std::string_view::npos)
            continue;
        std::string_view body = line.substr(indent);
        if (Trim(body).empty() || body.front() == '#' || body.starts_with("---") || body.starts_with("..."))
            continue;
        if (skipDeeperThan != std::string_view::npos && indent > skipDeeperThan)
            continue;
        skipDeeperThan = std::string_view::npos;
        if (plain && indent > plainIndent && KeyColon(body) == std::string_view::npos) {
            *plain += " ";
            *plain += Trim(body);
            continue;
        }
        plain = nullptr;
        if (body.front() == '\t')
            return fail("a tab in the indentation");
        while (!open.empty() && open.back().indent >= indent)
            open.pop_back();
        if (body == "-" || body.starts_with("- ")) {
            skipDeeperThan = indent;
            continue;
        }
        std::string key;
        std::string_view afterKey;
        if (body.front() == '"' || body.front() == '\'') {
            std::string_view rest;
            auto quoted = Quoted(body, rest);
            if (!quoted)
                return fail("an unclosed quote");
            rest = Trim(rest);
            if (!rest.starts_with(':'))
                return fail("a line that is no key");
            key = std::move(*quoted);
            afterKey = rest.substr(1);
        } else {
            const size_t colon = KeyColon(body);
            if (colon == std::string_view::npos)
                return fail("a line that is no key");
            key = std::string(Trim(body.substr(0, colon)));
            afterKey = body.substr(colon + 1);
        }
        const std::string path = open.empty() ? key : open.back().path + "." + key;
        std::string_view value = Trim(afterKey);
        if (value.empty() || value.front() == '#') {
            open.push_back({indent, path});
            continue;
        }
        std::string scalar;
        bool isPlain = false;
        if (value.front() == '|' || value.front() == '>') {
            skipDeeperThan = indent;
            continue;
        }
        if (value.front() == '"' || value.front() == '\'') {
            std::string_view rest;
            auto quoted = Quoted(value, rest);
            if (!quoted)
                return fail("an unclosed quote");
            scalar = std::move(*quoted);
        } else {
            if (const size_t comment = value.find(" #"); comment != std::string_view::npos)
                value = Trim(value.substr(0, comment));
            scalar = std::string(value);
            isPlain = true;
        }
        const auto [at, added] = keys.emplace(path, std::move(scalar));
        if (isPlain && added) {
            plain = &at->second;
            plainIndent = indent;
        }
    }
    return keys;
}

} // namespace vx

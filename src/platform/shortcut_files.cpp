// Readers for the shortcut files the Shell knows: Internet shortcuts (.url, INI text) and MS-DOS program
// information files (.pif); shell links (.lnk) are read in shortcut_lnk_*.cpp, by the host's own means. They
// read host files and never throw; a file they cannot make sense of gives nothing.
#include "platform/shortcut_files.h"

#include "platform/hex.h"
#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vx {
namespace {

// INI and PIF files are small; anything far larger is not one worth reading whole.
constexpr std::streamsize kMaxTextFileSize = 1 << 20;

std::optional<std::string> ReadSmallFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string data(static_cast<size_t>(kMaxTextFileSize), '\0');
    in.read(data.data(), kMaxTextFileSize);
    data.resize(static_cast<size_t>(in.gcount()));
    return data;
}

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const size_t len = DecodeUtf8At(text, i, Utf8Rule::Lenient).length;
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

// Single-byte text of a file written on Windows: kept when it already is UTF-8, else read as Latin-1 (the
// printable part of Windows-1252 that paths use).
std::string SingleByteToUtf8(std::string_view text) {
    if (IsValidUtf8(text))
        return std::string(text);
    std::string out;
    for (char c : text)
        AppendUtf8(static_cast<unsigned char>(c), out);
    return out;
}

std::string_view TrimSpace(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            out += static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsDriveSpec(std::string_view text) {
    return text.size() >= 2 && IsAsciiLetter(text[0]) && (text[1] == ':' || text[1] == '|') &&
           (text.size() == 2 || text[2] == '/' || text[2] == '\\');
}

} // namespace

std::optional<std::string> ReadUrlFile(const std::filesystem::path& file) {
    auto data = ReadSmallFile(file);
    if (!data)
        return std::nullopt;
    std::string text;
    if (data->starts_with("\xFF\xFE"))
        text = Utf16ToUtf8(std::string_view(*data).substr(2));
    else if (data->starts_with("\xEF\xBB\xBF"))
        text = data->substr(3);
    else
        text = std::move(*data);

    // The rules of the profile functions: section and key names without regard to case, blanks around
    // them ignored, the first matching key of the first matching section wins, enclosing quotes dropped.
    bool inSection = false;
    std::string_view rest = text;
    while (!rest.empty()) {
        const size_t end = rest.find('\n');
        std::string_view line = TrimSpace(rest.substr(0, end));
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (line.starts_with('[')) {
            const size_t close = line.find(']');
            inSection = close != std::string_view::npos &&
                        EqualsNoCase(TrimSpace(line.substr(1, close - 1)), "InternetShortcut");
            continue;
        }
        if (!inSection)
            continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || !EqualsNoCase(TrimSpace(line.substr(0, equals)), "URL"))
            continue;
        std::string_view value = TrimSpace(line.substr(equals + 1));
        if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
            value.back() == value.front())
            value = value.substr(1, value.size() - 2);
        return SingleByteToUtf8(value);
    }
    return std::nullopt;
}

std::optional<std::string> ReadPifFile(const std::filesystem::path& file) {
    // The program's path: 63 bytes at offset 0x24, ended by a zero.
    constexpr size_t kProgramOffset = 0x24;
    constexpr size_t kProgramSize = 63;
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::array<char, kProgramOffset + kProgramSize> header{};
    in.read(header.data(), header.size());
    if (static_cast<size_t>(in.gcount()) != header.size())
        return std::nullopt;
    std::string_view program(header.data() + kProgramOffset, kProgramSize);
    program = program.substr(0, program.find('\0'));
    return SingleByteToUtf8(TrimSpace(program));
}

std::string TargetPathOfUrl(std::string_view url) {
    const std::string_view trimmed = TrimSpace(url);
    if (trimmed.size() < 5 || !EqualsNoCase(trimmed.substr(0, 5), "file:"))
        return std::string(url);
    std::string_view rest = trimmed.substr(5);
    std::string path;
    if (rest.starts_with("//") || rest.starts_with("\\\\")) {
        rest.remove_prefix(2);
        const size_t slash = rest.find_first_of("/\\");
        const std::string_view host = rest.substr(0, slash);
        if (host.empty() || EqualsNoCase(host, "localhost")) {
            rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
            if (rest.starts_with('/') || rest.starts_with('\\')) { // "file:////server/share"
                rest.remove_prefix(rest.find_first_not_of("/\\") == std::string_view::npos
                                       ? rest.size()
                                       : rest.find_first_not_of("/\\"));
                path = "\\\\";
            }
        } else if (!IsDriveSpec(rest)) {
            path = "\\\\"; // a share of another machine
        }
    } else {
        // "file:/C:/x" and the like.
        while (rest.starts_with('/') && IsDriveSpec(rest.substr(1)))
            rest.remove_prefix(1);
    }
    path += PercentDecode(rest);
    for (char& c : path)
        if (c == '/')
            c = '\\';
    if (IsDriveSpec(path) && path[1] == '|')
        path[1] = ':';
    return SingleByteToUtf8(path);
}

} // namespace vx

// Readers for the shortcut files the Shell knows: shell links (.lnk, through liblnk), Internet shortcuts
// (.url, INI text) and MS-DOS program information files (.pif). They read host files and never throw; a
// file they cannot make sense of gives nothing.
#include "platform/shortcut_files.h"

#include "platform/hex.h"
#include "platform/text.h"
#include "platform/utf16.h"
#include "platform/utf8.h"

#include <liblnk.h>

#include <array>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vx {
namespace {

// INI and PIF files are small; anything far larger is not one worth reading whole.
constexpr std::streamsize kMaxTextFileSize = 1 << 20;

// An error slot for one liblnk call; whatever liblnk put there is freed.
class LnkError {
  public:
    LnkError() = default;
    LnkError(const LnkError&) = delete;
    LnkError& operator=(const LnkError&) = delete;
    ~LnkError() { Reset(); }
    liblnk_error_t** Slot() {
        Reset();
        return &error_;
    }

  private:
    void Reset() {
        if (error_ != nullptr)
            liblnk_error_free(&error_);
    }
    liblnk_error_t* error_ = nullptr;
};

class LnkFile {
  public:
    LnkFile() {
        LnkError error;
        if (liblnk_file_initialize(&file_, error.Slot()) != 1)
            file_ = nullptr;
    }
    LnkFile(const LnkFile&) = delete;
    LnkFile& operator=(const LnkFile&) = delete;
    ~LnkFile() {
        LnkError error;
        if (open_)
            liblnk_file_close(file_, error.Slot());
        if (file_ != nullptr)
            liblnk_file_free(&file_, error.Slot());
    }

    bool Open(const std::filesystem::path& path, int codePage) {
        if (file_ == nullptr)
            return false;
        LnkError error;
        // An unknown code page keeps liblnk's default (Windows-1252).
        liblnk_file_set_ascii_codepage(file_, codePage, error.Slot());
        open_ = liblnk_file_open(file_, path.c_str(), LIBLNK_OPEN_READ, error.Slot()) == 1;
        return open_;
    }

    using SizeGetter = int (*)(liblnk_file_t*, size_t*, liblnk_error_t**);
    using TextGetter = int (*)(liblnk_file_t*, uint8_t*, size_t, liblnk_error_t**);

    // One of liblnk's UTF-8 strings; empty when the link does not hold it.
    std::string Text(SizeGetter sizeOf, TextGetter get) {
        LnkError error;
        size_t size = 0;
        if (sizeOf(file_, &size, error.Slot()) != 1 || size == 0)
            return {};
        std::string text(size, '\0');
        if (get(file_, reinterpret_cast<uint8_t*>(text.data()), size, error.Slot()) != 1)
            return {};
        text.resize(strnlen(text.data(), size));
        return text;
    }

  private:
    liblnk_file_t* file_ = nullptr;
    bool open_ = false;
};

bool IsLnkCodePage(int codePage) {
    constexpr std::array<int, 14> known{874,  932,  936,  949,  950,  1250, 1251,
                                        1252, 1253, 1254, 1255, 1256, 1257, 1258};
    for (int k : known)
        if (k == codePage)
            return true;
    return false;
}

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

std::optional<LnkFields> ReadLnkFile(const std::filesystem::path& file, int ansiCodePage) {
    LnkFile link;
    if (!link.Open(file, IsLnkCodePage(ansiCodePage) ? ansiCodePage : 1252))
        return std::nullopt;
    LnkFields fields;
    fields.localPath = link.Text(liblnk_file_get_utf8_local_path_size, liblnk_file_get_utf8_local_path);
    fields.environmentLocation = link.Text(liblnk_file_get_utf8_environment_variables_location_size,
                                           liblnk_file_get_utf8_environment_variables_location);
    fields.networkPath = link.Text(liblnk_file_get_utf8_network_path_size, liblnk_file_get_utf8_network_path);
    fields.workingDirectory =
        link.Text(liblnk_file_get_utf8_working_directory_size, liblnk_file_get_utf8_working_directory);
    return fields;
}

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

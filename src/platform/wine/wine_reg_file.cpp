#include "platform/wine/wine_reg_file.h"

#include "platform/atomic_file.h"

#include "platform/registry.h"
#include "platform/regular_file.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <ostream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace vx {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
constexpr std::string_view kRelativeTo = ";; All keys relative to ";

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}
unsigned HexValue(char c) {
    return c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

struct Line {
    size_t begin, end, next; // end: content end without the line break; next: start of the following line
};

Line LineAt(std::string_view text, size_t pos) {
    const size_t nl = text.find('\n', pos);
    Line line{pos, nl == std::string_view::npos ? text.size() : nl,
              nl == std::string_view::npos ? text.size() : nl + 1};
    if (line.end > pos && text[line.end - 1] == '\r')
        --line.end;
    return line;
}

// How a quoted string's inner text is escaped: not at all (plain ASCII), only by backslashes before
// backslashes and quotes among ASCII characters (paths), or otherwise.
enum class Escapes { None, BackslashAndQuote, Other };

// Where the string that starts at `from` ends (the offset of `endChar`), skipping escaped characters as
// Wine's reader does; npos when the line ends first. `escapes` tells what it holds that needs decoding;
// without `Classify` only whether anything does (Other), which is all a name read once needs.
template <bool Classify>
size_t ScanStringEnd(std::string_view text, size_t from, size_t lineEnd, char endChar, Escapes& escapes) {
    escapes = Escapes::None;
    for (size_t i = from; i < lineEnd;) {
        const char c = text[i];
        if (c == endChar)
            return i;
        if (c == '\\') {
            if (i + 1 >= lineEnd)
                return std::string_view::npos;
            const char e = text[i + 1];
            if (!Classify || (e != '\\' && e != '"'))
                escapes = Escapes::Other;
            else if (escapes == Escapes::None)
                escapes = Escapes::BackslashAndQuote;
            i += 2;
            continue;
        }
        if (static_cast<unsigned char>(c) >= 0x80)
            escapes = Escapes::Other;
        ++i;
    }
    return std::string_view::npos;
}

size_t FindStringEnd(std::string_view text, size_t from, size_t lineEnd, char endChar, Escapes& escapes) {
    return ScanStringEnd<true>(text, from, lineEnd, endChar, escapes);
}

size_t FindStringEnd(std::string_view text, size_t from, size_t lineEnd, char endChar, bool& escaped) {
    Escapes escapes = Escapes::None;
    const size_t end = ScanStringEnd<false>(text, from, lineEnd, endChar, escapes);
    escaped = escapes != Escapes::None;
    return end;
}

// Wine's unescaping of a string's inner text into UTF-16 code units, each handed to `put`. Bytes beyond
// ASCII stand for themselves (Latin-1), as Wine reads them.
template <class Put> void UnescapeUnits(std::string_view raw, Put&& put) {
    for (size_t p = 0; p < raw.size();) {
        const char c = raw[p];
        if (c != '\\' || p + 1 >= raw.size()) {
            put(static_cast<char16_t>(static_cast<unsigned char>(c)));
            ++p;
            continue;
        }
        const char e = raw[++p];
        switch (e) {
        case 'a':
            put(u'\a');
            ++p;
            break;
        case 'b':
            put(u'\b');
            ++p;
            break;
        case 'e':
            put(char16_t{0x1B});
            ++p;
            break;
        case 'f':
            put(u'\f');
            ++p;
            break;
        case 'n':
            put(u'\n');
            ++p;
            break;
        case 'r':
            put(u'\r');
            ++p;
            break;
        case 't':
            put(u'\t');
            ++p;
            break;
        case 'v':
            put(u'\v');
            ++p;
            break;
        case 'x': {
            ++p;
            if (p >= raw.size() || !IsHex(raw[p])) {
                put(u'x');
                break;
            }
            unsigned v = 0;
            for (int k = 0; k < 4 && p < raw.size() && IsHex(raw[p]); ++k)
                v = v * 16 + HexValue(raw[p++]);
            put(static_cast<char16_t>(v));
            break;
        }
        default:
            if (IsOctal(e)) {
                unsigned v = 0;
                for (int k = 0; k < 3 && p < raw.size() && IsOctal(raw[p]); ++k)
                    v = v * 8 + static_cast<unsigned>(raw[p++] - '0');
                put(static_cast<char16_t>(v));
            } else {
                put(static_cast<char16_t>(static_cast<unsigned char>(e)));
                ++p;
            }
        }
    }
}

std::u16string Unescape(std::string_view raw) {
    std::u16string out;
    out.reserve(raw.size());
    UnescapeUnits(raw, [&](char16_t unit) { out += unit; });
    return out;
}

std::string U16Bytes(std::u16string_view units) {
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes += static_cast<char>(u & 0xFF);
        bytes += static_cast<char>(u >> 8);
    }
    return bytes;
}

std::string UnescapeToUtf8(std::string_view raw) {
    return Utf16ToUtf8(U16Bytes(Unescape(raw)));
}

// Hex bytes ("hex:" data) from `text`, following continuation lines (a line ending in a backslash) as
// Wine does. `end`: the content end of the last line looked at.
bool ParseHex(std::string_view text, std::string* out, size_t& end) {
    Line line = LineAt(text, 0);
    size_t p = 0;
    for (;;) {
        while (p < line.end && IsHex(text[p])) {
            unsigned v = 0;
            bool tooBig = false;
            while (p < line.end && IsHex(text[p])) {
                v = v * 16 + HexValue(text[p++]);
                if (v > 0xFF) {
                    tooBig = true;
                    v = 0x100;
                }
            }
            if (tooBig) {
                end = line.end;
                return false;
            }
            if (out)
                *out += static_cast<char>(v);
            while (p < line.end && IsSpace(text[p]))
                ++p;
            if (p < line.end && text[p] == ',')
                ++p;
            while (p < line.end && IsSpace(text[p]))
                ++p;
        }
        while (p < line.end && IsSpace(text[p]))
            ++p;
        end = line.end;
        if (p == line.end)
            return true;
        if (text[p] != '\\' || line.next >= text.size())
            return false;
        line = LineAt(text, line.next);
        p = line.begin;
        while (p < line.end && IsSpace(text[p]))
            ++p;
    }
}

// The data of a value line (from its type prefix on): its type, and its stored bytes when `bytes` is
// given. `end`: offset just past the data's last line content. False for data Wine would refuse.
bool ParseData(std::string_view text, uint32_t& type, std::string* bytes, size_t& end,
               RegValueRecord::TextForm* form = nullptr) {
    const Line first = LineAt(text, 0);
    const std::string_view line = text.substr(0, first.end);
    end = first.end;
    size_t stringStart = 0;
    if (line.starts_with("\"")) {
        type = REG_SZ, stringStart = 1;
    } else if (line.starts_with("str:\"")) {
        type = REG_SZ, stringStart = 5;
    } else if (line.starts_with("str(2):\"")) {
        type = REG_EXPAND_SZ, stringStart = 8;
    } else if (line.starts_with("str(7):\"")) {
        type = REG_MULTI_SZ, stringStart = 8;
    } else if (line.starts_with("dword:")) {
        type = REG_DWORD;
        if (bytes) {
            const std::string digits(line.substr(6));
            const auto v = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
            bytes->assign({static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
                           static_cast<char>(v >> 24)});
        }
        return true;
    } else if (line.starts_with("hex:")) {
        type = REG_BINARY;
        size_t hexEnd = 0;
        const bool ok = ParseHex(text.substr(4), bytes, hexEnd);
        end = 4 + hexEnd;
        return ok;
    } else if (line.starts_with("hex(")) {
        size_t p = 4;
        uint64_t t = 0;
        while (p < line.size() && IsHex(line[p]))
            t = (t * 16 + HexValue(line[p++])) & 0xFFFFFFFFu;
        if (p + 1 >= line.size() || line[p] != ')' || line[p + 1] != ':')
            return false;
        type = static_cast<uint32_t>(t);
        size_t hexEnd = 0;
        const bool ok = ParseHex(text.substr(p + 2), bytes, hexEnd);
        end = p + 2 + hexEnd;
        return ok;
    } else {
        return false;
    }
    Escapes escapes = Escapes::None;
    const size_t close = FindStringEnd(line, stringStart, line.size(), '"', escapes);
    if (close == std::string_view::npos)
        return false;
    if (form && close + 1 == line.size())
        *form = escapes == Escapes::None                ? RegValueRecord::TextForm::PlainString
                : escapes == Escapes::BackslashAndQuote ? RegValueRecord::TextForm::BackslashEscapedString
                                                        : RegValueRecord::TextForm::Unknown;
    if (bytes) {
        std::u16string units = Unescape(line.substr(stringStart, close - stringStart));
        units += u'\0';
        *bytes = U16Bytes(units);
    }
    return true;
}

// One item of a registry file: a line, or a value with its continuation lines.
struct Item {
    enum Kind { KeyLine, Option, Value, Other, Bad } kind = Other;
    size_t begin = 0, first = 0, end = 0, next = 0; // line start, first non-blank, content end, next item
    std::string_view raw;                           // key: the path between the brackets; value: the name
    bool escaped = false;                           // raw needs unescaping
    bool defaultValue = false;
    size_t data = 0;                 // value: where its data (type prefix) begins
    uint32_t type = 0;               // value: its type
    RegValueRecord::TextForm form{}; // value: what its data was found to be
    size_t closeKey = 0;             // key: offset of the closing bracket
    const char* problem = nullptr;
};

Item ScanItem(std::string_view text, size_t pos, bool haveKey) {
    Item item;
    Line line = LineAt(text, pos);
    item.begin = pos;
    item.end = line.end;
    item.next = line.next;
    size_t p = pos;
    while (p < line.end && IsSpace(text[p]))
        ++p;
    item.first = p;
    if (p == line.end || text[p] == ';')
        return item;
    const char c = text[p];
    if (c == '#') {
        item.kind = Item::Option;
        return item;
    }
    if (c == '[') {
        bool escaped = false;
        // Key paths separate names with an escaped backslash, so escapes alone do not mean decoding.
        const size_t close = FindStringEnd(text, p + 1, line.end, ']', escaped);
        if (close == std::string_view::npos) {
            item.kind = Item::Bad;
            item.problem = "malformed key line";
            return item;
        }
        item.kind = Item::KeyLine;
        item.raw = text.substr(p + 1, close - p - 1);
        item.closeKey = close;
        return item;
    }
    if (c != '@' && c != '"') {
        item.kind = Item::Bad;
        item.problem = "unrecognized line";
        return item;
    }
    if (!haveKey) {
        item.kind = Item::Bad;
        item.problem = "value without a key";
        return item;
    }
    item.kind = Item::Bad;
    item.problem = "malformed value";
    if (c == '@') {
        item.defaultValue = true;
        ++p;
    } else {
        const size_t close = FindStringEnd(text, p + 1, line.end, '"', item.escaped);
        if (close == std::string_view::npos)
            return item;
        item.raw = text.substr(p + 1, close - p - 1);
        p = close + 1;
    }
    while (p < line.end && IsSpace(text[p]))
        ++p;
    if (p == line.end || text[p] != '=') {
        item.problem = "value name without '='";
        return item;
    }
    ++p;
    while (p < line.end && IsSpace(text[p]))
        ++p;
    item.data = p;
    if (item.data - item.begin > RegValueRecord::kMaxDataOffset) {
        item.problem = "value name too long";
        return item;
    }
    size_t dataEnd = 0;
    const bool ok = ParseData(text.substr(p), item.type, nullptr, dataEnd, &item.form);
    item.end = p + dataEnd;
    item.next = LineAt(text, item.end).next;
    if (ok)
        item.kind = Item::Value;
    return item;
}

std::string_view LineBreak(std::string_view text, const Item& item) {
    return text.substr(item.end, item.next - item.end);
}

// Wine's dump_strW: escapes UTF-16 text between delimiters `delims`; returns the characters written.
size_t AppendEscaped(std::u16string_view s, std::string& out, const char* delims) {
    static constexpr char kEscapes[33] = ".......abtnvfr.............e....";
    const size_t before = out.size();
    char buf[16];
    for (size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        const bool more = i + 1 < s.size();
        if (c > 127) {
            const bool hexFollows = more && s[i + 1] < 128 && IsHex(static_cast<char>(s[i + 1]));
            std::snprintf(buf, sizeof buf, hexFollows ? "\\x%04x" : "\\x%x", static_cast<unsigned>(c));
            out += buf;
        } else if (c < 32) {
            if (kEscapes[c] != '.') {
                out += '\\';
                out += kEscapes[c];
            } else {
                const bool octalFollows = more && s[i + 1] >= '0' && s[i + 1] <= '7';
                std::snprintf(buf, sizeof buf, octalFollows ? "\\%03o" : "\\%o", static_cast<unsigned>(c));
                out += buf;
            }
        } else {
            if (c == '\\' || c == static_cast<char16_t>(delims[0]) || c == static_cast<char16_t>(delims[1]))
                out += '\\';
            out += static_cast<char>(c);
        }
    }
    return out.size() - before;
}

std::u16string Units(std::string_view utf16le) {
    std::u16string units(utf16le.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(utf16le[2 * i]) |
                                         (static_cast<uint8_t>(utf16le[2 * i + 1]) << 8));
    return units;
}

std::u16string Utf8Units(std::string_view utf8) {
    return Units(Utf8ToUtf16(utf8));
}

// Wine's dump_value: one value line (with continuation lines for long hex data), with its line break.
void AppendValue(std::string_view name, uint32_t type, std::string_view bytes, std::string& out) {
    size_t count;
    if (!name.empty()) {
        out += '"';
        count = 1 + AppendEscaped(Utf8Units(name), out, "\"\"");
        out += "\"=";
        count += 2;
    } else {
        out += "@=";
        count = 2;
    }
    char buf[32];
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        // Only properly terminated strings are written as text.
        if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[bytes.size() - 1] == 0 &&
            bytes[bytes.size() - 2] == 0) {
            if (type != REG_SZ) {
                std::snprintf(buf, sizeof buf, "str(%x):", type);
                out += buf;
            }
            out += '"';
            const std::u16string units = Units(bytes);
            AppendEscaped(std::u16string_view(units).substr(0, units.size() - 1), out, "\"\"");
            out += "\"\n";
            return;
        }
    } else if (type == REG_DWORD && bytes.size() == 4) {
        uint32_t v = 0;
        std::memcpy(&v, bytes.data(), 4);
        std::snprintf(buf, sizeof buf, "dword:%08x\n", v);
        out += buf;
        return;
    }
    if (type == REG_BINARY)
        std::snprintf(buf, sizeof buf, "hex:");
    else
        std::snprintf(buf, sizeof buf, "hex(%x):", type);
    out += buf;
    count += std::strlen(buf);
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02x", static_cast<unsigned>(static_cast<uint8_t>(bytes[i])));
        out += buf;
        count += 2;
        if (i + 1 < bytes.size()) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
}

// What Wine writes for a key's change time: seconds since 1970 on the key line, the FILETIME on #time=.
struct Stamp {
    uint64_t seconds, filetime;
};

Stamp Now() {
    const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    const auto us = static_cast<uint64_t>(since1970);
    return {us / 1000000, us * 10 + 116444736000000000ull};
}

std::string TimeLine(const Stamp& stamp) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "#time=%x%08x", static_cast<unsigned>(stamp.filetime >> 32),
                  static_cast<unsigned>(stamp.filetime & 0xFFFFFFFFu));
    return buf;
}

std::string KeyPath(const RegKeyNode& key) {
    std::vector<const RegKeyNode*> chain;
    for (const RegKeyNode* k = &key; k && k != k->store->Root(); k = k->parent)
        chain.push_back(k);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += "\\\\";
        AppendEscaped(Utf8Units((*it)->name), path, "[]");
    }
    return path;
}

} // namespace

std::string EscapeWineString(std::string_view utf8) {
    std::string out;
    AppendEscaped(Utf8Units(utf8), out, "\"\"");
    return out;
}

WineRegFile::WineRegFile(std::filesystem::path path, std::string text)
    : RegistryStore(ValueOrder::Sorted), path_(std::move(path)), text_(std::move(text)) {}

std::unique_ptr<WineRegFile> WineRegFile::Load(const std::filesystem::path& path, std::string_view relativeTo,
                                               std::string& error, std::vector<std::string>& warnings) {
    std::string text, why;
    switch (ReadRegularFile(path, text, why)) {
    case RegularFile::Missing: {
        auto file = std::unique_ptr<WineRegFile>(new WineRegFile(path, {}));
        file->existed_ = false;
        file->relativeTo_ = relativeTo;
        return file;
    }
    case RegularFile::Refused:
        error = path.string() + ": cannot read the registry file: " + why;
        return nullptr;
    case RegularFile::Ok:
        break;
    }
    return Parse(std::move(text), path, relativeTo, error, warnings);
}

std::unique_ptr<WineRegFile> WineRegFile::Parse(std::string text, const std::filesystem::path& path,
                                                std::string_view relativeTo, std::string& error,
                                                std::vector<std::string>& warnings) {
    auto file = std::unique_ptr<WineRegFile>(new WineRegFile(path, std::move(text)));
    file->relativeTo_ = relativeTo;
    if (!file->ParseText(error, warnings))
        return nullptr;
    return file;
}

bool WineRegFile::ParseText(std::string& error, std::vector<std::string>& warnings) {
    const std::string_view text = text_;
    const Line header = LineAt(text, 0);
    if (text.substr(0, header.end) != kHeader) {
        error = path_.string() + ": not a Wine registry file (no \"" + std::string(kHeader) + "\" header)";
        return false;
    }
    size_t lineNo = 2;
    size_t pos = header.next;
    RegKeyNode* current = nullptr;    // the key values go to; null after a key line Wine would refuse
    RegKeyNode* blockOwner = nullptr; // the key whose section the lines belong to
    size_t blockStart = 0;
    std::vector<RegValueRecord> pending;
    std::vector<std::string_view> previousRaw;
    std::vector<RegKeyNode*> previousKeys;
    // A key deeper than a key may lie is not loaded: its section stays in the file as it is.
    bool tooDeep = false; // the lines belong to such a key
    size_t tooDeepKeys = 0, firstTooDeepLine = 0;

    auto closeBlock = [&](size_t end) {
        const std::string_view block = text.substr(blockStart, end - blockStart);
        if (tooDeep) {
            sections_.push_back({nullptr, block});
            return;
        }
        if (!blockOwner) {
            prelude_ = block;
            return;
        }
        AddLoadedValues(*blockOwner, pending);
        if (blockOwner->block.empty())
            blockOwner->block = block;
        sections_.push_back({blockOwner, block});
    };
    auto nameOf = [&](std::string_view raw, bool escaped) {
        return escaped ? Strings().Copy(UnescapeToUtf8(raw)) : raw;
    };

    while (pos < text.size()) {
        const Item item = ScanItem(text, pos, current != nullptr || tooDeep);
        switch (item.kind) {
        case Item::KeyLine: {
            closeBlock(item.begin);
            RegKeyNode* key = Root();
            size_t depth = 0;
            const std::string_view raw = item.raw;
            size_t start = 0;
            tooDeep = false;
            for (size_t i = 0; i <= raw.size();) {
                // Names are separated by an escaped backslash; any other escape belongs to the name.
                bool separator =
                    i == raw.size() || (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '\\');
                if (!separator) {
                    i += raw[i] == '\\' ? 2 : 1;
                    continue;
                }
                const std::string_view part = raw.substr(start, i - start);
                i += 2;
                start = i;
                if (part.empty())
                    continue;
                if (depth == kMaxKeyDepth) {
                    tooDeep = true;
                    break;
                }
                if (depth < previousRaw.size() && previousRaw[depth] == part &&
                    previousKeys[depth]->parent == key) {
                    key = previousKeys[depth];
                } else {
                    bool escaped = false;
                    for (char ch : part)
                        escaped |= ch == '\\' || static_cast<unsigned char>(ch) >= 0x80;
                    key = AddLoadedKey(*key, nameOf(part, escaped));
                    previousRaw.resize(depth);
                    previousKeys.resize(depth);
                    previousRaw.push_back(part);
                    previousKeys.push_back(key);
                }
                ++depth;
            }
            previousRaw.resize(depth);
            previousKeys.resize(depth);
            blockStart = item.begin;
            if (tooDeep) {
                key->deeper = true;
                if (tooDeepKeys++ == 0)
                    firstTooDeepLine = lineNo;
                current = blockOwner = nullptr;
                break;
            }
            current = blockOwner = key;
            break;
        }
        case Item::Option: {
            const std::string_view option = text.substr(item.first, item.end - item.first);
            if (current && option.starts_with("#class=\"")) {
                bool escaped = false;
                const size_t close = FindStringEnd(option, 8, option.size(), '"', escaped);
                if (close != std::string_view::npos)
                    current->className = nameOf(option.substr(8, close - 8), escaped);
            } else if (current && option.starts_with("#link")) {
                current->link = true;
            }
            break;
        }
        case Item::Value: {
            if (tooDeep)
                break;
            pending.push_back(RegValueRecord::InText(
                item.defaultValue ? std::string_view{} : nameOf(item.raw, item.escaped), item.type,
                text.substr(item.begin, item.end - item.begin), item.data - item.begin, item.form));
            break;
        }
        case Item::Bad: {
            std::string shown(text.substr(item.first, std::min<size_t>(item.end - item.first, 100)));
            warnings.push_back(path_.string() + ":" + std::to_string(lineNo) + ": " + item.problem +
                               ", line skipped (kept in the file): " + shown);
            if (text[item.first] == '[')
                current = nullptr;
            break;
        }
        case Item::Other:
            if (!blockOwner && text.substr(item.first, item.end - item.first).starts_with(kRelativeTo)) {
                const std::string_view rel =
                    text.substr(item.first + kRelativeTo.size(), item.end - item.first - kRelativeTo.size());
                relativeTo_ = UnescapeToUtf8(rel);
            }
            break;
        }
        for (size_t i = item.begin; i < item.next; ++i)
            lineNo += text[i] == '\n';
        pos = item.next;
    }
    closeBlock(text.size());
    if (tooDeepKeys > 0)
        warnings.push_back(path_.string() + ":" + std::to_string(firstTooDeepLine) + ": " +
                           (tooDeepKeys == 1 ? std::string("a key lies")
                                             : std::to_string(tooDeepKeys) + " keys from here on lie") +
                           " deeper than " + std::to_string(kMaxKeyDepth) +
                           " levels, more than Windows allows; not loaded (kept in the file as " +
                           (tooDeepKeys == 1 ? "it is)" : "they are)"));
    return true;
}

std::string WineRegFile::DecodeText(const RegValueRecord& value) const {
    std::string bytes;
    uint32_t type = 0;
    size_t end = 0;
    ParseData(value.data(), type, &bytes, end);
    return bytes;
}

namespace {

// A string's inner text whose only escapes are backslashes before backslashes and quotes (paths), as the
// single-byte calls deliver it: unescaped, with its terminating zero.
void UnescapeBackslashes(std::string_view raw, std::string& out) {
    out.resize(raw.size() + 1);
    char* put = out.data();
    for (size_t i = 0; i < raw.size(); ++i)
        *put++ = raw[i] == '\\' ? raw[++i] : raw[i];
    *put++ = '\0';
    out.resize(static_cast<size_t>(put - out.data()));
}

} // namespace

void WineRegFile::AnsiData(const RegValueRecord& value, std::string& out) const {
    // Quoted string data goes straight from the file's text to UTF-8: a scan reads every value several
    // times, and the UTF-16 form in between would cost more than the rest of the read.
    if (value.inText()) {
        const std::string_view text = value.data();
        size_t start = 0;
        if (text.starts_with("\""))
            start = 1;
        else if (text.starts_with("str:\""))
            start = 5;
        else if (text.starts_with("str(2):\"") || text.starts_with("str(7):\""))
            start = 8;
        if (start) {
            // Where the string ends and what it holds: as the loader noted it, else found here. String
            // data never goes past its line.
            Escapes escapes = Escapes::None;
            size_t close = text.size() - 1;
            switch (value.textForm()) {
            case RegValueRecord::TextForm::PlainString:
                break;
            case RegValueRecord::TextForm::BackslashEscapedString:
                escapes = Escapes::BackslashAndQuote;
                break;
            default:
                close = FindStringEnd(text, start, text.size(), '"', escapes);
            }
            if (close != std::string_view::npos) {
                const std::string_view raw = text.substr(start, close - start);
                if (escapes == Escapes::None) {             // ASCII only: each character is its own unit
                    out.assign(raw.data(), raw.size() + 1); // with the closing quote, which becomes the zero
                    out.back() = '\0';
                } else if (escapes == Escapes::BackslashAndQuote) {
                    UnescapeBackslashes(raw, out);
                } else {
                    out.clear();
                    Utf16UnitWriter writer(out);
                    UnescapeUnits(raw, [&](char16_t unit) { writer.Put(unit); });
                    writer.Put(0);
                    writer.Finish();
                }
                return;
            }
        }
    }
    // "dword:" and the eight digits Wine writes: the number's four bytes without a general parse.
    if (value.inText() && value.type() == REG_DWORD) {
        const std::string_view text = value.data();
        constexpr size_t kDigitsEnd = 6 + 8;
        if (text.size() >= kDigitsEnd && text.starts_with("dword:") &&
            (text.size() == kDigitsEnd || !IsHex(text[kDigitsEnd]))) {
            uint32_t v = 0;
            bool digits = true;
            for (size_t i = 6; i < kDigitsEnd && digits; ++i) {
                digits = IsHex(text[i]);
                v = v * 16 + (digits ? HexValue(text[i]) : 0);
            }
            if (digits) {
                const char bytes[4] = {static_cast<char>(v), static_cast<char>(v >> 8),
                                       static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
                out.assign(bytes, 4);
                return;
            }
        }
    }
    RegistryStore::AnsiData(value, out);
}

std::string WineRegFile::Serialize() const {
    Composition composition;
    Compose(composition);
    std::string out;
    out.reserve(composition.size);
    for (std::string_view piece : composition.pieces)
        out += piece;
    return out;
}

void WineRegFile::WriteTo(std::ostream& out) const {
    Composition composition;
    Compose(composition);
    for (std::string_view piece : composition.pieces)
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
}

struct WineRegFile::EmitState {
    Stamp stamp;
};

void WineRegFile::Composition::Add(std::string_view text) {
    if (text.empty())
        return;
    pieces.push_back(text);
    size += text.size();
    tail += text.substr(text.size() > 3 ? text.size() - 3 : 0);
    if (tail.size() > 3)
        tail.erase(0, tail.size() - 3);
}

std::string_view WineRegFile::Composition::Keep(std::string text) {
    return fresh.emplace_back(std::move(text));
}

void WineRegFile::Composition::EnsureBlankLine() {
    if (size == 0 || tail.ends_with("\n\n") || tail.ends_with("\n\r\n"))
        return;
    if (!tail.ends_with('\n'))
        Add("\n");
    Add("\n");
}

void WineRegFile::Compose(Composition& out) const {
    const EmitState state{Now()};
    // Keys without a section of their own that Wine would write (those with values, and leaves) go right
    // after the section of the key before them in tree order, which is where Wine writes them.
    std::unordered_map<const RegKeyNode*, std::vector<const RegKeyNode*>> after;
    const RegKeyNode* anchor = nullptr;
    std::vector<const RegKeyNode*> toVisit{Root()}; // tree order, without a call per level
    while (!toVisit.empty()) {
        const RegKeyNode& key = *toVisit.back();
        toVisit.pop_back();
        bool leaf = !key.deeper;
        for (const RegKeyNode* sub : key.subkeys)
            leaf &= sub->store != this;
        if (!key.block.empty())
            anchor = &key;
        else if (!key.values.empty() || (leaf && &key != Root()))
            after[anchor].push_back(&key);
        for (auto sub = key.subkeys.rbegin(); sub != key.subkeys.rend(); ++sub)
            if ((*sub)->store == this)
                toVisit.push_back(*sub);
    }

    if (existed_) {
        out.Add(prelude_);
    } else {
        std::string header = std::string(kHeader) + "\n" + std::string(kRelativeTo);
        AppendEscaped(Utf8Units(relativeTo_), header, "\"\"");
        out.Add(out.Keep(header + "\n"));
    }
    // Sections that followed each other in the file still do; elsewhere a blank line separates them, as
    // in Wine's files. Only the loaded text tells what followed what: the copies a save keeps of what it
    // wrote lie side by side in the arena without the blank lines it put between them.
    const std::less<const char*> before;
    auto endIfLoaded = [&](std::string_view text) -> const char* {
        const bool loaded = !before(text.data(), text_.data()) &&
                            !before(text_.data() + text_.size(), text.data() + text.size());
        return loaded ? text.data() + text.size() : nullptr;
    };
    const char* copiedUpTo = existed_ ? endIfLoaded(prelude_) : nullptr;
    auto emitNew = [&](const RegKeyNode* anchorKey) {
        auto it = after.find(anchorKey);
        if (it == after.end())
            return;
        for (const RegKeyNode* key : it->second) {
            out.EnsureBlankLine();
            std::string text;
            EmitNewKey(*key, state, text);
            const std::string_view kept = out.Keep(std::move(text));
            out.Add(kept);
            out.sections.push_back({const_cast<RegKeyNode*>(key), true, true, kept});
            copiedUpTo = nullptr;
        }
    };
    emitNew(nullptr);
    for (const Section& section : sections_) {
        if (!section.key) { // a key too deep to load: its text as it was
            if (section.text.data() != copiedUpTo)
                out.EnsureBlankLine();
            copiedUpTo = section.text.data() + section.text.size();
            out.Add(section.text);
            out.sections.push_back({nullptr, false, false, section.text});
            continue;
        }
        const bool first = section.text.data() == section.key->block.data();
        if (section.key->dirty || section.text.data() != copiedUpTo)
            out.EnsureBlankLine();
        copiedUpTo = section.key->dirty ? nullptr : endIfLoaded(section.text);
        std::string_view text = section.text;
        if (section.key->dirty) {
            std::string changed;
            EmitChangedBlock(*section.key, section.text, first, state, changed);
            text = out.Keep(std::move(changed));
        }
        out.Add(text);
        out.sections.push_back({section.key, first, section.key->dirty, text});
        if (first)
            emitNew(section.key);
    }
}

void WineRegFile::EmitNewKey(const RegKeyNode& key, const EmitState& state, std::string& out) const {
    out += '[';
    out += KeyPath(key);
    out += "] " + std::to_string(state.stamp.seconds) + "\n";
    out += TimeLine(state.stamp) + "\n";
    std::string scratch;
    for (const auto& value : key.values)
        AppendValue(value.name(), value.type(), ValueBytes(value, scratch), out);
}

void WineRegFile::EmitChangedBlock(const RegKeyNode& key, std::string_view block, bool first,
                                   const EmitState& state, std::string& out) const {
    std::vector<Item> items;
    bool haveKey = true;
    for (size_t pos = 0; pos < block.size();) {
        Item item = ScanItem(block, pos, haveKey);
        if (item.kind == Item::Bad && block[item.first] == '[')
            haveKey = false;
        pos = item.next;
        items.push_back(item);
    }
    // New values not placed among the old ones go after the key's last value (or its option lines).
    size_t insertAfter = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == Item::Bad && block[items[i].first] == '[')
            break;
        if (items[i].kind == Item::KeyLine || items[i].kind == Item::Option || items[i].kind == Item::Value)
            insertAfter = i;
    }
    std::vector<const RegValueRecord*> fresh;
    if (first)
        for (const auto& value : key.values)
            if (!value.inText())
                fresh.push_back(&value);
    size_t next = 0;
    std::string scratch;
    auto emitFresh = [&](const RegValueRecord& value) {
        if (!out.empty() && out.back() != '\n') // after a last line without its line break
            out += '\n';
        AppendValue(value.name(), value.type(), ValueBytes(value, scratch), out);
    };

    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const std::string_view whole = block.substr(item.begin, item.next - item.begin);
        if (i == 0 && item.kind == Item::KeyLine) {
            out += block.substr(item.begin, item.closeKey + 1 - item.begin);
            out += ' ';
            out += std::to_string(state.stamp.seconds);
            const std::string_view br = LineBreak(block, item);
            out += br.empty() ? std::string_view("\n") : br;
        } else if (item.kind == Item::Option && block.substr(item.first).starts_with("#time=")) {
            out += block.substr(item.begin, item.first - item.begin);
            out += TimeLine(state.stamp);
            const std::string_view br = LineBreak(block, item);
            out += br.empty() ? std::string_view("\n") : br;
        } else if (item.kind == Item::Value) {
            const std::string name = item.defaultValue ? std::string()
                                     : item.escaped    ? UnescapeToUtf8(item.raw)
                                                       : std::string(item.raw);
            while (next < fresh.size() && CompareRegistryNames(fresh[next]->name(), name) < 0)
                emitFresh(*fresh[next++]);
            if (next < fresh.size() && CompareRegistryNames(fresh[next]->name(), name) == 0) {
                emitFresh(*fresh[next++]); // the program's new data for this value
            } else {
                const RegValueRecord* kept = FindValue(key, name);
                if (kept && kept->inText() && kept->source().data() == block.data() + item.begin)
                    out += whole;
            }
        } else {
            out += whole;
        }
        if (i == insertAfter)
            while (next < fresh.size())
                emitFresh(*fresh[next++]);
    }
    while (next < fresh.size())
        emitFresh(*fresh[next++]);
}

void WineRegFile::Rebind(RegKeyNode& key, std::string_view block) {
    bool haveKey = true;
    for (size_t pos = 0; pos < block.size();) {
        const Item item = ScanItem(block, pos, haveKey);
        if (item.kind == Item::Bad && block[item.first] == '[')
            haveKey = false;
        if (item.kind == Item::Value) {
            const std::string name = item.defaultValue ? std::string()
                                     : item.escaped    ? UnescapeToUtf8(item.raw)
                                                       : std::string(item.raw);
            if (auto* value = const_cast<RegValueRecord*>(FindValue(key, name)))
                *value = RegValueRecord::InText(value->name(), value->type(),
                                                block.substr(item.begin, item.end - item.begin),
                                                item.data - item.begin, item.form);
        }
        pos = item.next;
    }
}

bool WineRegFile::Save(std::string& error) {
    if (!Changed())
        return true;
    Composition composition;
    Compose(composition);
    if (!WriteAtomically(composition, error))
        return false;
    // The file now holds the new text: its sections are the original text of the next save.
    if (!existed_) {
        prelude_ = Strings().Copy(composition.pieces.front());
        existed_ = true;
    }
    std::vector<Section> sections;
    sections.reserve(composition.sections.size());
    for (const Emitted& e : composition.sections) {
        const std::string_view text = e.fresh ? Strings().Copy(e.text) : e.text;
        if (e.first)
            e.key->block = text;
        if (e.fresh)
            Rebind(*e.key, text);
        sections.push_back({e.key, text});
    }
    sections_ = std::move(sections);
    ForEachKey([](RegKeyNode& key) { key.dirty = false; });
    ClearChanged();
    return true;
}

bool WineRegFile::WriteAtomically(const Composition& content, std::string& error) {
    auto fill = [&](int fd, const std::string&) -> int {
        auto writeAll = [&](const char* p, size_t n) {
            while (n > 0) {
                const ssize_t w = ::write(fd, p, n);
                if (w < 0) {
                    if (errno == EINTR)
                        continue;
                    return false;
                }
                p += w;
                n -= static_cast<size_t>(w);
            }
            return true;
        };
        // The fault hook runs with exactly half of the file written.
        const size_t half = content.size / 2;
        size_t written = 0;
        bool faultChecked = false;
        for (std::string_view piece : content.pieces) {
            if (!faultChecked && written + piece.size() >= half) {
                const size_t part = half - written;
                if (!writeAll(piece.data(), part))
                    return errno;
                faultChecked = true;
                if (fault_ && fault_(SaveStage::HalfWritten))
                    return EIO;
                written += part;
                piece.remove_prefix(part);
            }
            if (!writeAll(piece.data(), piece.size()))
                return errno;
            written += piece.size();
        }
        return 0;
    };
    auto beforeRename = [&]() -> int { return fault_ && fault_(SaveStage::BeforeRename) ? EIO : 0; };
    if (const int err = ReplaceFileAtomically(path_, fill, beforeRename); err != 0) {
        error = path_.string() + ": cannot save the registry file: " + std::strerror(err);
        return false;
    }
    return true;
}

} // namespace vx

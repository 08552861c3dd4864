// Wine's notation for names and data: string escapes read and written as Wine's server does, and the
// data of a value line ("str(N):", "dword:", "hex(N):") parsed and written.
#include "platform/wine/wine_reg_escaping.h"

#include "platform/registry.h"
#include "platform/utf16.h"
#include "platform/wine/wine_reg_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace vx {
namespace wine_reg {
namespace {

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

std::u16string Units(std::string_view utf16le) {
    std::u16string units(utf16le.size() / 2, u'\0');
    for (size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<uint8_t>(utf16le[2 * i]) |
                                         (static_cast<uint8_t>(utf16le[2 * i + 1]) << 8));
    return units;
}

// Hex bytes ("hex:" data) from `text`, following continuation lines (a line ending in a backslash) as
// Wine does. `end`: the content end of the last line looked at.
bool ParseHex(std::string_view text, std::string* out, size_t& end, bool* open) {
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
        if (text[p] != '\\')
            return false;
        if (line.next >= text.size()) {
            if (open)
                *open = true;
            return false;
        }
        line = LineAt(text, line.next);
        p = line.begin;
        while (p < line.end && IsSpace(text[p]))
            ++p;
    }
}

} // namespace

std::string UnescapeToWtf8(std::string_view raw) {
    return Utf16ToWtf8(U16Bytes(Unescape(raw)));
}

bool ParseData(std::string_view text, uint32_t& type, std::string* bytes, size_t& end,
               RegValueRecord::TextForm* form, bool* open) {
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
        const bool ok = ParseHex(text.substr(4), bytes, hexEnd, open);
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
        const bool ok = ParseHex(text.substr(p + 2), bytes, hexEnd, open);
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

std::u16string Wtf8Units(std::string_view wtf8) {
    return Units(Wtf8ToUtf16(wtf8));
}

void AppendValue(std::string_view name, uint32_t type, std::string_view bytes, std::string& out) {
    size_t count;
    if (!name.empty()) {
        out += '"';
        count = 1 + AppendEscaped(Wtf8Units(name), out, "\"\"");
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

} // namespace wine_reg

std::string EscapeWineString(std::string_view wtf8) {
    std::string out;
    wine_reg::AppendEscaped(wine_reg::Wtf8Units(wtf8), out, "\"\"");
    return out;
}

} // namespace vx

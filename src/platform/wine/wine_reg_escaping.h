#pragma once
// Wine's notation for names and data, both ways: string escapes, and the data of a value line.
#include "platform/registry_tree.h"
#include "platform/wine/wine_reg_lexer.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::wine_reg {

// Wine's unescaping of a string's inner text into UTF-16 code units, each handed to `put`. Bytes beyond
// ASCII stand for themselves (Latin-1), as Wine reads them.
template <class Put> inline void UnescapeUnits(std::string_view raw, Put&& put) {
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

// A string's inner text unescaped, as WTF-8 (a name's units kept exactly, unpaired surrogates too).
std::string UnescapeToWtf8(std::string_view raw);

// The data of a value line (from its type prefix on): its type, and its stored bytes when `bytes` is
// given. `end`: offset just past the data's last line content. False for data Wine would refuse.
// `form`, when given, receives what the text of string data was found to be. `open`, when given, is set
// when hex data was refused only because it stops at a backslash with no line after it: any text put
// after it would be read as its continuation.
bool ParseData(std::string_view text, uint32_t& type, std::string* bytes, size_t& end,
               RegValueRecord::TextForm* form = nullptr, bool* open = nullptr);

// WTF-8 text (a name) as UTF-16 code units.
std::u16string Wtf8Units(std::string_view wtf8);

// Wine's dump_strW: escapes UTF-16 text between delimiters `delims`; returns the characters written.
size_t AppendEscaped(std::u16string_view s, std::string& out, const char* delims);

// Wine's dump_value: one value line (with continuation lines for long hex data), with its line break.
void AppendValue(std::string_view name, uint32_t type, std::string_view bytes, std::string& out);

} // namespace vx::wine_reg

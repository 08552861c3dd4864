// Conversions between the UTF-16 that registries store and the UTF-8 that the program's single-byte
// calls pass, as the A functions of the registry convert them.
#include "platform/utf16.h"

#include "platform/utf8.h"

#include <cstdint>

namespace vx {

void AppendUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

namespace {

// An unpaired surrogate becomes U+FFFD, or with `keepLoneSurrogates` a sequence of its own (WTF-8).
template <bool keepLoneSurrogates> void AppendUtf16(std::string_view utf16le, std::string& out) {
    const size_t units = utf16le.size() / 2;
    auto unit = [&](size_t i) {
        return static_cast<char16_t>(static_cast<uint8_t>(utf16le[2 * i]) |
                                     (static_cast<uint8_t>(utf16le[2 * i + 1]) << 8));
    };
    for (size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u < 0x80) {
            out += static_cast<char>(u);
        } else if (u >= 0xD800 && u < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
                   unit(i + 1) < 0xE000) {
            AppendUtf8(0x10000 + ((char32_t(u) - 0xD800) << 10) + (unit(i + 1) - 0xDC00), out);
            ++i;
        } else if (u >= 0xD800 && u < 0xE000 && !keepLoneSurrogates) {
            AppendUtf8(0xFFFD, out);
        } else {
            AppendUtf8(u, out);
        }
    }
}

} // namespace

void AppendUtf16AsUtf8(std::string_view utf16le, std::string& out) {
    AppendUtf16<false>(utf16le, out);
}

std::string Utf16ToWtf8(std::string_view utf16le) {
    std::string out;
    out.reserve(utf16le.size() / 2);
    AppendUtf16<true>(utf16le, out);
    return out;
}

void Utf16UnitWriter::PutSlow(char16_t unit) {
    if (high_ != 0) {
        const char16_t high = high_;
        high_ = 0;
        if (unit >= 0xDC00 && unit < 0xE000) {
            AppendUtf8(0x10000 + ((char32_t(high) - 0xD800) << 10) + (unit - 0xDC00), out_);
            return;
        }
        AppendUtf8(0xFFFD, out_);
    }
    if (unit < 0x80)
        out_ += static_cast<char>(unit);
    else if (unit >= 0xD800 && unit < 0xDC00)
        high_ = unit;
    else if (unit >= 0xDC00 && unit < 0xE000)
        AppendUtf8(0xFFFD, out_);
    else
        AppendUtf8(unit, out_);
}

void Utf16UnitWriter::Finish() {
    if (high_ != 0)
        AppendUtf8(0xFFFD, out_);
    high_ = 0;
}

std::string Utf16ToUtf8(std::string_view utf16le) {
    std::string out;
    out.reserve(utf16le.size() / 2);
    AppendUtf16AsUtf8(utf16le, out);
    return out;
}

namespace {

std::string ToUtf16(std::string_view text, Utf8Rule rule) {
    std::string out;
    out.reserve(text.size() * 2);
    auto put = [&](char32_t u) {
        out += static_cast<char>(u & 0xFF);
        out += static_cast<char>((u >> 8) & 0xFF);
    };
    for (size_t i = 0; i < text.size();) {
        const Utf8Char c = DecodeUtf8At(text, i, rule);
        if (c.length == 0) {
            put(0xFFFD);
            ++i;
            continue;
        }
        if (c.cp >= 0x10000) {
            const char32_t v = c.cp - 0x10000;
            put(0xD800 + (v >> 10));
            put(0xDC00 + (v & 0x3FF));
        } else {
            put(c.cp);
        }
        i += c.length;
    }
    return out;
}

} // namespace

std::string Utf8ToUtf16(std::string_view utf8) {
    return ToUtf16(utf8, Utf8Rule::Strict);
}

std::string Wtf8ToUtf16(std::string_view wtf8) {
    return ToUtf16(wtf8, Utf8Rule::Wtf8);
}

} // namespace vx

#pragma once
// The program's one UTF-8 decoder. Inline: case folding and pattern matching decode every name of a scan.
#include <cstddef>
#include <string_view>

namespace vx {

enum class Utf8Rule {
    // Only well-formed sequences: no overlong forms, no surrogates, nothing above U+10FFFF. What the
    // conversion to UTF-16 needs, since anything else would not survive the way back.
    Strict,
    // A lead byte C2..F4 and as many continuation bytes as it announces, whatever they add up to. Case
    // folding writes such a sequence back as it decoded it, so nothing is gained by refusing it.
    Lenient,
    // Strict, but a surrogate encoded on its own (three bytes, as WTF-8 writes an unpaired one) is taken:
    // names keep their exact UTF-16 units through the program's text.
    Wtf8,
};

struct Utf8Char {
    char32_t cp = 0;
    size_t length = 0; // bytes taken; 0 when the bytes at the position are not UTF-8 under the rule
};

constexpr bool IsUtf8Continuation(unsigned char b) noexcept {
    return (b & 0xC0) == 0x80;
}

// Decodes the sequence starting at text[i] (i < text.size()). A sequence cut short by the end of the
// text, or by a byte that is not a continuation byte, has length 0; the caller decides what the lead
// byte becomes and steps over it alone.
constexpr Utf8Char DecodeUtf8At(std::string_view text, size_t i, Utf8Rule rule) noexcept {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80)
        return {b0, 1};
    const size_t len = b0 < 0xC2 ? 0 : b0 < 0xE0 ? 2 : b0 < 0xF0 ? 3 : b0 < 0xF5 ? 4 : 0;
    if (len == 0 || i + len > text.size())
        return {};
    char32_t cp = b0 & (0x7F >> len);
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if (!IsUtf8Continuation(b))
            return {};
        cp = (cp << 6) | (b & 0x3F);
    }
    if (rule != Utf8Rule::Lenient &&
        ((len == 3 && (cp < 0x800 || (rule == Utf8Rule::Strict && cp >= 0xD800 && cp < 0xE000))) ||
         (len == 4 && (cp < 0x10000 || cp > 0x10FFFF))))
        return {};
    return {cp, len};
}

} // namespace vx

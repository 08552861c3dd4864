#pragma once
// Wine's registry text read line by line: character classes, where lines and quoted text end, and the
// items a file is made of (key lines, option lines, values). Shared by the reader and the writer.
#include "platform/registry_tree.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vx::wine_reg {

inline constexpr std::string_view kHeader = "WINE REGISTRY Version 2";
inline constexpr std::string_view kRelativeTo = ";; All keys relative to ";

inline bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
inline bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
inline bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}
inline unsigned HexValue(char c) {
    return c <= '9' ? static_cast<unsigned>(c - '0') : static_cast<unsigned>((c | 0x20) - 'a' + 10);
}

struct Line {
    size_t begin, end, next; // end: content end without the line break; next: start of the following line
};

inline Line LineAt(std::string_view text, size_t pos) {
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
inline size_t ScanStringEnd(std::string_view text, size_t from, size_t lineEnd, char endChar,
                            Escapes& escapes) {
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

inline size_t FindStringEnd(std::string_view text, size_t from, size_t lineEnd, char endChar,
                            Escapes& escapes) {
    return ScanStringEnd<true>(text, from, lineEnd, endChar, escapes);
}

inline size_t FindStringEnd(std::string_view text, size_t from, size_t lineEnd, char endChar, bool& escaped) {
    Escapes escapes = Escapes::None;
    const size_t end = ScanStringEnd<false>(text, from, lineEnd, endChar, escapes);
    escaped = escapes != Escapes::None;
    return end;
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
    bool open = false; // bad value: hex data stopping at a backslash on the text's last line, so a line put
                       // after it would be read as its continuation
};

// Reads the item that starts at `pos`. `haveKey`: whether values may stand here (a key line Wine accepted
// came before).
Item ScanItem(std::string_view text, size_t pos, bool haveKey);

// The line break that ends an item, as the file has it.
inline std::string_view LineBreak(std::string_view text, const Item& item) {
    return text.substr(item.end, item.next - item.end);
}

} // namespace vx::wine_reg

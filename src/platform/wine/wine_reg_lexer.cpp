// The items of Wine's registry text: what a line (with a value's continuation lines) is, and where it ends.
#include "platform/wine/wine_reg_lexer.h"

#include "platform/wine/wine_reg_escaping.h"

namespace vx::wine_reg {

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
    const bool ok = ParseData(text.substr(p), item.type, nullptr, dataEnd, &item.form, &item.open);
    item.end = p + dataEnd;
    item.next = LineAt(text, item.end).next;
    if (ok)
        item.kind = Item::Value;
    return item;
}

} // namespace vx::wine_reg

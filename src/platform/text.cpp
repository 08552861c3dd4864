// Text helpers shared by every layer. Text is UTF-8; comparisons "without regard to case" fold non-ASCII
// letters too, as Windows does for registry and file names.
#include "platform/text.h"

#include "platform/utf16.h"
#include "platform/utf8.h"

#include <clocale>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <locale.h>
#ifdef _WIN32
#include <windows.h>
#endif

namespace vx {
namespace {

#ifdef _WIN32
// Windows' own upper-casing of a character of the basic plane; the others have no case there.
char32_t UpperChar(char32_t cp) {
    if (cp > 0xFFFF)
        return cp;
    return static_cast<char32_t>(
        reinterpret_cast<ULONG_PTR>(CharUpperW(reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(cp)))) &
        0xFFFF);
}
#else
locale_t Utf8Locale() {
    static const locale_t locale = [] {
        locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        return l ? l : newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    }();
    return locale;
}

char32_t UpperChar(char32_t cp) {
    return static_cast<char32_t>(towupper_l(static_cast<wint_t>(cp), Utf8Locale()));
}
#endif

} // namespace

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

std::string UpperAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = UpperAsciiChar(c);
    return out;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        c = LowerAsciiChar(c);
    return out;
}

std::string FoldCase(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += UpperAsciiChar(text[i]);
            ++i;
            continue;
        }
        const Utf8Char c = DecodeUtf8At(text, i, Utf8Rule::Lenient);
        if (c.length == 0) {
            out += text[i];
            ++i;
            continue;
        }
        AppendUtf8(UpperChar(c.cp), out);
        i += c.length;
    }
    return out;
}

char32_t FoldCaseChar(char32_t cp) {
    return cp < 0x80 ? static_cast<char32_t>(UpperAsciiChar(static_cast<char>(cp))) : UpperChar(cp);
}

bool IsAscii(std::string_view text) {
    // Eight bytes at a time: names are compared by the million in a scan.
    size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; i < text.size(); ++i)
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            return false;
    return true;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    // ASCII names of different lengths never match; only non-ASCII folding can change a length.
    if (a.size() != b.size() && IsAscii(a) && IsAscii(b))
        return false;
    if (a.size() == b.size()) {
        bool ascii = true;
        for (size_t i = 0; i < a.size(); ++i) {
            if ((static_cast<unsigned char>(a[i]) | static_cast<unsigned char>(b[i])) >= 0x80) {
                ascii = false;
                break;
            }
            if (UpperAsciiChar(a[i]) != UpperAsciiChar(b[i]))
                return false;
        }
        if (ascii)
            return true;
    }
    return FoldCase(a) == FoldCase(b);
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::string fa = FoldCase(a);
    const std::string fb = FoldCase(b);
    if (int c = fa.compare(fb); c != 0)
        return c < 0 ? -1 : 1;
    return 0;
}

size_t FindAsciiNoCase(std::string_view haystack, std::string_view needle, size_t from) {
    if (needle.empty())
        return from <= haystack.size() ? from : std::string_view::npos;
    if (haystack.size() < needle.size())
        return std::string_view::npos;
    // A needle without letters ("\\", ":\\", ".") has one case: the library's search is the same and faster.
    bool letters = false;
    for (char c : needle)
        letters = letters || UpperAsciiChar(c) != LowerAsciiChar(c);
    if (!letters)
        return haystack.find(needle, from);
    // A first character with one case ("%Systemroot%") is looked for with the plain search.
    const bool firstHasOneCase = UpperAsciiChar(needle[0]) == LowerAsciiChar(needle[0]);
    for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
        if (firstHasOneCase && (i = haystack.find(needle[0], i)) == std::string_view::npos)
            return std::string_view::npos;
        if (i + needle.size() > haystack.size())
            return std::string_view::npos;
        size_t k = 0;
        while (k < needle.size() && UpperAsciiChar(haystack[i + k]) == UpperAsciiChar(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string_view::npos;
}

bool ContainsAsciiNoCase(std::string_view haystack, std::string_view needle) {
    return FindAsciiNoCase(haystack, needle) != std::string_view::npos;
}

bool IsBlank(std::string_view text) {
    return TrimBlanks(text).empty();
}

} // namespace vx

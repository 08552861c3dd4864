// Small text operations that turn registry data into file paths. Positions in the comments are 1-based,
// as the checkers describe them; every search ignores letter case.
#include "paths/path_text.h"

#include "platform/text.h"
#include "platform/utf8.h"

namespace vx {

size_t InStr(std::string_view text, std::string_view needle, size_t after) {
    if (after >= text.size())
        return 0;
    const size_t at = FindAsciiNoCase(text, needle, after);
    return at == std::string_view::npos ? 0 : at + 1;
}

size_t CharCount(std::string_view text) {
    size_t count = 0;
    for (char c : text)
        if (!IsUtf8Continuation(static_cast<unsigned char>(c)))
            ++count;
    return count;
}

std::string RemoveBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

std::string_view TrimmedQuotesAndBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == '"' || text.front() == '\r' || text.front() == ' '))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == '"' || text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    return text;
}

std::string TrimQuotesAndBlanks(std::string_view text) {
    return std::string(TrimmedQuotesAndBlanks(text));
}

std::string GetFileExtension(std::string_view path) {
    for (size_t i = path.size(); i-- > 0;) {
        const char c = path[i];
        if (c == '.')
            return LowerAscii(path.substr(i + 1));
        if (c == ':' || c == '\\')
            return {};
    }
    return {};
}

std::string AddBackslash(std::string_view path) {
    if (IsBlank(path))
        return {};
    if (path.back() == '\\')
        return std::string(path);
    return std::string(path) + '\\';
}

std::string CutArguments(std::string_view commandLine) {
    const size_t slash = commandLine.find('/');
    const size_t comma = commandLine.find(',');
    std::string candidate;
    if (slash != std::string_view::npos)
        candidate = TrimQuotesAndBlanks(commandLine.substr(0, slash));
    if (comma != std::string_view::npos)
        candidate = TrimQuotesAndBlanks(commandLine.substr(0, comma));
    if (candidate.empty())
        return std::string(commandLine);
    return candidate;
}

std::string GetFileNamePart(std::string_view path) {
    if (IsBlank(path))
        return {};
    const size_t last = path.rfind('\\');
    if (last == std::string_view::npos)
        return {};
    return std::string(path.substr(last + 1));
}

std::string FromDriveLetter(std::string_view value) {
    const size_t colon = value.find(":\\");
    if (colon == std::string_view::npos || colon == 0)
        return std::string(value);
    return std::string(value.substr(colon - 1));
}

std::string CutAfterDot(std::string_view text, size_t d) {
    // Positions are byte positions; the three characters after the dot are counted as code points so that
    // a non-ASCII extension is not split.
    if (d >= text.size())
        return std::string(text);
    size_t i = d;
    for (int k = 0; k < 3 && i < text.size(); ++k) {
        ++i;
        while (i < text.size() && IsUtf8Continuation(static_cast<unsigned char>(text[i])))
            ++i;
    }
    return std::string(text.substr(0, i));
}

} // namespace vx

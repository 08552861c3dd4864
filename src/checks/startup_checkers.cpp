// Command lines: start-up entries and the values of uninstall entries.
#include "checks/check_context.h"
#include "checks/problem_list.h"
#include "checks/section_checkers.h"
#include "paths/folders.h"
#include "paths/path_text.h"
#include "platform/text.h"

namespace vx {
namespace {

// 1-based position helpers over byte offsets; 0 means "not found".
std::string Left(std::string_view text, size_t count) {
    return std::string(text.substr(0, count));
}
std::string From(std::string_view text, size_t position) {
    return position >= 1 && position <= text.size() + 1 ? std::string(text.substr(position - 1))
                                                        : std::string(text);
}

} // namespace

void CheckUninstallEntry(CheckContext& check, const RegistryEntry& entry) {
    const std::string name = UpperAscii(entry.valueName);
    if (name == "UNINSTALLSTRING" || name == "UNINSTALLPATH")
        CheckCommandLineEntry(check, entry);
    else if (name == "QUIETUNINSTALLSTRING")
        CheckQuietUninstallEntry(check, entry);
    else if (name == "INSTALLSOURCE" || name == "MODIFYPATH" || name == "DISPLAYICON")
        CheckInstallPathEntry(check, entry);
}

void CheckInstallPathEntry(CheckContext& check, const RegistryEntry& entry) {
    if (entry.valueText.empty())
        return;
    std::string text = TrimQuotesAndBlanks(entry.valueText);
    if (!ContainsAsciiNoCase(text, "."))
        return;
    if (ContainsAsciiNoCase(text, "\\")) {
        if (!ContainsAsciiNoCase(text, ":\\"))
            return;
        text = CutArguments(FromDriveLetter(text));
        RecordWhenMissing(check, entry, text, false);
        return;
    }
    if (ContainsAsciiNoCase(text, ":/"))
        return; // a web address
    text = CutArguments(text);
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, text), true);
}

void CheckCommandLineEntry(CheckContext& check, const RegistryEntry& entry) {
    if (IsBlank(entry.valueText))
        return;
    const std::string text = TrimQuotesAndBlanks(entry.valueText);
    const size_t d = InStr(text, ".");
    if (d == 0)
        return;
    // A backslash after the first dot: the dot lies in a folder name, or the line holds a second path.
    if (const size_t backslash = InStr(text, "\\", d); backslash != 0) {
        if (InStr(text, ".", backslash) != 0)
            CheckDrivePaths(check, entry, text);
        return;
    }
    std::string s = CutArguments(text);
    if (const size_t dash = InStr(s, "-"); dash != 0 && InStr(s, "\\", dash - 1) == 0)
        s = Left(s, dash - 1); // a dash switch
    s = TrimQuotesAndBlanks(s);
    if (const size_t blank = InStr(s, " "); blank != 0 && InStr(s, "\\", blank - 1) == 0)
        s = From(s, blank + 1); // a host program followed by the file it runs: test the file
    const size_t dot = InStr(s, ".");
    const std::string extension = dot == 0 ? std::string() : std::string(TrimBlanks(From(s, dot + 1)));
    if (CharCount(extension) != 3)
        return;
    if (ContainsAsciiNoCase(s, ":\\"))
        RecordWhenMissing(check, entry, s, false);
    else
        RecordWhenMissing(check, entry, SystemFolderPath(check.target, s), true);
}

void CheckDrivePaths(CheckContext& check, const RegistryEntry& entry, std::string_view v) {
    const size_t p1 = InStr(v, ":\\");
    if (p1 == 0)
        return;
    const size_t p2 = InStr(v, ":\\", p1);
    if (p2 == 0) {
        RecordWhenMissing(check, entry, CutArguments(FromDriveLetter(v)), false);
        return;
    }
    // The first piece runs from the first drive letter and is p2 - 2 long: with text in front of the
    // first drive it reaches into the second path, and the extension rule cuts it back.
    std::string first = p1 >= 2 ? std::string(v.substr(p1 - 2, p2 - 2)) : std::string(v);
    std::string second = std::string(v.substr(p2 - 2));
    for (std::string* piece : {&first, &second}) {
        *piece = CutArguments(*piece);
        if (const size_t dot = InStr(*piece, "."); dot != 0) {
            if (CharCount(TrimQuotesAndBlanks(From(*piece, dot + 1))) != 3)
                *piece = CutAfterDot(*piece, dot);
        }
        RecordWhenMissing(check, entry, *piece, false);
    }
}

void CheckQuietUninstallEntry(CheckContext& check, const RegistryEntry& entry) {
    const std::string& v = entry.valueText; // taken as it arrives: no blank test, no trimming
    const size_t d1 = InStr(v, ".");
    if (d1 == 0)
        return;
    const std::string s1 = CutAfterDot(v, d1);
    if (!ContainsAsciiNoCase(s1, ":\\"))
        CheckBareName(check, entry, s1);
    size_t q = d1;
    if (const size_t d2 = InStr(v, ".", d1); d2 != 0) {
        const std::string s2 = CutAfterDot(v, d2);
        q = InStr(s2, " ");
        std::string t;
        if (q > 0)
            t = InStr(s2, "\\", q) != 0 ? TrimQuotesAndBlanks(s2) : TrimQuotesAndBlanks(From(s2, q + 1));
        if (!ContainsAsciiNoCase(t, "\\"))
            CheckBareName(check, entry, t);
    }
    if (q == 0)
        return;
    if (const size_t backslash = InStr(v, "\\", q); backslash != 0 && InStr(v, ".", backslash) != 0)
        CheckDrivePaths(check, entry, v);
}

void CheckBareName(CheckContext& check, const RegistryEntry& entry, std::string_view piece) {
    const size_t dot = InStr(piece, ".");
    if (dot == 0 || CharCount(piece.substr(dot)) != 3)
        return; // the piece must end three characters after its first dot
    std::string name(piece);
    if (const size_t blank = InStr(piece, " "); blank != 0)
        name = From(piece, blank + 1);
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, name), true);
}

} // namespace vx

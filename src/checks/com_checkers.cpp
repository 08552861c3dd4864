// COM class registrations ("ActiveX \ COM", "ActiveX \ COM Subsections") and application paths.
#include "checks/check_context.h"
#include "checks/problem_list.h"
#include "checks/section_checkers.h"
#include "paths/folders.h"
#include "paths/path_text.h"
#include "platform/registry_access.h"
#include "platform/text.h"

#include <initializer_list>

namespace vx {
namespace {

// Whether the file extension, its blanks removed, is one of `accepted` (upper-case ASCII) without regard
// to case. Asked for every COM value, so it compares in place.
bool ExtensionIsOneOf(std::string_view text, std::initializer_list<std::string_view> accepted) {
    std::string_view extension;
    for (size_t i = text.size(); i-- > 0;) {
        if (text[i] == '.') {
            extension = text.substr(i + 1);
            break;
        }
        if (text[i] == ':' || text[i] == '\\')
            return false;
    }
    for (std::string_view one : accepted) {
        size_t matched = 0;
        bool equal = true;
        for (char c : extension) {
            if (c == ' ')
                continue;
            const char upper = UpperAsciiChar(c);
            if (matched == one.size() || upper != one[matched]) {
                equal = false;
                break;
            }
            ++matched;
        }
        if (equal && matched == one.size())
            return true;
    }
    return false;
}

bool ContainsAnyOf(std::string_view text, std::initializer_list<std::string_view> pieces) {
    for (std::string_view piece : pieces)
        if (ContainsAsciiNoCase(text, piece))
            return true;
    return false;
}

// A class's ProgID keys name a program identifier ("WMPlayer.OCX"), never a file, however much the
// identifier looks like a file name: reporting it would have repair break a working registration.
bool IsProgIdKey(std::string_view keyPath) {
    const size_t last = keyPath.rfind('\\');
    const std::string_view name = last == std::string_view::npos ? keyPath : keyPath.substr(last + 1);
    return EqualsNoCase(name, "ProgID") || EqualsNoCase(name, "VersionIndependentProgID");
}

} // namespace

void CheckComEntry(CheckContext& check, const RegistryEntry& entry) {
    if (IsBlank(entry.valueText))
        return;
    const std::string_view text = TrimmedQuotesAndBlanks(entry.valueText);
    // Only plain program-file references go on: this filter keeps every other COM value to text work.
    if (!ExtensionIsOneOf(text, {"OCX", "AX", "EXE", "DLL"}) || IsProgIdKey(entry.keyPath))
        return;
    if (ContainsAnyOf(text, {"%Systemroot%", "%Sysroot%", "%ProgramFiles%", "%commonprogramfiles%"})) {
        CheckPlaceholderPath(check, entry, text);
        return;
    }
    if (text.find('\\') != std::string::npos) {
        if (!IsFixedDrivePath(text, check.files().Drives(), [&check] { check.walk.Yield(); }))
            return;
        RecordWhenMissing(check, entry, std::string(text), false);
        return;
    }
    if (text.front() == '.')
        return;
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, text), true);
}

void CheckAppPathEntry(CheckContext& check, const RegistryEntry& entry) {
    if (IsBlank(entry.valueText))
        return;
    const std::string_view text = TrimmedQuotesAndBlanks(entry.valueText);
    if (!ExtensionIsOneOf(text, {"EXE", "DLL", "OCX"}))
        return;
    if (ContainsAnyOf(text, {"%Systemroot%", "%ProgramFiles%", "%commonprogramfiles%"})) {
        CheckPlaceholderPath(check, entry, text);
        return;
    }
    if (text.find('\\') != std::string::npos) {
        RecordWhenMissing(check, entry, std::string(text), false);
        return;
    }
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, text), true);
}

void CheckPlaceholderPath(CheckContext& check, const RegistryEntry& entry, std::string_view trimmedText) {
    const std::string path = ExpandPlaceholderPath(check.target, trimmedText);
    if (FileExists(check.target, path))
        return;
    // The Windows-folder and program-files branches keep a value name made of blanks as it is.
    const bool commonFilesBranch =
        !ContainsAnyOf(trimmedText, {"%Systemroot%", "%ProgramFiles%", "%Sysroot%"});
    RecordProblem(check, entry, path, false, commonFilesBranch);
}

} // namespace vx

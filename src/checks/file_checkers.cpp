// Plain file references: help files, shared tools, virtual device drivers and fonts.
#include "checks/check_context.h"
#include "checks/problem_list.h"
#include "checks/section_checkers.h"
#include "paths/folders.h"
#include "paths/path_text.h"
#include "platform/text.h"

namespace vx {

void CheckHelpEntry(CheckContext& check, const RegistryEntry& entry) {
    // The value name is the help file, the value text the folder that holds it.
    const std::string& folder = entry.valueText;
    if (folder.empty())
        return;
    const std::string path = (folder.back() == '\\' ? folder : AddBackslash(folder)) + entry.valueName;
    if (ContainsAsciiNoCase(path, "\\")) {
        RecordWhenMissing(check, entry, path, false);
        return;
    }
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, folder), true);
}

void CheckSharedEntry(CheckContext& check, const RegistryEntry& entry) {
    const std::string& text = entry.valueText;
    if (IsBlank(text) || !ContainsAsciiNoCase(text, "."))
        return;
    if (ContainsAsciiNoCase(text, "\\")) {
        if (!ContainsAsciiNoCase(text, ":\\"))
            return; // network paths and other paths without a drive letter are not tested
        const std::string path = FromDriveLetter(text);
        // Paths followed by arguments or a closing quote fail this and are passed over.
        if (CharCount(GetFileExtension(path)) != 3)
            return;
        RecordWhenMissing(check, entry, path, false);
        return;
    }
    if (ContainsAsciiNoCase(text, "*") || CharCount(GetFileExtension(text)) != 3)
        return;
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, text), true);
}

void CheckVxdEntry(CheckContext& check, const RegistryEntry& entry) {
    const std::string& text = entry.valueText;
    if (IsBlank(text) || !ContainsAsciiNoCase(text, "."))
        return;
    if (ContainsAsciiNoCase(text, "\\")) {
        if (!ContainsAsciiNoCase(text, ":\\"))
            return;
        RecordWhenMissing(check, entry, FromDriveLetter(text), false);
        return;
    }
    RecordWhenMissing(check, entry, SystemFolderPath(check.target, text), true);
}

void CheckFontEntry(CheckContext& check, const RegistryEntry& entry) {
    // The value name is the font's display name, the value text its file.
    const std::string& text = entry.valueText;
    if (text.empty())
        return;
    if (ContainsAsciiNoCase(text, "\\")) {
        RecordWhenMissing(check, entry, text, false);
        return;
    }
    // A font never carries "Yes": restore writes the full fonts-folder path back.
    RecordWhenMissing(check, entry, AddBackslash(GetWindowsFolder(check.target)) + "Fonts\\" + text, false);
}

} // namespace vx

// Plain file references: help files, shared tools, virtual device drivers and fonts.
#include "checks/problem_list.h"
#include "checks/section_checkers.h"
#include "paths/folders.h"
#include "paths/path_text.h"
#include "platform/text.h"
#include "ui/app.h"

namespace vx {
namespace {

bool Has(std::string_view text, std::string_view piece) {
    return ContainsAsciiNoCase(text, piece);
}

void RecordWhenMissing(App& app, const RegistryEntry& entry, const std::string& path, bool defaultOrNot) {
    if (!FileExists(app, path))
        RecordProblem(app, entry, path, defaultOrNot);
}

} // namespace

void CheckHelpEntry(App& app, RegistryEntry entry) {
    // The value name is the help file, the value text the folder that holds it.
    const std::string& folder = entry.valueText;
    if (folder.empty())
        return;
    const std::string path = (folder.back() == '\\' ? folder : AddBackslash(folder)) + entry.valueName;
    if (Has(path, "\\")) {
        RecordWhenMissing(app, entry, path, false);
        return;
    }
    RecordWhenMissing(app, entry, SystemFolderPath(app, folder), true);
}

void CheckSharedEntry(App& app, RegistryEntry entry) {
    std::string& text = entry.valueText;
    if (IsBlank(text) || !Has(text, "."))
        return;
    if (Has(text, "\\")) {
        if (!Has(text, ":\\"))
            return; // network paths and other paths without a drive letter are not tested
        text = FromDriveLetter(text);
        // Paths followed by arguments or a closing quote fail this and are passed over.
        if (CharCount(GetFileExtension(text)) != 3)
            return;
        RecordWhenMissing(app, entry, text, false);
        return;
    }
    if (Has(text, "*") || CharCount(GetFileExtension(text)) != 3)
        return;
    RecordWhenMissing(app, entry, SystemFolderPath(app, text), true);
}

void CheckVxdEntry(App& app, RegistryEntry entry) {
    std::string& text = entry.valueText;
    if (IsBlank(text) || !Has(text, "."))
        return;
    if (Has(text, "\\")) {
        if (!Has(text, ":\\"))
            return;
        text = FromDriveLetter(text);
        RecordWhenMissing(app, entry, text, false);
        return;
    }
    RecordWhenMissing(app, entry, SystemFolderPath(app, text), true);
}

void CheckFontEntry(App& app, RegistryEntry entry) {
    // The value name is the font's display name, the value text its file.
    const std::string& text = entry.valueText;
    if (text.empty())
        return;
    if (Has(text, "\\")) {
        RecordWhenMissing(app, entry, text, false);
        return;
    }
    // A font never carries "Yes": restore writes the full fonts-folder path back.
    RecordWhenMissing(app, entry, AddBackslash(GetWindowsFolder(app)) + "Fonts\\" + text, false);
}

} // namespace vx

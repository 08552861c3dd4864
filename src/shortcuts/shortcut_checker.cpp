// Decides whether a file is a shortcut whose target is gone, and records it.
#include "shortcuts/shortcut_checker.h"

#include "checks/check_context.h"
#include "checks/problem_list.h"
#include "paths/program_folders.h"
#include "platform/text.h"

#include <array>

namespace vx {
namespace {

constexpr std::array<std::string_view, 3> kExcludedTypes{"Shortcut to MS-DOS Program", "SpeedDial",
                                                         "Microsoft Access Report Shortcut"};

bool IsExcludedType(std::string_view type) {
    const std::string_view trimmed = TrimBlanks(type);
    for (std::string_view excluded : kExcludedTypes)
        if (EqualsNoCase(trimmed, excluded))
            return true;
    return false;
}

bool IsLocalDrivePath(std::string_view path) {
    return path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == ':' && path[2] == '\\';
}

// A link counts as broken only when its target is a path on a drive of the target that exists as a
// fixed disk and the target itself is gone: an empty target (installer-advertised shortcuts, shell
// folders) or a target on a missing, removable or network drive may still work, and repair would delete
// it. The caller has found `target` itself missing; only a trimmed form of it needs a lookup of its own.
bool TargetIsMissingOnFixedDrive(FileSystem& files, std::string_view target) {
    const std::string_view trimmed = TrimBlanks(target);
    if (!IsLocalDrivePath(trimmed))
        return false;
    const std::string letter(1, UpperAsciiChar(trimmed[0]));
    for (const auto& drive : files.Drives()) {
        if (EqualsNoCase(drive.letter, letter))
            return drive.type == DriveType::Fixed && files.GetVolumeInformation(letter + ":\\") &&
                   (trimmed.size() == target.size() || !TargetExists(files, trimmed));
    }
    return false;
}

} // namespace

std::string FolderPartOf(std::string_view path) {
    const std::string_view trimmed = TrimBlanks(path);
    const size_t last = trimmed.rfind('\\');
    if (last == std::string_view::npos)
        return {};
    return std::string(trimmed.substr(0, last + 1));
}

std::string NamePartOf(std::string_view path) {
    const std::string folder = FolderPartOf(path);
    if (path.find(folder) == std::string_view::npos)
        return std::string(TrimBlanks(path));
    return std::string(path.substr(folder.size()));
}

bool TargetExists(FileSystem& files, std::string_view path) {
    return files.GetFileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsBrokenShortcut(Target& target, const std::filesystem::path& ownBackups, const std::string& path) {
    const std::string_view trimmed = TrimBlanks(path);
    if (ContainsAsciiNoCase(trimmed, "NetHood") || ContainsAsciiNoCase(trimmed, "System Volume Information"))
        return false;
    if (path.empty())
        return false;
    const std::string folder = FolderPartOf(path);
    const std::string name = NamePartOf(path);
    const std::string_view trimmedName = TrimBlanks(name);
    if (trimmedName == "." || trimmedName == "..")
        return false;
    // Only these two kinds are ever recorded, so no other file is worth a question to the Shell.
    const std::string_view lastThree =
        name.size() >= 3 ? std::string_view(name).substr(name.size() - 3) : name;
    const std::string kind = UpperAscii(TrimBlanks(lastThree));
    if (kind != "LNK" && kind != "URL")
        return false;
    const auto item = target.shell().GetItem(folder, name);
    if (!item || !item->isLink || IsExcludedType(item->type))
        return false;
    if (TargetExists(target.files(), item->linkPath))
        return false;
    if (EqualsNoCase(TrimBlanks(item->workingDirectory), "%HOMEDRIVE%%HOMEPATH%"))
        return false;
    if (!TargetIsMissingOnFixedDrive(target.files(), item->linkPath))
        return false;
    // The program's own copies of shortcuts it removed are never findings: removing them would lose the
    // backup they belong to.
    const auto host = target.files().HostPath(path);
    return !(host && InsideFolder(*host, ownBackups));
}

void CheckShortcutFile(CheckContext& check, const std::string& path) {
    if (IsBrokenShortcut(check.target, check.ownBackups, path))
        check.sink.Found(ShortcutEntry{path, "Windows Shortcut"});
}

} // namespace vx

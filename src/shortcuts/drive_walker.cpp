// Walks every folder of a drive and hands every candidate file to the shortcut checker.
#include "shortcuts/drive_walker.h"

#include "checks/check_context.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "shortcuts/shortcut_checker.h"

#include <array>
#include <vector>

namespace vx {
namespace {

// Read-only, hidden, system, archive, normal, temporary: the files worth a look.
constexpr uint32_t kCandidateMask = 0x1A7;

// Whether the shortcut checker could record a file of this name: only the kinds LNK and URL ever are,
// and the kind is the last three characters of the name. Everything else is passed over without asking
// for its attributes, which is most of a drive.
bool MayBeShortcut(std::string_view name) {
    if (name.size() < 3)
        return false;
    char kind[3];
    for (size_t i = 0; i < 3; ++i) {
        kind[i] = UpperAsciiChar(name[name.size() - 3 + i]);
    }
    const std::string_view upper(kind, 3);
    return upper == "LNK" || upper == "URL";
}

} // namespace

void ScanDriveForShortcuts(CheckContext& check, const std::string& root) {
    if (!IsVolumeAvailable(check, root))
        return;
    WalkFolderForShortcuts(check, root);
}

bool IsVolumeAvailable(CheckContext& check, const std::string& root) {
    return check.files().GetVolumeInformation(root);
}

void WalkFolderForShortcuts(CheckContext& check, std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    FileSystem& files = check.files();
    std::vector<std::string> subfolders;
    FindData entry;
    // The listing gives names and folder bits only; attributes are read for the few possible shortcuts.
    if (auto search = files.FindFirstFileEx(folder + "*", FindInfoLevel::Basic, entry)) {
        const std::string shortFolder = ShortPathOf(check, folder);
        while (true) {
            if (check.walk.Cancelled())
                return;
            check.walk.Yield();
            check.walk.ShowingPlace(shortFolder);
            check.walk.ShowingItem(entry.name);
            if (entry.name != "." && entry.name != "..") {
                if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                    subfolders.push_back(entry.name);
                } else if (entry.name.find('.') != std::string::npos && MayBeShortcut(entry.name)) {
                    const std::string path = folder + entry.name;
                    if (files.GetFileAttributes(path) & kCandidateMask)
                        CheckShortcutFile(check, path);
                }
            }
            if (!search->FindNextFile(entry))
                break;
            if (check.walk.Cancelled())
                return;
            check.walk.Yield();
        }
    } // the search is closed before the subfolders are walked
    for (const auto& name : subfolders) {
        WalkFolderForShortcuts(check, folder + name + "\\");
        check.walk.Yield();
        if (check.walk.Cancelled())
            return;
    }
}

std::string ShortPathOf(CheckContext& check, std::string_view path) {
    std::array<char, 165> buffer{};
    const uint32_t n = check.files().GetShortPathName(path, std::span<char>(buffer.data(), 164));
    if (n == 0 || n > 164)
        return {};
    return std::string(buffer.data(), n);
}

} // namespace vx

#include "shortcuts/drive_walker.h"

#include "platform/file_system.h"
#include "shortcuts/shortcut_checker.h"
#include "ui/app.h"

#include <array>
#include <vector>

namespace vx {
namespace {

// Read-only, hidden, system, archive, normal, temporary: the files worth a look.
constexpr uint32_t kCandidateMask = 0x1A7;

bool Cancelled(App& app) {
    return app.main().ScanCancelled != 0;
}

} // namespace

void ScanDriveForShortcuts(App& app, const std::string& root) {
    if (!IsVolumeAvailable(app, root))
        return;
    WalkFolderForShortcuts(app, root);
}

bool IsVolumeAvailable(App& app, const std::string& root) {
    return app.files().GetVolumeInformation(root);
}

void WalkFolderForShortcuts(App& app, std::string folder) {
    if (folder.empty() || folder.back() != '\\')
        folder += '\\';
    FileSystem& files = app.files();
    auto& main = app.main();
    std::vector<std::string> subfolders;
    FindData entry;
    if (auto search = files.FindFirstFile(folder + "*", entry)) {
        const std::string shortFolder = ShortPathOf(app, folder);
        while (true) {
            if (Cancelled(app))
                return;
            app.Yield();
            main.lblRegistryScan = shortFolder;
            main.lblRegistryFilesScan = entry.name;
            if (entry.name != "." && entry.name != "..") {
                // The listing delivers the attributes GetFileAttributes would give for folder & name;
                // using them saves resolving the path again for every entry of a whole drive.
                const uint32_t attributes = entry.attributes;
                if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                    subfolders.push_back(entry.name);
                else if ((attributes & kCandidateMask) && entry.name.find('.') != std::string::npos)
                    CheckShortcutFile(app, folder + entry.name);
            }
            if (!search->FindNextFile(entry))
                break;
            if (Cancelled(app))
                return;
            app.Yield();
        }
    } // the search is closed before the subfolders are walked
    for (const auto& name : subfolders) {
        WalkFolderForShortcuts(app, folder + name + "\\");
        app.Yield();
        if (Cancelled(app))
            return;
    }
}

std::string ShortPathOf(App& app, std::string_view path) {
    std::array<char, 165> buffer{};
    const uint32_t n = app.files().GetShortPathName(path, std::span<char>(buffer.data(), 164));
    if (n == 0 || n > 164)
        return {};
    return std::string(buffer.data(), n);
}

} // namespace vx

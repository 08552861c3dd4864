// The host folders of the program's own files, and the places they may not be.
#include "paths/program_folders.h"

#include "app/app.h"
#include "platform/own_file_guard.h"
#include "platform/text.h"
#include "platform/utf8_path.h"

namespace vx {
namespace {

namespace fs = std::filesystem;

// The real place a path reaches: every link and ".." resolved as far as the path exists.
fs::path RealPlace(const fs::path& path) {
    std::error_code ec;
    fs::path real = fs::weakly_canonical(path, ec);
    return ec ? path.lexically_normal() : real;
}

} // namespace

fs::path ProgramFolder(App& app, std::string_view settingKey) {
    const std::string folder = app.GetSetting(settingKey, app.ApplicationFolder());
    return Utf8Path(IsBlank(folder) ? app.ApplicationFolder() : folder);
}

std::string WhyNotAProgramFolder(App& app, const std::string& folder) {
    const fs::path path = Utf8Path(std::string(TrimBlanks(folder)));
    if (path.empty() && folder.empty())
        return "The program has no folder of its own: this account has no home folder (set HOME).";
    if (!path.is_absolute())
        return "The folder \"" + folder + "\" is not a full path; choose a folder by its full path.";
    if (const auto target = app.target().HostFolder(); target && InsideFolder(path, *target))
        return "The folder \"" + folder + "\" lies inside " + app.target().Describe() +
               ", the target being cleaned; choose a folder outside it.";
    return WhyNotOwnFolder(path);
}

bool InsideFolder(const fs::path& inner, const fs::path& outer) {
    const fs::path relative = RealPlace(inner).lexically_relative(RealPlace(outer));
    return !relative.empty() && *relative.begin() != "..";
}

} // namespace vx

// What the readers of the launchers' files share.
#include "platform/wine/prefix_collector.h"

#include "platform/regular_file.h"
#include "platform/wine/wine_registry.h"

#include <algorithm>
#include <sys/stat.h>

namespace vx {
namespace {

// Launchers write these files small; anything larger is not one of theirs, and is not read into memory.
constexpr off_t kLargestLauncherFile = 16 << 20;

std::filesystem::path RealFolder(const std::filesystem::path& folder) {
    std::error_code ec;
    std::filesystem::path real = std::filesystem::canonical(folder, ec);
    return ec ? folder.lexically_normal() : real;
}

} // namespace

void PrefixCollector::Add(FoundPrefix prefix) {
    std::error_code ec;
    if (prefix.path.empty() || !std::filesystem::is_directory(prefix.path, ec) || !IsWinePrefix(prefix.path))
        return;
    prefix.path = prefix.path.lexically_normal();
    if (!prefix.path.has_filename()) // "…/.wine/"
        prefix.path = prefix.path.parent_path();
    const std::filesystem::path real = RealFolder(prefix.path);
    const auto known = std::find(real_.begin(), real_.end(), real);
    if (known == real_.end()) {
        real_.push_back(real);
        found_.push_back(std::move(prefix));
        return;
    }
    FoundPrefix& earlier = found_[static_cast<size_t>(known - real_.begin())];
    if (earlier.source == PrefixSource::Wine && prefix.source != PrefixSource::Wine) {
        earlier.source = prefix.source;
        earlier.name = std::move(prefix.name);
        earlier.installed = prefix.installed;
    }
}

void PrefixCollector::Warn(const std::filesystem::path& file, std::string_view why) {
    warnings_.push_back(file.string() + ": " + std::string(why) + "; passed over");
}

std::optional<std::string> PrefixCollector::ReadFile(const std::filesystem::path& file) {
    std::string why;
    struct stat st {};
    if (::stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > kLargestLauncherFile) {
        Warn(file, "too large for a launcher's file");
        return std::nullopt;
    }
    std::string text;
    switch (ReadRegularFile(file, text, why)) {
    case RegularFile::Ok:
        return text;
    case RegularFile::Missing:
        return std::nullopt;
    case RegularFile::Refused:
        break;
    }
    Warn(file, why);
    return std::nullopt;
}

std::vector<std::filesystem::path> SubFolders(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code kindError;
        if (it->is_directory(kindError))
            folders.push_back(it->path());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::vector<std::filesystem::path> FilesEnding(const std::filesystem::path& folder, std::string_view suffix) {
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().ends_with(suffix))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    return files;
}

std::filesystem::path LauncherPath(std::string_view text, const std::filesystem::path& home) {
    if (text == "~")
        return home;
    if (text.starts_with("~/"))
        return home / std::string(text.substr(2));
    if (!text.starts_with('/'))
        return {};
    return std::string(text);
}

} // namespace vx

// The file system of a target whose drives are host folders: the Windows calls put together from path
// parsing, path resolution, Wine's attribute rules, folder listings and file copying.
#include "platform/host_file_system.h"

#include "platform/listed_search.h"

#include "platform/dos_attributes.h"
#include "platform/file_copy.h"
#include "platform/file_operations.h"
#include "platform/folder_listing.h"
#include "platform/path_resolution.h"
#include "platform/text.h"
#include "platform/windows_path.h"

#include <algorithm>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vx {

using namespace detail;

class HostFileSystem::Impl {
  public:
    explicit Impl(const HostFileSystemConfig& config) : paths(config) {}

    PathResolver paths;
    DosAttribRelevance dosAttrib;
};

namespace {

uint32_t WriteFolder(const std::string& folder, std::span<char> buffer) {
    if (folder.empty() || buffer.size() < folder.size() + 1)
        return 0;
    std::memcpy(buffer.data(), folder.data(), folder.size());
    buffer[folder.size()] = 0;
    return static_cast<uint32_t>(folder.size());
}

} // namespace

HostFileSystemConfig VolumeAsDriveC(const std::filesystem::path& root) {
    HostFileSystemConfig config;
    config.drives.push_back(HostDrive{'C', root, DriveType::Fixed});
    config.windowsFolder = "C:\\Windows";
    config.systemFolder = "C:\\Windows\\System32";
    config.tempFolder = "C:\\Windows\\Temp";
    return config;
}

HostFileSystem::HostFileSystem(HostFileSystemConfig config)
    : config_(std::move(config)), impl_(std::make_unique<Impl>(config_)) {
    std::sort(config_.drives.begin(), config_.drives.end(), [](const HostDrive& a, const HostDrive& b) {
        return UpperAsciiChar(a.letter) < UpperAsciiChar(b.letter);
    });
}

HostFileSystem::~HostFileSystem() = default;

uint32_t HostFileSystem::GetSystemDirectory(std::span<char> buffer) {
    return WriteFolder(config_.systemFolder, buffer);
}

uint32_t HostFileSystem::GetWindowsDirectory(std::span<char> buffer) {
    return WriteFolder(config_.windowsFolder, buffer);
}

std::string HostFileSystem::GetTempPath() {
    std::string temp = config_.tempFolder;
    if (!temp.empty() && !IsSeparator(temp.back()))
        temp += temp.front() == '/' ? '/' : '\\';
    return temp;
}

std::vector<Drive> HostFileSystem::Drives() {
    std::vector<Drive> drives;
    for (const HostDrive& d : config_.drives)
        drives.push_back(Drive{std::string(1, UpperAsciiChar(d.letter)), d.type});
    return drives;
}

bool HostFileSystem::GetVolumeInformation(std::string_view root) {
    if (root.size() < 2 || !IsAsciiLetter(root[0]) || root[1] != ':')
        return false;
    if (root.size() > 3 || (root.size() == 3 && !IsSeparator(root[2])))
        return false;
    const HostDrive* drive = impl_->paths.FindDrive(UpperAsciiChar(root[0]));
    if (!drive || !drive->folder)
        return false;
    // Opening the folder for reading is the test; reading entries would cost a scan of the root's whole
    // first block, and the shortcut check asks this once per broken link.
    const int fd = open(drive->folder->c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    close(fd);
    return true;
}

FindResult HostFileSystem::FindFirstEntry(std::string_view pattern, uint32_t mask) {
    const uint32_t masks[] = {mask};
    return FindEntry(pattern, masks, true);
}

Lookup HostFileSystem::FindAnyEntry(std::string_view pattern, std::span<const uint32_t> masks) {
    return FindEntry(pattern, masks, false).kind;
}

FindResult HostFileSystem::FindEntry(std::string_view pattern, std::span<const uint32_t> masks,
                                     bool nameWanted) {
    // Only the admission of the entries found depends on the mask: the path is resolved and the entries
    // are described once, then each mask in turn is asked what it admits.
    if (masks.empty())
        return {Lookup::NotFound, {}}; // no search made
    ParsedPath p;
    if (Lookup o = ParsePath(pattern, true, impl_->paths.systemDrive(), p); o != Lookup::Found)
        return {o == Lookup::Failed ? Lookup::Failed : Lookup::NotFound, {}};
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->paths.Base(p, folder, rootDev) != Lookup::Found)
        return {Lookup::Failed, {}};
    // A folder named by a trailing separator, or a drive root, is never a file.
    if (p.parts.empty() || p.trailingSeparator)
        return {Lookup::NotFound, {}};
    // When only whether something is found counts and the masks between them admit every combination of
    // the hidden and system bits that they admit without them, those bits (Wine's extended attribute)
    // change nothing and are not read.
    bool skipDosAttrib = !nameWanted && impl_->dosAttrib.ChangesNothing(masks);

    if (!p.wildcard) {
        std::string name;
        std::optional<struct stat> known;
        if (const Lookup o = impl_->paths.ResolveWhole(folder, p.parts, name, known); o != Lookup::Found)
            return {o == Lookup::Failed ? Lookup::Failed : Lookup::NotFound, {}};
        auto info = DescribeEntry(folder, name, rootDev, skipDosAttrib ? &skipDosAttrib : nullptr,
                                  known ? &*known : nullptr);
        for (uint32_t mask : masks)
            if (info && AdmittedByMask(info->attributes, mask))
                return {Lookup::Found, name};
        return {Lookup::NotFound, {}};
    }

    if (const Lookup o = impl_->paths.ResolveParts(folder, p.parts, p.parts.size() - 1); o != Lookup::Found)
        return {o == Lookup::Failed ? Lookup::Failed : Lookup::NotFound, {}};
    std::vector<std::string> names;
    if (Lookup r = ReadFolderNames(folder, names); r != Lookup::Found)
        return {r == Lookup::Failed ? Lookup::Failed : Lookup::NotFound, {}};
    const std::u32string tokens = TranslatePattern(p.parts.back());
    std::vector<std::string> matching;
    const bool all = MatchesEverything(tokens);
    for (std::string& n : names)
        if (all || MatchTokens(DecodeFolded(n), tokens))
            matching.push_back(std::move(n));
    SortNoCase(matching);
    // Each entry is described when a mask first gets to it.
    std::vector<std::optional<EntryInfo>> infos;
    infos.reserve(matching.size());
    bool unsupported = skipDosAttrib;
    for (uint32_t mask : masks) {
        if ((mask & FILE_ATTRIBUTE_DIRECTORY) && p.parts.size() > 1) { // as the listing: none at a root
            for (const char* dot : {".", ".."})
                if (MatchTokens(DecodeFolded(dot), tokens))
                    return {Lookup::Found, dot};
        }
        for (size_t i = 0; i < matching.size(); ++i) {
            if (i == infos.size())
                infos.push_back(DescribeEntry(folder, matching[i], rootDev, &unsupported));
            if (infos[i] && AdmittedByMask(infos[i]->attributes, mask))
                return {Lookup::Found, matching[i]};
        }
    }
    return {Lookup::NotFound, {}};
}

std::unique_ptr<FileSearch> HostFileSystem::FindFirstFile(std::string_view pattern, FindData& first) {
    return FindFirstFileEx(pattern, FindInfoLevel::Standard, first);
}

std::unique_ptr<FileSearch> HostFileSystem::FindFirstFileEx(std::string_view pattern, FindInfoLevel level,
                                                            FindData& first) {
    ParsedPath p;
    if (ParsePath(pattern, true, impl_->paths.systemDrive(), p) != Lookup::Found)
        return nullptr;
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->paths.Base(p, folder, rootDev) != Lookup::Found || p.parts.empty() || p.trailingSeparator)
        return nullptr;
    if (impl_->paths.ResolveParts(folder, p.parts, p.parts.size() - 1) != Lookup::Found)
        return nullptr;

    if (!p.wildcard) {
        std::string name;
        if (impl_->paths.LookupName(folder, p.parts.back(), name) != Lookup::Found)
            return nullptr;
        auto info = DescribeEntry(folder, name, rootDev);
        if (!info)
            return nullptr;
        first = FindData{name, info->attributes, info->size};
        return std::make_unique<SingleSearch>();
    }

    const std::u32string tokens = TranslatePattern(p.parts.back());
    const bool all = MatchesEverything(tokens);
    auto matches = [&](const std::string& n) { return all || MatchTokens(DecodeFolded(n), tokens); };
    // A drive's root has no "." and "..", as on NTFS.
    std::vector<std::string> dots;
    if (p.parts.size() > 1) {
        for (const char* dot : {".", ".."})
            if (MatchTokens(DecodeFolded(dot), tokens))
                dots.emplace_back(dot);
    }

    if (level == FindInfoLevel::Basic) {
        std::vector<FindData> entries;
        for (std::string& dot : dots)
            entries.push_back(FindData{std::move(dot), FILE_ATTRIBUTE_DIRECTORY, 0});
        if (ReadFolderEntries(folder, rootDev, entries) != Lookup::Found)
            return nullptr;
        const auto named = entries.begin() + static_cast<long>(dots.size());
        if (!all)
            entries.erase(
                std::remove_if(named, entries.end(), [&](const FindData& e) { return !matches(e.name); }),
                entries.end());
        SortNoCase<FindData>(entries.begin() + static_cast<long>(dots.size()), entries.end(),
                             [](const FindData& e) -> const std::string& { return e.name; });
        auto search = std::make_unique<ListedSearch>(std::move(entries));
        if (!search->FindNextFile(first))
            return nullptr;
        return search;
    }

    std::vector<std::string> names;
    if (ReadFolderNames(folder, names) != Lookup::Found)
        return nullptr;
    std::vector<std::string> rest;
    rest.reserve(names.size());
    for (std::string& n : names)
        if (matches(n))
            rest.push_back(std::move(n));
    SortNoCase(rest);
    std::vector<std::string> matching = std::move(dots);
    matching.reserve(matching.size() + rest.size());
    for (std::string& n : rest)
        matching.push_back(std::move(n));

    auto search = std::make_unique<HostSearch>(folder, std::move(matching), rootDev);
    if (!search->FindNextFile(first))
        return nullptr;
    return search;
}

uint32_t HostFileSystem::GetFileAttributes(std::string_view path) {
    PathResolver::Resolved r;
    ParsedPath p;
    if (impl_->paths.ResolveEntry(path, r, &p) != Lookup::Found)
        return INVALID_FILE_ATTRIBUTES;
    auto info = impl_->paths.Describe(r);
    if (!info)
        return INVALID_FILE_ATTRIBUTES;
    if (p.trailingSeparator && !(info->attributes & FILE_ATTRIBUTE_DIRECTORY))
        return INVALID_FILE_ATTRIBUTES;
    return info->attributes;
}

uint32_t HostFileSystem::GetShortPathName(std::string_view path, std::span<char> buffer) {
    if (!impl_->paths.Exists(path))
        return 0;
    if (buffer.size() < path.size() + 1)
        return static_cast<uint32_t>(path.size() + 1);
    std::memcpy(buffer.data(), path.data(), path.size());
    buffer[path.size()] = 0;
    return static_cast<uint32_t>(path.size());
}

std::optional<uint64_t> HostFileSystem::GetFileSize(std::string_view path) {
    PathResolver::Resolved r;
    if (impl_->paths.ResolveEntry(path, r) != Lookup::Found)
        return std::nullopt;
    auto info = impl_->paths.Describe(r);
    if (!info || (info->attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return info->size;
}

bool HostFileSystem::CopyFile(std::string_view existing, std::string_view newFile, bool failIfExists) {
    PathResolver::Resolved src;
    if (impl_->paths.ResolveEntry(existing, src) != Lookup::Found || src.root)
        return false;
    const std::string srcPath = Join(src.folder, src.name);

    // The destination's folder must exist; an existing entry of the same name (any case) is replaced.
    ParsedPath p;
    if (ParsePath(newFile, false, impl_->paths.systemDrive(), p) != Lookup::Found || p.parts.empty() ||
        p.trailingSeparator)
        return false;
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->paths.Base(p, folder, rootDev) != Lookup::Found ||
        impl_->paths.ResolveParts(folder, p.parts, p.parts.size() - 1) != Lookup::Found)
        return false;
    std::string name;
    const Lookup found = impl_->paths.LookupName(folder, p.parts.back(), name);
    if (found == Lookup::Failed)
        return false;
    if (found == Lookup::NotFound) {
        name = p.parts.back();
    } else {
        if (failIfExists)
            return false;
        struct stat st {};
        if (stat(Join(folder, name).c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        if (!(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
            return false; // Windows refuses to overwrite a read-only file
    }
    const std::string destPath = Join(folder, name);
    return CopyHostFile(srcPath, destPath);
}

bool HostFileSystem::DeleteFile(std::string_view path) {
    PathResolver::Resolved r;
    if (impl_->paths.ResolveEntry(path, r) != Lookup::Found || r.root)
        return false;
    const std::string full = Join(r.folder, r.name);
    struct stat st {};
    if (lstat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (S_ISREG(st.st_mode) && !(st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)))
        return false; // read-only files cannot be deleted on Windows either
    return file_ops::Unlink(full.c_str()) == 0;
}

std::optional<std::filesystem::path> HostFileSystem::HostPath(std::string_view path) {
    ParsedPath p;
    if (ParsePath(path, false, impl_->paths.systemDrive(), p) != Lookup::Found)
        return std::nullopt;
    std::string folder;
    std::optional<dev_t> rootDev;
    if (impl_->paths.Base(p, folder, rootDev) != Lookup::Found)
        return std::nullopt;
    if (p.parts.empty())
        return std::filesystem::path(folder);
    if (impl_->paths.ResolveParts(folder, p.parts, p.parts.size() - 1) != Lookup::Found)
        return std::nullopt;
    std::string name;
    if (impl_->paths.LookupName(folder, p.parts.back(), name) != Lookup::Found)
        name = p.parts.back();
    return std::filesystem::path(Join(folder, name));
}

} // namespace vx

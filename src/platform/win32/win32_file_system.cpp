// The drives and files of this machine through the wide-character file calls.
#include "platform/win32/win32_file_system.h"

#include "platform/listed_search.h"

#include "platform/text.h"
#include "platform/utf8_path.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_calls.h"
#include "platform/windows_path.h"

#include <algorithm>
#include <cstring>

namespace vx {
namespace {

// Windows' own error codes of a search that found nothing in a folder that exists or not.
constexpr uint32_t kErrorFileNotFound = 2, kErrorPathNotFound = 3, kErrorNoMoreFiles = 18;

uint32_t WriteText(const std::string& text, std::span<char> buffer) {
    if (text.empty() || buffer.size() < text.size() + 1)
        return 0;
    std::memcpy(buffer.data(), text.data(), text.size());
    buffer[text.size()] = 0;
    return static_cast<uint32_t>(text.size());
}

bool IsDot(std::string_view name) {
    return name == "." || name == "..";
}

// Whether the pattern's folder is a drive's root ("C:\*"), which lists no "." and "..", as on NTFS.
bool FolderIsDriveRoot(std::string_view pattern) {
    const size_t last = pattern.find_last_of("\\/");
    if (last == std::string_view::npos)
        return false;
    const std::string_view folder = pattern.substr(0, last);
    return folder.size() == 2 && IsAsciiLetter(folder[0]) && folder[1] == ':';
}

} // namespace

DriveType DriveTypeFromWin32(uint32_t driveType) {
    switch (driveType) {
    case 2: // DRIVE_REMOVABLE
        return DriveType::Removable;
    case 3: // DRIVE_FIXED
        return DriveType::Fixed;
    case 4: // DRIVE_REMOTE
        return DriveType::Network;
    case 5: // DRIVE_CDROM
        return DriveType::CdRom;
    case 6: // DRIVE_RAMDISK
        return DriveType::RamDisk;
    default: // DRIVE_UNKNOWN, DRIVE_NO_ROOT_DIR
        return DriveType::Unknown;
    }
}

DriveType DriveTypeUnderWine(DriveType type, std::string_view driveUnixPath, std::string_view cUnixPath) {
    if (type != DriveType::Fixed || driveUnixPath.empty() || cUnixPath.empty())
        return type;
    // C:\ lies at PREFIX/dosdevices/c:/ (the link Wine makes) or PREFIX/drive_c/.
    std::string_view prefix = cUnixPath;
    if (!prefix.empty() && prefix.back() == '/')
        prefix.remove_suffix(1);
    bool known = false;
    for (std::string_view tail : {std::string_view("/dosdevices/c:"), std::string_view("/drive_c")})
        if (!known && prefix.size() > tail.size() && prefix.substr(prefix.size() - tail.size()) == tail) {
            prefix.remove_suffix(tail.size());
            known = true;
        }
    if (!known)
        return type; // a layout this rule does not know: as Wine says
    const bool inside = driveUnixPath.substr(0, prefix.size()) == prefix &&
                        (driveUnixPath.size() == prefix.size() || driveUnixPath[prefix.size()] == '/');
    return inside ? type : DriveType::Network;
}

uint32_t Win32FileSystem::GetSystemDirectory(std::span<char> buffer) {
    return WriteText(win32::Narrow(win32::SystemDirectory()), buffer);
}

uint32_t Win32FileSystem::GetWindowsDirectory(std::span<char> buffer) {
    return WriteText(win32::Narrow(win32::WindowsDirectory()), buffer);
}

std::string Win32FileSystem::GetTempPath() {
    return win32::Narrow(win32::TempPath());
}

std::vector<Drive> Win32FileSystem::Drives() {
    std::vector<Drive> drives;
    const uint32_t present = win32::LogicalDrives();
    const std::string cUnixPath = win32::WineUnixPath(L"C:\\");
    for (int i = 0; i < 26; ++i) {
        if (!(present & (1u << i)))
            continue;
        const char letter = static_cast<char>('A' + i);
        const std::wstring root = {static_cast<wchar_t>(letter), L':', L'\\'};
        const DriveType type = DriveTypeUnderWine(DriveTypeFromWin32(win32::DriveType(root)),
                                                  win32::WineUnixPath(root), cUnixPath);
        drives.push_back(Drive{std::string(1, letter), type});
    }
    return drives;
}

bool Win32FileSystem::GetVolumeInformation(std::string_view root) {
    if (root.size() < 2 || !IsAsciiLetter(root[0]) || root[1] != ':')
        return false;
    if (root.size() > 3 || (root.size() == 3 && !detail::IsSeparator(root[2])))
        return false;
    return win32::VolumeInformation(win32::Wide(std::string(root.substr(0, 2)) + "\\"));
}

std::vector<FindData> Win32FileSystem::List(std::string_view pattern, bool basic, bool& failed) {
    failed = false;
    std::vector<FindData> entries;
    // A folder named by a trailing separator, or a drive root, is never a file.
    if (pattern.empty() || detail::IsSeparator(pattern.back()) ||
        (pattern.size() == 2 && IsAsciiLetter(pattern[0]) && pattern[1] == ':'))
        return entries;
    // A drive that is not there cannot be searched, as against a folder that is not there.
    if (pattern.size() >= 2 && pattern[1] == ':' &&
        (!IsAsciiLetter(pattern[0]) ||
         !(win32::LogicalDrives() & (1u << (UpperAsciiChar(pattern[0]) - 'A'))))) {
        failed = true;
        return entries;
    }
    win32::WideFindData found;
    uint32_t error = 0;
    void* search = win32::FindFirst(win32::Wide(pattern), basic, found, error);
    if (!search) {
        failed = error != kErrorFileNotFound && error != kErrorPathNotFound && error != kErrorNoMoreFiles;
        return entries;
    }
    const bool root = FolderIsDriveRoot(pattern);
    do {
        FindData entry{win32::Narrow(found.name), found.attributes, found.size};
        if (root && IsDot(entry.name))
            continue;
        // A folder that is a reparse point (a junction such as "Application Data", a symbolic link) is
        // never walked into, as a linked folder on Linux is not: it shows as a plain entry.
        if ((entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && !IsDot(entry.name))
            entry.attributes =
                (entry.attributes & ~uint32_t{FILE_ATTRIBUTE_DIRECTORY}) | FILE_ATTRIBUTE_ARCHIVE;
        entries.push_back(std::move(entry));
    } while (win32::FindNext(search, found));
    win32::FindClose(search);
    // ".", "..", then by the upper-cased name, and bytewise where those are equal.
    std::stable_sort(entries.begin(), entries.end(), [](const FindData& a, const FindData& b) {
        const bool dotA = IsDot(a.name), dotB = IsDot(b.name);
        if (dotA || dotB)
            return dotA && (!dotB || a.name.size() < b.name.size());
        if (const int c = FoldCase(a.name).compare(FoldCase(b.name)); c != 0)
            return c < 0;
        return a.name < b.name;
    });
    return entries;
}

FindResult Win32FileSystem::FindFirstEntry(std::string_view pattern, uint32_t mask) {
    bool failed = false;
    const std::vector<FindData> entries = List(pattern, false, failed);
    if (failed)
        return {Lookup::Failed, {}};
    for (const FindData& entry : entries)
        if (AdmittedByMask(entry.attributes, mask))
            return {Lookup::Found, entry.name};
    return {Lookup::NotFound, {}};
}

Lookup Win32FileSystem::FindAnyEntry(std::string_view pattern, std::span<const uint32_t> masks) {
    if (masks.empty())
        return Lookup::NotFound;
    bool failed = false;
    const std::vector<FindData> entries = List(pattern, false, failed);
    if (failed)
        return Lookup::Failed;
    for (uint32_t mask : masks)
        for (const FindData& entry : entries)
            if (AdmittedByMask(entry.attributes, mask))
                return Lookup::Found;
    return Lookup::NotFound;
}

std::unique_ptr<FileSearch> Win32FileSystem::FindFirstFile(std::string_view pattern, FindData& first) {
    return FindFirstFileEx(pattern, FindInfoLevel::Standard, first);
}

std::unique_ptr<FileSearch> Win32FileSystem::FindFirstFileEx(std::string_view pattern, FindInfoLevel level,
                                                             FindData& first) {
    bool failed = false;
    std::vector<FindData> entries = List(pattern, level == FindInfoLevel::Basic, failed);
    if (entries.empty())
        return nullptr;
    auto search = std::make_unique<ListedSearch>(std::move(entries));
    search->FindNextFile(first);
    return search;
}

uint32_t Win32FileSystem::GetFileAttributes(std::string_view path) {
    return win32::FileAttributes(win32::Wide(path));
}

uint32_t Win32FileSystem::GetShortPathName(std::string_view path, std::span<char> buffer) {
    std::wstring shortPath;
    if (!win32::ShortPathName(win32::Wide(path), shortPath))
        return 0;
    const std::string text = win32::Narrow(shortPath);
    if (buffer.size() < text.size() + 1)
        return static_cast<uint32_t>(text.size() + 1);
    return WriteText(text, buffer);
}

std::optional<uint64_t> Win32FileSystem::GetFileSize(std::string_view path) {
    uint32_t attributes = 0;
    uint64_t size = 0;
    if (!win32::FileAttributesAndSize(win32::Wide(path), attributes, size) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return size;
}

bool Win32FileSystem::CopyFile(std::string_view existing, std::string_view newFile, bool failIfExists) {
    return win32::CopyOneFile(win32::Wide(existing), win32::Wide(newFile), failIfExists);
}

bool Win32FileSystem::DeleteFile(std::string_view path) {
    return win32::DeleteOneFile(win32::Wide(path));
}

std::optional<std::filesystem::path> Win32FileSystem::HostPath(std::string_view path) {
    if (path.empty())
        return std::nullopt;
    return Utf8Path(path);
}

} // namespace vx

// The folders that complete bare names and placeholders, and the one existence test every checker uses.
#include "paths/folders.h"

#include "paths/path_text.h"
#include "platform/file_system.h"
#include "platform/registry_access.h"
#include "platform/root_keys.h"
#include "platform/target.h"
#include "platform/text.h"

#include <array>

namespace vx {
namespace {

constexpr std::string_view kSystemroot = "%Systemroot%";
constexpr std::string_view kSysroot = "%Sysroot%";
constexpr std::string_view kProgramFiles = "%ProgramFiles%";
constexpr std::string_view kCommonFiles = "%commonprogramfiles%";

std::string TextAfter(std::string_view value, std::string_view placeholder) {
    const size_t at = FindAsciiNoCase(value, placeholder);
    if (at == std::string_view::npos)
        return {};
    return std::string(value.substr(at + placeholder.size()));
}

std::string FolderFromCall(uint32_t (FileSystem::*call)(std::span<char>), FileSystem& files) {
    std::array<char, 256> buffer{};
    const uint32_t n = (files.*call)(buffer);
    if (n == 0 || n > buffer.size())
        return {};
    return std::string(buffer.data(), n);
}

std::string CurrentVersionFolder(Target& target, std::string_view valueName) {
    std::string text;
    if (!ReadRegistryString(target.registry(), HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", valueName, text))
        return {};
    return std::string(TrimBlanks(text));
}

} // namespace

std::string GetSystemFolder(Target& target) {
    return FolderFromCall(&FileSystem::GetSystemDirectory, target.files());
}

std::string GetWindowsFolder(Target& target) {
    return FolderFromCall(&FileSystem::GetWindowsDirectory, target.files());
}

std::string GetProgramFilesFolder(Target& target) {
    return CurrentVersionFolder(target, "ProgramFilesDir");
}

std::string GetCommonFilesFolder(Target& target) {
    return CurrentVersionFolder(target, "CommonFilesDir");
}

std::string SystemFolderPath(Target& target, std::string_view fileName) {
    return AddBackslash(GetSystemFolder(target)) + std::string(fileName);
}

std::string GetPlaceholderRemainder(std::string_view value) {
    if (ContainsAsciiNoCase(value, kSystemroot))
        return TextAfter(value, kSystemroot);
    return TextAfter(value, kProgramFiles);
}

std::string GetCommonFilesRemainder(std::string_view value) {
    return TextAfter(value, kCommonFiles);
}

std::string ExpandPlaceholderPath(Target& target, std::string_view value) {
    if (ContainsAsciiNoCase(value, kSystemroot))
        return GetWindowsFolder(target) + GetPlaceholderRemainder(value);
    if (ContainsAsciiNoCase(value, kProgramFiles))
        return GetProgramFilesFolder(target) + GetPlaceholderRemainder(value);
    if (ContainsAsciiNoCase(value, kSysroot))
        return GetWindowsFolder(target) + TextAfter(value, kSysroot);
    return GetCommonFilesFolder(target) + GetCommonFilesRemainder(value);
}

bool FileExists(Target& target, std::string_view path) {
    // Normal, hidden, archive, read-only, normal again, system; then hidden and system together, so that
    // a file carrying both bits is not taken for missing.
    static constexpr std::array<uint32_t, 7> kMasks{0,
                                                    FILE_ATTRIBUTE_HIDDEN,
                                                    FILE_ATTRIBUTE_ARCHIVE,
                                                    FILE_ATTRIBUTE_READONLY,
                                                    0,
                                                    FILE_ATTRIBUTE_SYSTEM,
                                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
    return target.files().FindAnyEntry(path, kMasks) != Lookup::NotFound;
}

} // namespace vx

// The folders that complete bare names and placeholders, and the one existence test every checker uses.
#include "paths/folders.h"

#include "app/app.h"
#include "paths/path_text.h"
#include "platform/file_system.h"
#include "platform/registry_access.h"
#include "platform/root_keys.h"
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

std::string CurrentVersionFolder(App& app, std::string_view valueName) {
    std::string text;
    if (!ReadRegistryString(app.registry(), HKEY_LOCAL_MACHINE,
                            "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", valueName, text))
        return {};
    return std::string(TrimBlanks(text));
}

} // namespace

std::string GetSystemFolder(App& app) {
    return FolderFromCall(&FileSystem::GetSystemDirectory, app.files());
}

std::string GetWindowsFolder(App& app) {
    return FolderFromCall(&FileSystem::GetWindowsDirectory, app.files());
}

std::string GetProgramFilesFolder(App& app) {
    return CurrentVersionFolder(app, "ProgramFilesDir");
}

std::string GetCommonFilesFolder(App& app) {
    return CurrentVersionFolder(app, "CommonFilesDir");
}

std::string SystemFolderPath(App& app, std::string_view fileName) {
    return AddBackslash(GetSystemFolder(app)) + std::string(fileName);
}

std::string GetPlaceholderRemainder(std::string_view value) {
    if (ContainsAsciiNoCase(value, kSystemroot))
        return TextAfter(value, kSystemroot);
    return TextAfter(value, kProgramFiles);
}

std::string GetCommonFilesRemainder(std::string_view value) {
    return TextAfter(value, kCommonFiles);
}

std::string ExpandPlaceholderPath(App& app, std::string_view value) {
    if (ContainsAsciiNoCase(value, kSystemroot))
        return GetWindowsFolder(app) + GetPlaceholderRemainder(value);
    if (ContainsAsciiNoCase(value, kProgramFiles))
        return GetProgramFilesFolder(app) + GetPlaceholderRemainder(value);
    if (ContainsAsciiNoCase(value, kSysroot))
        return GetWindowsFolder(app) + TextAfter(value, kSysroot);
    return GetCommonFilesFolder(app) + GetCommonFilesRemainder(value);
}

bool FileExists(App& app, std::string_view path) {
    // Normal, hidden, archive, read-only, normal again, system; then hidden and system together, so that
    // a file carrying both bits is not taken for missing.
    static constexpr std::array<uint32_t, 7> kMasks{0,
                                                    FILE_ATTRIBUTE_HIDDEN,
                                                    FILE_ATTRIBUTE_ARCHIVE,
                                                    FILE_ATTRIBUTE_READONLY,
                                                    0,
                                                    FILE_ATTRIBUTE_SYSTEM,
                                                    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM};
    return app.files().FindAnyEntry(path, kMasks) != Lookup::NotFound;
}

} // namespace vx

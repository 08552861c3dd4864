#pragma once
// Readers for the shortcut files the Shell knows: shell links (.lnk, through liblnk, or
// the Shell's IShellLinkW on Windows), Internet shortcuts
// (.url, INI text) and MS-DOS program information files (.pif). They read host files and never throw; a
// file they cannot make sense of gives nothing.
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vx {

// What a shell link holds about its target, as UTF-8 text; absent parts are empty.
struct LnkFields {
    std::string localPath;           // from the link's location information
    std::string environmentLocation; // unexpanded, e.g. "%windir%\system32\cmd.exe"
    std::string networkPath;         // "\\server\share\folder\file"
    std::string workingDirectory;    // as written, not expanded
};

// Reads a .lnk file. `ansiCodePage` decodes the link's single-byte strings (the target's ANSI code page;
// 1252 when liblnk does not know it). Nothing when the file is not a readable shell link.
std::optional<LnkFields> ReadLnkFile(const std::filesystem::path& file, int ansiCodePage = 1252);

// The URL= value of the [InternetShortcut] section of a .url file; nothing when there is none.
std::optional<std::string> ReadUrlFile(const std::filesystem::path& file);

// The program field of a .pif file; nothing when the file is too short to be one.
std::optional<std::string> ReadPifFile(const std::filesystem::path& file);

// A file: URL as the Windows path it names ("file:///C:/a%20b/c.txt" → "C:\a b\c.txt", a host other than
// localhost → "\\host\share\…"); any other URL is returned as it is.
std::string TargetPathOfUrl(std::string_view url);

} // namespace vx

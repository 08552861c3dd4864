// Path text and path parsing. The input is "NAME\nTEXT" (or only TEXT): the path text operations run on
// TEXT and keep their promises; TEXT goes to the target's file system (the Windows path parser behind
// every lookup and search) and, as the data of a value named NAME, to the checker of every section, which
// turn it into paths and test them on a small Wine prefix; NAME is matched against TEXT as a file
// pattern.
#include "fuzz_support.h"

#include "engine/registry_walkers.h"
#include "paths/path_text.h"
#include "platform/host_file_system.h"
#include "platform/root_keys.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

using vx::fuzz::Fail;

char LowerAsciiChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

// 1-based, as InStr counts; 0 when absent.
size_t NaiveInStr(std::string_view text, std::string_view needle, size_t after) {
    if (after >= text.size())
        return 0;
    const auto found =
        std::search(text.begin() + static_cast<ptrdiff_t>(after), text.end(), needle.begin(), needle.end(),
                    [](char a, char b) { return LowerAsciiChar(a) == LowerAsciiChar(b); });
    return found == text.end() && !needle.empty() ? 0 : static_cast<size_t>(found - text.begin()) + 1;
}

void CheckPathText(std::string_view text, std::string_view name) {
    using namespace vx;
    const std::string trimmed = TrimQuotesAndBlanks(text);
    if (trimmed != TrimmedQuotesAndBlanks(text) || TrimQuotesAndBlanks(trimmed) != trimmed)
        Fail("trimming quotes and blanks twice differs from once", text);
    if (const std::string added = AddBackslash(text); !IsBlank(text) && !added.ends_with('\\'))
        Fail("AddBackslash gives a path without a trailing backslash", text);
    if (const std::string part = GetFileNamePart(text); !text.ends_with(part))
        Fail("the file name part is not the end of the path", text);
    if (const std::string from = FromDriveLetter(text); !text.ends_with(from))
        Fail("the text from the drive letter is not the end of the text", text);
    if (const std::string extension = GetFileExtension(text);
        extension.size() >= text.size() && !text.empty())
        Fail("the extension is as long as the path", text);
    (void)CutArguments(text);
    const size_t dot = InStr(text, ".");
    if (const std::string cut = CutAfterDot(text, dot); !text.starts_with(cut))
        Fail("CutAfterDot gives no prefix of the text", text);
    if (CharCount(text) > text.size())
        Fail("more characters than bytes", text);
    if (RemoveBlanks(text).find(' ') != std::string::npos)
        Fail("RemoveBlanks leaves a blank", text);
    // The checkers search only for ASCII needles.
    if (IsAscii(name)) {
        for (size_t after : {size_t{0}, dot, text.size() / 2}) {
            if (InStr(text, name, after) != NaiveInStr(text, name, after))
                Fail("InStr finds another position than a plain search",
                     std::string(name) + "\n" + std::string(text));
        }
    }
}

void CheckFileSystem(vx::HostFileSystem& files, const std::string& text) {
    (void)files.HostPath(text);
    (void)files.GetFileAttributes(text);
    (void)files.GetFileSize(text);
    std::array<char, 261> shortPath{};
    (void)files.GetShortPathName(text, shortPath);
    static constexpr std::array<uint32_t, 7> kMasks{0, 2, 32, 1, 0, 4, 6};
    (void)files.FindAnyEntry(text, kMasks);
    (void)files.FindFirstEntry(text, 0x10);
    vx::FindData entry;
    if (auto search = files.FindFirstFile(text, entry))
        for (int i = 0; i < 64 && search->FindNextFile(entry); ++i) {
        }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vx;
    Target& target = fuzz::SmallPrefixTarget();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string name(newline == std::string_view::npos ? std::string_view() : input.substr(0, newline));
    const std::string text(newline == std::string_view::npos ? input : input.substr(newline + 1));

    CheckPathText(text, name);
    (void)MatchesFilePattern(name, text);
    if (auto* files = dynamic_cast<HostFileSystem*>(&target.files()))
        CheckFileSystem(*files, text);

    fuzz::FuzzApp fuzzApp(target);
    for (const char* section : {"ActiveX \\ COM", "Application Paths", "Help Files", "Microsoft Shared",
                                "Windows Startup", "Uninstall Section", "VxD Section", "Windows Fonts"})
        FindChecker(section)(fuzzApp.check,
                             RegistryEntry{HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE", name, text, section,
                                           "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Fuzz"});
    return 0;
}

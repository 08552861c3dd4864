// The web page launcher over FindExecutableW and ShellExecuteW.
#include "platform/web_page.h"

#include "platform/utf8_path.h"

#include <windows.h>
// Only after it.
#include <shellapi.h>

#include <algorithm>
#include <cwctype>
#include <fstream>

namespace vx {
namespace {

std::wstring_view TrimBlanks(std::wstring_view text) {
    while (!text.empty() && text.front() == L' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == L' ')
        text.remove_suffix(1);
    return text;
}

// ShellExecuteW's answer above 32 means started.
bool Started(HINSTANCE result) {
    return reinterpret_cast<INT_PTR>(result) > 32;
}

// The program FindExecutableW associates with the type, through the scratch file; empty when none.
std::wstring AssociatedProgram(std::string_view fileType) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH)
        return {};
    const std::wstring scratch = ScratchPagePath(std::wstring_view(folder, length), fileType);
    {
        std::ofstream file(std::filesystem::path(scratch), std::ios::binary | std::ios::trunc);
        if (!file)
            return {};
        file << "\"\"\r\n";
    }
    wchar_t found[MAX_PATH + 1] = {};
    const bool associated = Started(FindExecutableW(scratch.c_str(), nullptr, found));
    DeleteFileW(scratch.c_str());
    return associated ? ProgramOfAssociation(std::wstring_view(found, std::size(found))) : std::wstring();
}

} // namespace

std::wstring ScratchPagePath(std::wstring_view tempFolder, std::string_view fileType) {
    return std::wstring(tempFolder) + L"temphtm." + Utf8Path(fileType).wstring();
}

std::wstring ProgramOfAssociation(std::wstring_view found) {
    found = found.substr(0, std::min(found.find(L'\0'), found.size()));
    std::wstring upper(found);
    std::transform(upper.begin(), upper.end(), upper.begin(), [](wchar_t c) { return std::towupper(c); });
    if (const size_t exe = upper.find(L".EXE"); exe != std::wstring::npos)
        found = found.substr(0, exe + 4);
    return std::wstring(TrimBlanks(found));
}

bool OpenWebPage(void* window, std::string_view address, std::string_view fileType) {
    const std::wstring page(TrimBlanks(Utf8Path(address).wstring()));
    const auto owner = static_cast<HWND>(window);
    const std::wstring program = AssociatedProgram(fileType);
    if (!program.empty() && Started(ShellExecuteW(owner, L"open", program.c_str(),
                                                  (L"\"" + page + L"\"").c_str(), nullptr, SW_SHOWMAXIMIZED)))
        return true;
    return Started(ShellExecuteW(owner, L"open", page.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED));
}

} // namespace vx

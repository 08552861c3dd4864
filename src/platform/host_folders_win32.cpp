// Where the program keeps its own files on Windows: beside the executable when it may write there (a
// copy run from a folder of its own), else in the user's local application data.
#include "platform/host_folders.h"

#include <windows.h>

#include <cstdlib>
#include <system_error>

namespace vx {
namespace {

std::filesystem::path ExecutableFolder() {
    std::wstring buffer(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return {};
    buffer.resize(n);
    return std::filesystem::path(buffer).parent_path();
}

// Whether a file can be made in the folder (one that is gone again at once).
bool Writable(const std::filesystem::path& folder) {
    const std::filesystem::path probe =
        folder / (L".vantrelix-probe-" + std::to_wstring(GetCurrentProcessId()));
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

} // namespace

std::filesystem::path HomeFolder() {
    const wchar_t* profile = _wgetenv(L"USERPROFILE");
    return profile && *profile ? std::filesystem::path(profile) : std::filesystem::path();
}

std::filesystem::path ProgramDataFolder() {
    const std::filesystem::path exe = ExecutableFolder();
    if (!exe.empty() && Writable(exe))
        return exe;
    std::filesystem::path folder;
    if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local && *local)
        folder = std::filesystem::path(local) / L"Vantrelix";
    else
        folder = std::filesystem::temp_directory_path() / L"Vantrelix";
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    return folder;
}

std::filesystem::path DefaultSettingsFile() {
    return ProgramDataFolder() / L"settings.ini";
}

} // namespace vx

// The Windows calls of the Win32 backend: the wide-character API, nothing else of the program in sight.
#include "platform/win32/win32_calls.h"

#include <windows.h>

#include <mmsystem.h>

#include <vector>

namespace vx::win32 {
namespace {

HKEY Native(NativeKey key) {
    return static_cast<HKEY>(key);
}

// Registry data of any size: the buffer grows until the value fits (it may grow while we look).
template <class Call> uint32_t ReadGrowing(std::string* data, Call call) {
    std::vector<BYTE> buffer(data ? 512 : 0);
    for (int attempt = 0; attempt < 8; ++attempt) {
        DWORD size = static_cast<DWORD>(buffer.size());
        const LONG status = call(buffer.empty() ? nullptr : buffer.data(), data ? &size : nullptr);
        if (status == ERROR_MORE_DATA && data) {
            buffer.resize(size > buffer.size() ? size : buffer.size() * 2);
            continue;
        }
        if (status == ERROR_SUCCESS && data)
            data->assign(reinterpret_cast<const char*>(buffer.data()), size);
        return static_cast<uint32_t>(status);
    }
    return ERROR_MORE_DATA;
}

void Fill(WideFindData& out, const WIN32_FIND_DATAW& data) {
    out.name = data.cFileName;
    out.attributes = data.dwFileAttributes;
    out.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::wstring FolderOf(UINT (*call)(LPWSTR, UINT)) {
    wchar_t buffer[MAX_PATH + 1];
    const UINT n = call(buffer, MAX_PATH + 1);
    return n == 0 || n > MAX_PATH ? std::wstring() : std::wstring(buffer, n);
}

} // namespace

NativeKey PredefinedKey(uint32_t root) {
    return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root)));
}

uint32_t OpenKey(NativeKey parent, const std::wstring& subKey, uint32_t access, NativeKey& result) {
    HKEY key = nullptr;
    const LONG status = RegOpenKeyExW(Native(parent), subKey.c_str(), 0, access, &key);
    result = key;
    return static_cast<uint32_t>(status);
}

uint32_t CreateKey(NativeKey parent, const std::wstring& subKey, uint32_t access, NativeKey& result,
                   bool* created) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG status = RegCreateKeyExW(Native(parent), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        access, nullptr, &key, &disposition);
    result = key;
    if (created)
        *created = status == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return static_cast<uint32_t>(status);
}

uint32_t CloseKey(NativeKey key) {
    return static_cast<uint32_t>(RegCloseKey(Native(key)));
}

uint32_t EnumKey(NativeKey key, uint32_t index, std::wstring& name) {
    wchar_t buffer[256]; // key names are at most 255 characters
    DWORD size = 256;
    const LONG status = RegEnumKeyExW(Native(key), index, buffer, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS)
        name.assign(buffer, size);
    return static_cast<uint32_t>(status);
}

uint32_t EnumValue(NativeKey key, uint32_t index, std::wstring& name, uint32_t& type, std::string* data) {
    std::vector<wchar_t> nameBuffer(16384); // value names are at most 16383 characters
    DWORD nativeType = 0;
    DWORD nameSize = 0;
    const uint32_t status = ReadGrowing(data, [&](BYTE* bytes, DWORD* size) {
        nameSize = static_cast<DWORD>(nameBuffer.size());
        return RegEnumValueW(Native(key), index, nameBuffer.data(), &nameSize, nullptr, &nativeType, bytes,
                             size);
    });
    if (status == ERROR_SUCCESS) {
        name.assign(nameBuffer.data(), nameSize);
        type = nativeType;
    }
    return status;
}

uint32_t QueryValue(NativeKey key, const std::wstring& name, uint32_t& type, std::string* data) {
    DWORD nativeType = 0;
    const uint32_t status = ReadGrowing(data, [&](BYTE* bytes, DWORD* size) {
        return RegQueryValueExW(Native(key), name.c_str(), nullptr, &nativeType, bytes, size);
    });
    if (status == ERROR_SUCCESS)
        type = nativeType;
    return status;
}

uint32_t SetValue(NativeKey key, const std::wstring& name, uint32_t type, std::string_view data) {
    return static_cast<uint32_t>(RegSetValueExW(Native(key), name.c_str(), 0, type,
                                                reinterpret_cast<const BYTE*>(data.data()),
                                                static_cast<DWORD>(data.size())));
}

uint32_t DeleteValue(NativeKey key, const std::wstring& name) {
    return static_cast<uint32_t>(RegDeleteValueW(Native(key), name.c_str()));
}

uint32_t DeleteKey(NativeKey parent, const std::wstring& subKey) {
    return static_cast<uint32_t>(RegDeleteKeyW(Native(parent), subKey.c_str()));
}

NativeSearch FindFirst(const std::wstring& pattern, bool basic, WideFindData& first, uint32_t& error) {
    WIN32_FIND_DATAW data{};
    HANDLE search = FindFirstFileExW(pattern.c_str(), basic ? FindExInfoBasic : FindExInfoStandard, &data,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        error = GetLastError();
        return nullptr;
    }
    Fill(first, data);
    return search;
}

bool FindNext(NativeSearch search, WideFindData& entry) {
    WIN32_FIND_DATAW data{};
    if (!FindNextFileW(static_cast<HANDLE>(search), &data))
        return false;
    Fill(entry, data);
    return true;
}

void FindClose(NativeSearch search) {
    ::FindClose(static_cast<HANDLE>(search));
}

uint32_t FileAttributes(const std::wstring& path) {
    return GetFileAttributesW(path.c_str());
}

bool FileAttributesAndSize(const std::wstring& path, uint32_t& attributes, uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return false;
    attributes = data.dwFileAttributes;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool ShortPathName(const std::wstring& path, std::wstring& shortPath) {
    const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (needed == 0)
        return false;
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD n = GetShortPathNameW(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0 || n >= buffer.size())
        return false;
    shortPath.assign(buffer.data(), n);
    return true;
}

bool CopyOneFile(const std::wstring& existing, const std::wstring& newFile, bool failIfExists) {
    return CopyFileW(existing.c_str(), newFile.c_str(), failIfExists) != 0;
}

bool DeleteOneFile(const std::wstring& path) {
    return DeleteFileW(path.c_str()) != 0;
}

std::wstring SystemDirectory() {
    return FolderOf(GetSystemDirectoryW);
}

std::wstring WindowsDirectory() {
    return FolderOf(GetWindowsDirectoryW);
}

std::wstring TempPath() {
    wchar_t buffer[MAX_PATH + 2];
    const DWORD n = GetTempPathW(MAX_PATH + 2, buffer);
    return n == 0 || n > MAX_PATH + 1 ? std::wstring() : std::wstring(buffer, n);
}

uint32_t LogicalDrives() {
    return GetLogicalDrives();
}

uint32_t DriveType(const std::wstring& root) {
    return GetDriveTypeW(root.c_str());
}

std::string WineUnixPath(const std::wstring& path) {
    using UnixFileName = char*(CDECL*)(const wchar_t*);
    static const auto unixFileName = reinterpret_cast<UnixFileName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixFileName)
        return {};
    char* name = unixFileName(path.c_str()); // on the process heap
    if (!name)
        return {};
    std::string result(name);
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

bool VolumeInformation(const std::wstring& root) {
    return GetVolumeInformationW(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
}

uint32_t LastError() {
    return GetLastError();
}

bool PlayWaveFile(const std::wstring& file) {
    return PlaySoundW(file.c_str(), nullptr, SND_FILENAME | SND_ASYNC | SND_NODEFAULT) != 0;
}

bool RunsElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
        return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated != 0;
    CloseHandle(token);
    return elevated;
}

std::wstring ComputerName() {
    wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(buffer, &size) ? std::wstring(buffer, size) : std::wstring(L"?");
}

} // namespace vx::win32

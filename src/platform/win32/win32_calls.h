#pragma once
// The Windows calls the Win32 backend makes, behind plain C++ signatures. No file of the backend but
// win32_calls.cpp includes <windows.h> (the host files of the platform layer include it for their own
// calls): its macros (REG_SZ, ERROR_SUCCESS, RegOpenKeyEx …) would collide with the names of the
// platform interfaces, which follow the same API. Results are the Windows error codes.
#include <cstdint>
#include <string>
#include <string_view>

namespace vx::win32 {

using NativeKey = void*; // an HKEY

// The predefined root of a handle value (0x80000000 …).
NativeKey PredefinedKey(uint32_t root);
uint32_t OpenKey(NativeKey parent, const std::wstring& subKey, uint32_t access, NativeKey& result);
uint32_t CreateKey(NativeKey parent, const std::wstring& subKey, uint32_t access, NativeKey& result,
                   bool* created);
uint32_t CloseKey(NativeKey key);
// The whole name of the index-th subkey.
uint32_t EnumKey(NativeKey key, uint32_t index, std::wstring& name);
// The whole name, the type and (when `data` is given) the whole data of the index-th value.
uint32_t EnumValue(NativeKey key, uint32_t index, std::wstring& name, uint32_t& type, std::string* data);
uint32_t QueryValue(NativeKey key, const std::wstring& name, uint32_t& type, std::string* data);
uint32_t SetValue(NativeKey key, const std::wstring& name, uint32_t type, std::string_view data);
uint32_t DeleteValue(NativeKey key, const std::wstring& name);
uint32_t DeleteKey(NativeKey parent, const std::wstring& subKey);

struct WideFindData {
    std::wstring name;
    uint32_t attributes = 0;
    uint64_t size = 0;
};
using NativeSearch = void*; // a find handle
// FindFirstFileExW (FindExInfoBasic when `basic`); null with `error` set when nothing can be listed.
NativeSearch FindFirst(const std::wstring& pattern, bool basic, WideFindData& first, uint32_t& error);
bool FindNext(NativeSearch search, WideFindData& entry);
void FindClose(NativeSearch search);

uint32_t FileAttributes(const std::wstring& path);
// Size and attributes of one entry; false when it cannot be looked at.
bool FileAttributesAndSize(const std::wstring& path, uint32_t& attributes, uint64_t& size);
// GetShortPathNameW; false when it fails.
bool ShortPathName(const std::wstring& path, std::wstring& shortPath);
bool CopyOneFile(const std::wstring& existing, const std::wstring& newFile, bool failIfExists);
bool DeleteOneFile(const std::wstring& path);

std::wstring SystemDirectory();
std::wstring WindowsDirectory();
std::wstring TempPath();
// GetLogicalDrives: bit 0 is A:.
uint32_t LogicalDrives();
// GetDriveTypeW of "X:\".
uint32_t DriveType(const std::wstring& root);
// Under Wine, the host (Unix) path a Windows path lies at (wine_get_unix_file_name); empty elsewhere or
// when Wine cannot say.
std::string WineUnixPath(const std::wstring& path);
bool VolumeInformation(const std::wstring& root);

uint32_t LastError();

// PlaySoundW of a wave file, asynchronously; false when it cannot be played.
bool PlayWaveFile(const std::wstring& file);
// Whether the process runs with an administrator's rights (its token elevated).
bool RunsElevated();

// The computer's NetBIOS name.
std::wstring ComputerName();

} // namespace vx::win32

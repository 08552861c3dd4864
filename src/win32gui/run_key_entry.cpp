// The start-up entry in the registry's Run key.
#include "win32gui/run_key_entry.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_calls.h"

#include "win32gui/windows_api.h"

#include <filesystem>

namespace vx::win32gui {
namespace {

constexpr uint32_t kSetValue = 0x0002; // KEY_SET_VALUE
constexpr uint32_t kSuccess = 0, kNotFound = 2;
constexpr uint32_t kString = 1; // REG_SZ

bool DeleteFrom(uint32_t root, const std::wstring& name) {
    win32::NativeKey key = nullptr;
    const uint32_t opened = win32::OpenKey(win32::PredefinedKey(root), kRunKey, kSetValue, key);
    if (opened == kNotFound)
        return true;
    if (opened != kSuccess)
        return false;
    const uint32_t deleted = win32::DeleteValue(key, name);
    win32::CloseKey(key);
    return deleted == kSuccess || deleted == kNotFound;
}

bool WriteTo(uint32_t root, const std::wstring& name, const std::wstring& data) {
    win32::NativeKey key = nullptr;
    if (win32::CreateKey(win32::PredefinedKey(root), kRunKey, kSetValue, key, nullptr) != kSuccess)
        return false;
    const std::wstring ended = data + L'\0'; // a REG_SZ keeps its terminating zero
    const uint32_t written = win32::SetValue(key, name, kString, win32::Bytes(ended));
    win32::CloseKey(key);
    return written == kSuccess;
}

} // namespace

std::wstring OwnExecutable() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

RunKeyEntry::RunKeyEntry(std::wstring executable, std::vector<uint32_t> roots)
    : name_(std::filesystem::path(executable).stem().wstring()), data_(L"\"" + executable + L"\""),
      roots_(std::move(roots)) {}

bool RunKeyEntry::Write() {
    for (size_t i = 0; i < roots_.size(); ++i) {
        if (!WriteTo(roots_[i], name_, data_))
            continue;
        for (size_t after = i + 1; after < roots_.size(); ++after)
            DeleteFrom(roots_[after], name_);
        return true;
    }
    return false;
}

bool RunKeyEntry::Remove() {
    bool removed = true;
    for (uint32_t root : roots_)
        removed = DeleteFrom(root, name_) && removed;
    return removed;
}

} // namespace vx::win32gui

// The live registry through advapi32's wide-character calls.
#include "platform/win32/win32_registry.h"

#include "platform/value_delivery.h"

#include "platform/root_keys.h"
#include "platform/utf16.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_calls.h"

#include <algorithm>
#include <cstring>

namespace vx {
namespace {

// The data as the single-byte calls deliver it: string types as UTF-8 (with their terminator when one
// is stored), every other type as stored.
std::string Delivered(uint32_t type, const std::string& stored) {
    if (!IsStringType(type))
        return stored;
    std::string out;
    AppendUtf16AsUtf8(stored, out);
    return out;
}

std::string JoinPath(std::string_view parent, std::string_view child) {
    if (parent.empty())
        return std::string(child);
    if (child.empty())
        return std::string(parent);
    return std::string(parent) + "\\" + std::string(child);
}

} // namespace

Win32Registry::~Win32Registry() {
    handles_.ForEachOpen([](const Slot& slot) { win32::CloseKey(slot.native); });
}

void* Win32Registry::Native(HKEY key, Status& status) const {
    status = ERROR_SUCCESS;
    if (IsPredefinedRoot(key))
        return win32::PredefinedKey(key);
    if (const Slot* slot = handles_.Find(key))
        return slot->native;
    status = ERROR_INVALID_HANDLE;
    return nullptr;
}

HKEY Win32Registry::Keep(void* native, HKEY parent, std::string_view subKey) {
    HKEY handle = 0;
    Slot& slot = handles_.Next(handle);
    slot.native = native;
    if (const Slot* parentSlot = handles_.Find(parent)) {
        slot.root = parentSlot->root;
        slot.path = JoinPath(parentSlot->path, subKey);
    } else {
        slot.root = parent;
        slot.path = std::string(subKey);
    }
    handles_.Take(handle);
    return handle;
}

size_t Win32Registry::OpenHandleCount() const {
    return handles_.OpenCount();
}

Status Win32Registry::Refused(Status status, HKEY key, std::string_view what) {
    if (status != ERROR_ACCESS_DENIED)
        return status;
    std::string place;
    if (const Slot* slot = handles_.Find(key))
        place = JoinPath(RootKeyName(slot->root), slot->path);
    else
        place = RootKeyName(key);
    lastError_ = "Windows refused to " + std::string(what) + " in " + place +
                 (win32::RunsElevated() ? std::string()
                                        : " (it needs an administrator: run vantrelix-cli as administrator)");
    return status;
}

Status Win32Registry::RegOpenKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result) {
    Status status;
    void* native = Native(parent, status);
    if (!native)
        return status;
    void* opened = nullptr;
    status = static_cast<Status>(win32::OpenKey(native, win32::Wide(subKey), access, opened));
    if (status == ERROR_SUCCESS)
        result = Keep(opened, parent, subKey);
    return status;
}

Status Win32Registry::RegCreateKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result,
                                     bool* created) {
    Status status;
    void* native = Native(parent, status);
    if (!native)
        return status;
    void* opened = nullptr;
    status = static_cast<Status>(win32::CreateKey(native, win32::Wide(subKey), access, opened, created));
    if (status == ERROR_SUCCESS)
        result = Keep(opened, parent, subKey);
    return Refused(status, parent, "create a key");
}

Status Win32Registry::RegCloseKey(HKEY key) {
    if (IsPredefinedRoot(key))
        return ERROR_SUCCESS;
    Slot* slot = handles_.Find(key);
    if (!slot)
        return ERROR_INVALID_HANDLE;
    const Status status = static_cast<Status>(win32::CloseKey(slot->native));
    *slot = Slot{};
    handles_.Release(key);
    return status;
}

Status Win32Registry::RegEnumKeyEx(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize,
                                   uint32_t* classSize) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    std::wstring wide;
    status = static_cast<Status>(win32::EnumKey(native, index, wide));
    if (status != ERROR_SUCCESS)
        return status;
    // Sizes count the terminating zero going in and leave it out coming back, as the A functions do.
    const std::string utf8 = win32::Narrow(wide);
    if (utf8.size() + 1 > nameSize)
        return ERROR_MORE_DATA;
    name = utf8;
    nameSize = static_cast<uint32_t>(utf8.size());
    if (classSize)
        *classSize = 0;
    return ERROR_SUCCESS;
}

Status Win32Registry::RegEnumValue(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize,
                                   uint32_t* type, std::span<uint8_t> data, uint32_t* dataSize) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    if (!data.empty() && !dataSize)
        return ERROR_INVALID_PARAMETER;
    std::wstring wide;
    uint32_t valueType = 0;
    std::string stored;
    status =
        static_cast<Status>(win32::EnumValue(native, index, wide, valueType, dataSize ? &stored : nullptr));
    if (status != ERROR_SUCCESS)
        return status;
    if (type)
        *type = valueType;
    const std::string delivered = dataSize ? Delivered(valueType, stored) : std::string();
    return DeliverEnumeratedValue(win32::Narrow(wide), delivered, name, nameSize, data, dataSize);
}

Status Win32Registry::RegQueryValueEx(HKEY key, std::string_view valueName, uint32_t* type,
                                      std::span<uint8_t> data, uint32_t* dataSize) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    if (!data.empty() && !dataSize)
        return ERROR_INVALID_PARAMETER;
    uint32_t valueType = 0;
    std::string stored;
    status = static_cast<Status>(
        win32::QueryValue(native, win32::Wide(valueName), valueType, dataSize ? &stored : nullptr));
    if (status != ERROR_SUCCESS)
        return status;
    if (type)
        *type = valueType;
    return DeliverQueriedValue(valueType, dataSize ? Delivered(valueType, stored) : std::string(), data,
                               dataSize);
}

Status Win32Registry::RegSetValueEx(HKEY key, std::string_view valueName, uint32_t type,
                                    std::span<const uint8_t> data) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    const std::string_view bytes(reinterpret_cast<const char*>(data.data()), data.size());
    // String data goes in as UTF-16, terminator and all exactly as given. Windows adds a terminator the
    // caller did not count when one follows the data in memory (std::string always has one there), so
    // the data is followed by a character that is not zero: the value holds the bytes given, as on every
    // other target.
    std::string stored = IsStringType(type) ? Utf8ToUtf16(bytes) : std::string(bytes);
    const size_t size = stored.size();
    stored.append("\xFF\xFF", 2);
    status = static_cast<Status>(
        win32::SetValue(native, win32::Wide(valueName), type, std::string_view(stored.data(), size)));
    return Refused(status, key, "set a value");
}

Status Win32Registry::RegQueryValueRaw(HKEY key, std::string_view valueName, uint32_t& type,
                                       std::string& bytes) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    return static_cast<Status>(win32::QueryValue(native, win32::Wide(valueName), type, &bytes));
}

Status Win32Registry::RegSetValueRaw(HKEY key, std::string_view valueName, uint32_t type,
                                     std::string_view bytes) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    // As in RegSetValueEx: a character that is not zero follows, so that Windows adds no terminator.
    std::string stored(bytes);
    stored.append("\xFF\xFF", 2);
    status = static_cast<Status>(
        win32::SetValue(native, win32::Wide(valueName), type, std::string_view(stored.data(), bytes.size())));
    return Refused(status, key, "set a value");
}

Status Win32Registry::RegDeleteValue(HKEY key, std::string_view valueName) {
    Status status;
    void* native = Native(key, status);
    if (!native)
        return status;
    status = static_cast<Status>(win32::DeleteValue(native, win32::Wide(valueName)));
    return Refused(status, key, "delete a value");
}

Status Win32Registry::DeleteKey(HKEY parent, std::string_view subKey) {
    Status status;
    void* native = Native(parent, status);
    if (!native)
        return status;
    return static_cast<Status>(win32::DeleteKey(native, win32::Wide(subKey)));
}

} // namespace vx

#pragma once
// The registry operations the program needs, in the shape of the Windows registry API (single-byte text is
// UTF-8 here). Backends keep the results the logic relies on: an enumeration whose name or data does not
// fit the caller's buffer fails with ERROR_MORE_DATA, a missing key or value gives ERROR_FILE_NOT_FOUND,
// and the end of an enumeration gives ERROR_NO_MORE_ITEMS.
#include "platform/status.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vx {

// A predefined root (0x80000000 …) or a handle that an open produced.
using HKEY = uint32_t;

enum RegType : uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_RESOURCE_LIST = 8,
    REG_FULL_RESOURCE_DESCRIPTOR = 9,
    REG_RESOURCE_REQUIREMENTS_LIST = 10,
    REG_QWORD = 11,
};

constexpr uint32_t KEY_QUERY_VALUE = 0x0001;
constexpr uint32_t KEY_SET_VALUE = 0x0002;
constexpr uint32_t KEY_CREATE_SUB_KEY = 0x0004;
constexpr uint32_t KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;
constexpr uint32_t MAXIMUM_ALLOWED = 0x02000000;

// The deepest a key may lie below its hive's root, as Windows allows. Loaders keep what lies deeper in
// its file untouched, keys are never created deeper, and walks go no deeper.
constexpr size_t kMaxKeyDepth = 512;

class Registry {
  public:
    virtual ~Registry() = default;

    // RegOpenKeyExA: opens parent\subKey (an empty subKey opens parent again). Never creates a key.
    virtual Status RegOpenKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result) = 0;
    // RegOpenKeyA: the same with the most access the caller may have.
    Status RegOpenKey(HKEY parent, std::string_view subKey, HKEY& result) {
        return RegOpenKeyEx(parent, subKey, MAXIMUM_ALLOWED, result);
    }
    // RegCreateKeyExA: opens the key, creating it and every missing parent first.
    virtual Status RegCreateKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result,
                                  bool* created = nullptr) = 0;
    virtual Status RegCloseKey(HKEY key) = 0;

    // RegEnumKeyExA. nameSize: in, the buffer's size in bytes counting the terminating zero; out, the
    // name's length without it. The name is written into `name` (resized to the name's length).
    // classSize, when given, works the same way for the class name (always empty here).
    virtual Status RegEnumKeyEx(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize,
                                uint32_t* classSize = nullptr) = 0;

    // RegEnumValueA. nameSize as above. type may be null. data: a caller buffer or an empty span for
    // none; dataSize, when given: in, the buffer's size; out, the bytes stored or needed. A value whose
    // data does not fit a given buffer fails with ERROR_MORE_DATA.
    virtual Status RegEnumValue(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize,
                                uint32_t* type, std::span<uint8_t> data, uint32_t* dataSize) = 0;

    // RegQueryValueExA. The empty name is the key's unnamed value. With an empty data span only the type
    // and the size needed are delivered; otherwise the data is copied when it fits (ERROR_MORE_DATA when
    // it does not). String data is delivered with its terminating zero, as the A functions do.
    virtual Status RegQueryValueEx(HKEY key, std::string_view valueName, uint32_t* type,
                                   std::span<uint8_t> data, uint32_t* dataSize) = 0;

    // RegSetValueExA: stores exactly the bytes given.
    virtual Status RegSetValueEx(HKEY key, std::string_view valueName, uint32_t type,
                                 std::span<const uint8_t> data) = 0;
    virtual Status RegDeleteValue(HKEY key, std::string_view valueName) = 0;

    // The value's data exactly as the registry stores it (strings as UTF-16LE, whatever their length or
    // content), as the W functions see it; and its counterpart storing exactly these bytes. What an
    // exact undo needs. ERROR_CALL_NOT_IMPLEMENTED where a registry has no such access.
    virtual Status RegQueryValueRaw(HKEY key, std::string_view valueName, uint32_t& type,
                                    std::string& bytes) {
        (void)key, (void)valueName, (void)type, (void)bytes;
        return kErrorCallNotImplemented;
    }
    virtual Status RegSetValueRaw(HKEY key, std::string_view valueName, uint32_t type,
                                  std::string_view bytes) {
        (void)key, (void)valueName, (void)type, (void)bytes;
        return kErrorCallNotImplemented;
    }
    static constexpr Status kErrorCallNotImplemented = static_cast<Status>(120);

    // Writes every change since the last save back to the backing store, atomically per file.
    // ERROR_SUCCESS when nothing changed.
    virtual Status Flush() = 0;
    // Why the last failing Flush failed, in one line for the user.
    virtual std::string LastError() const { return {}; }
    // Whether the last failing Flush left every backing file as it was (a registry of several files saves
    // them together, and takes back those already replaced when a later one fails). False only when that
    // too failed: some files then hold the changes and LastError() says which.
    virtual bool LastFlushWroteNothing() const { return true; }
};

} // namespace vx

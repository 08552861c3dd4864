#pragma once
// The live registry of the machine the program runs on, through advapi32's wide-character calls. Names
// and string data are converted between the program's UTF-8 and the registry's UTF-16 here, and the
// single-byte calls' buffer rules (sizes in UTF-8 bytes, ERROR_MORE_DATA for what does not fit) are kept
// exactly as the in-memory registry keeps them, so that the logic sees the same answers on every target.
#include "platform/handle_table.h"
#include "platform/registry.h"

#include <string>
#include <vector>

namespace vx {

class Win32Registry final : public Registry {
  public:
    Win32Registry() = default;
    Win32Registry(const Win32Registry&) = delete;
    Win32Registry& operator=(const Win32Registry&) = delete;
    ~Win32Registry() override;

    Status RegOpenKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result) override;
    Status RegCreateKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result,
                          bool* created = nullptr) override;
    Status RegCloseKey(HKEY key) override;
    Status RegEnumKeyEx(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize,
                        uint32_t* classSize = nullptr) override;
    Status RegEnumValue(HKEY key, uint32_t index, std::string& name, uint32_t& nameSize, uint32_t* type,
                        std::span<uint8_t> data, uint32_t* dataSize) override;
    Status RegQueryValueEx(HKEY key, std::string_view valueName, uint32_t* type, std::span<uint8_t> data,
                           uint32_t* dataSize) override;
    Status RegSetValueEx(HKEY key, std::string_view valueName, uint32_t type,
                         std::span<const uint8_t> data) override;
    Status RegDeleteValue(HKEY key, std::string_view valueName) override;
    Status RegQueryValueRaw(HKEY key, std::string_view valueName, uint32_t& type,
                            std::string& bytes) override;
    Status RegSetValueRaw(HKEY key, std::string_view valueName, uint32_t type,
                          std::string_view bytes) override;
    // Every change is in the registry the moment it is made.
    Status Flush() override { return ERROR_SUCCESS; }
    // Why the last change Windows refused was refused.
    std::string LastError() const override { return lastError_; }

    // RegDeleteKeyW of an empty key (for tests that clean up what they made).
    Status DeleteKey(HKEY parent, std::string_view subKey);
    // Handles currently open, not counting the predefined roots.
    size_t OpenHandleCount() const;

  private:
    struct Slot {
        void* native = nullptr; // the native HKEY
        HKEY root = 0;          // the predefined root the key lies below
        std::string path;       // its path below that root, for messages
    };

    // The native key of a handle (a predefined root or one of ours); null with `status` set when unknown.
    void* Native(HKEY key, Status& status) const;
    HKEY Keep(void* native, HKEY parent, std::string_view subKey);
    Status Refused(Status status, HKEY key, std::string_view what);

    HandleTable<Slot> handles_;
    std::string lastError_;
};

} // namespace vx

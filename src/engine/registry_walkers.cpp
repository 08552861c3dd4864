// The walkers that turn a section's starting key into a stream of registry entries for its checker.
#include "engine/registry_walkers.h"

#include "checks/check_context.h"
#include "checks/section_checkers.h"
#include "engine/scan_catalogue.h"
#include "platform/registry_access.h"
#include "platform/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <span>
#include <vector>

namespace vx {
namespace {

// The walkers read names and data into buffers of this size, as the program always has; a longer name
// or a value with more data ends the enumeration of its key.
constexpr uint32_t kBufferSize = 255;

// Closes the key however the walker leaves it.
class OpenKey {
  public:
    OpenKey(Registry& registry, HKEY key) : registry_(registry), key_(key) {}
    ~OpenKey() { registry_.RegCloseKey(key_); }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

  private:
    Registry& registry_;
    HKEY key_;
};

Status EnumSubkey(Registry& registry, HKEY key, uint32_t index, std::string& name) {
    uint32_t nameSize = kBufferSize;
    uint32_t classSize = kBufferSize;
    return registry.RegEnumKeyEx(key, index, name, nameSize, &classSize);
}

// The text a checker gets of a value's data (strings up to their first zero, DWORDs in signed
// decimal, nothing for other types), from the type and data its enumeration delivered: a value the walkers
// reach has at most 255 bytes of data, all of them in hand.
void TextFromData(uint32_t type, std::span<const uint8_t> data, std::string& text) {
    text.clear();
    const auto* begin = reinterpret_cast<const char*>(data.data());
    if (type == REG_SZ || type == REG_MULTI_SZ) {
        const void* zero = std::memchr(begin, 0, data.size());
        text.assign(begin, zero ? static_cast<const char*>(zero) - begin : data.size());
        return;
    }
    // A DWORD read into its 4-byte buffer: more data than that fails the read, less leaves zeros.
    if (type == REG_DWORD && data.size() <= 4) {
        std::array<uint8_t, 4> number{};
        std::memcpy(number.data(), begin, data.size());
        int32_t value = 0;
        std::memcpy(&value, number.data(), 4);
        char digits[16];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
        text.assign(digits, end);
    }
}

struct DispatchRow {
    std::string_view section;
    Checker checker;
};

const std::array<DispatchRow, 9> kDispatch{{
    {"ActiveX \\ COM", CheckComEntry},
    {"ActiveX \\ COM Subsections", CheckComEntry},
    {"Application Paths", CheckAppPathEntry},
    {"Help Files", CheckHelpEntry},
    {"Microsoft Shared", CheckSharedEntry},
    {"Windows Startup", CheckCommandLineEntry},
    {"Uninstall Section", CheckUninstallEntry},
    {"VxD Section", CheckVxdEntry},
    {"Windows Fonts", CheckFontEntry},
}};

// One walk: what stays the same all through it, and the buffers every key and value reuse. The entry
// handed to the checker is set up afresh for each value; its key path grows and shrinks with the walk.
struct Walk {
    Walk(CheckContext& check, RootKey root, const std::string& keyPath, const std::string& section,
         const std::string& rootName, bool showOnly)
        : check(check), registry(check.registry()),
          checker(showOnly ? nullptr : FindChecker(section)), entry{root, rootName, {},
                                                                    {},   section,  keyPath} {}

    CheckContext& check;
    Registry& registry;
    Checker checker; // none for a walk that only shows what it reads

    RegistryEntry entry;
    std::string subkeyName;
    std::array<uint8_t, kBufferSize> data{};
};

// The values of an open key, each read, shown and dispatched.
void VisitValues(Walk& walk, HKEY key) {
    WalkControl& run = walk.check.walk;
    RegistryEntry& entry = walk.entry;
    for (uint32_t i = 0;; ++i) {
        if (run.Cancelled())
            return;
        uint32_t nameSize = kBufferSize;
        uint32_t dataSize = kBufferSize;
        uint32_t type = REG_NONE;
        if (walk.registry.RegEnumValue(key, i, entry.valueName, nameSize, &type, walk.data, &dataSize) !=
            ERROR_SUCCESS)
            break;
        TextFromData(type, std::span(walk.data).first(std::min(dataSize, kBufferSize)), entry.valueText);
        run.ShowingItem(entry.valueText);
        if (run.Cancelled())
            return;
        if (walk.checker && !run.Cancelled())
            walk.checker(walk.check, entry);
        if (run.Cancelled())
            return;
        run.Yield();
    }
}

// Every key below an open key, depth first: each one's values, then its own subkeys. Each key is opened
// once, from its parent, for both its values and its subkeys. The keys on the way down are held on a
// stack of their own rather than the machine's, however deep the registry goes; a walk goes no deeper
// than a key may lie (`depth`: that of the starting key), and a subkey with an empty name is passed
// over (opening it would open its parent again).
void VisitSubkeys(Walk& walk, HKEY start, size_t depth) {
    WalkControl& run = walk.check.walk;
    std::string& path = walk.entry.keyPath;
    struct Level {
        HKEY key;
        uint32_t next = 0;       // the index of the subkey to enumerate next
        size_t parentLength = 0; // the key path's length without this key's name
    };
    // The starting key is the caller's to close; those below it are closed here however the walk ends.
    struct Levels {
        Registry& registry;
        std::vector<Level> stack;
        ~Levels() {
            for (size_t i = 1; i < stack.size(); ++i)
                registry.RegCloseKey(stack[i].key);
        }
    } levels{walk.registry, {{start}}};
    std::vector<Level>& stack = levels.stack;
    // The top key's subkeys are done: it is closed, and its parent's enumeration carries on, unless the
    // walk was cancelled, in which case the parents are done too.
    auto finishTop = [&] {
        while (stack.size() > 1) {
            const Level done = stack.back();
            stack.pop_back();
            walk.registry.RegCloseKey(done.key);
            path.resize(done.parentLength);
            if (!run.Cancelled()) {
                run.Yield();
                return;
            }
        }
        stack.clear();
    };
    while (!stack.empty()) {
        const HKEY key = stack.back().key;
        if (EnumSubkey(walk.registry, key, stack.back().next++, walk.subkeyName) != ERROR_SUCCESS) {
            finishTop();
            continue;
        }
        const size_t parentLength = path.size();
        path += '\\';
        path += walk.subkeyName;
        run.ShowingPlace(walk.subkeyName);
        HKEY handle = 0;
        if (!walk.subkeyName.empty() && depth + stack.size() <= kMaxKeyDepth &&
            walk.registry.RegOpenKey(key, walk.subkeyName, handle) == ERROR_SUCCESS) {
            stack.push_back({handle, 0, parentLength});
            VisitValues(walk, handle);
            continue;
        }
        path.resize(parentLength);
        if (run.Cancelled())
            finishTop();
        else
            run.Yield();
    }
}

} // namespace

Checker FindChecker(std::string_view section) {
    for (const auto& row : kDispatch)
        if (row.section == section)
            return row.checker;
    return nullptr;
}

void WalkRegistryKeys(CheckContext& check, RootKey root, const std::string& keyPath,
                      const std::string& section, const std::string& rootName, bool showOnly) {
    Registry& registry = check.registry();
    HKEY handle = 0;
    if (registry.RegOpenKeyEx(root, keyPath, KEY_ENUMERATE_SUB_KEYS, handle) != ERROR_SUCCESS)
        return;
    OpenKey key(registry, handle);
    Walk walk(check, root, keyPath, section, rootName, showOnly);
    VisitSubkeys(walk, key.get(), KeyDepth(keyPath));
}

void WalkRegistryValues(CheckContext& check, RootKey root, const std::string& keyPath,
                        const std::string& section, const std::string& rootName, bool showOnly) {
    Registry& registry = check.registry();
    HKEY handle = 0;
    if (registry.RegOpenKey(root, keyPath, handle) != ERROR_SUCCESS)
        return;
    OpenKey key(registry, handle);
    Walk walk(check, root, keyPath, section, rootName, showOnly);
    VisitValues(walk, key.get());
}

void ShowRegistrySubkeyNames(CheckContext& check, RootKey root, const std::string& keyPath) {
    Registry& registry = check.registry();
    HKEY handle = 0;
    if (registry.RegOpenKey(root, keyPath, handle) != ERROR_SUCCESS)
        return;
    OpenKey key(registry, handle);
    std::string name;
    for (uint32_t i = 0; !check.walk.Cancelled(); ++i) {
        if (EnumSubkey(registry, key.get(), i, name) != ERROR_SUCCESS)
            break;
        check.walk.ShowingPlace(std::string_view(name).substr(0, name.find('\\')));
        check.walk.Yield();
    }
}

} // namespace vx

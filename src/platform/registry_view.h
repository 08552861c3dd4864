#pragma once
// The Registry calls over in-memory stores, arranged as Windows arranges its registry:
//
//   \Registry\Machine          HKEY_LOCAL_MACHINE
//   \Registry\User             HKEY_USERS; its <SID> subkey is HKEY_CURRENT_USER
//   HKEY_CURRENT_CONFIG        \Registry\Machine\System\CurrentControlSet\Hardware Profiles\Current
//   HKEY_CLASSES_ROOT          HKLM\Software\Classes merged with HKCU\Software\Classes
//
// HKEY_CLASSES_ROOT: enumeration lists the union (a user key or value hides the machine's of the same
// name), reads prefer the user's key, and writes go to the user's key when it exists, else to the
// machine's; a value is deleted from whichever side it is read from (so that repair removes what the
// scan found); new keys go to the user's side when their deepest existing parent is there, except
// directly below the root, where they are the machine's.
//
// Symbolic links (keys marked as links, target in "SymbolicLinkValue") are listed like keys and followed
// when a path goes through them. A link that would land on a key already passed on the way, or on an
// ancestor of one, is not followed: the open fails, so a recursive walk cannot go round in circles.
#include "platform/handle_table.h"
#include "platform/registry.h"
#include "platform/registry_tree.h"

#include <array>
#include <cassert>
#include <memory>
#include <string>
#include <vector>

namespace vx {

class RegistryView : public Registry {
  public:
    // registryRoot: the \Registry key, with Machine and User below it.
    RegistryView(RegKeyNode& registryRoot, std::string userSid);

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
    Status Flush() override { return ERROR_SUCCESS; }
    // Why the last failing Flush, or the last write refused for its store, failed.
    std::string LastError() const override { return lastError_; }

    const std::string& UserSid() const { return userSid_; }
    // Handles currently open (not counting the predefined roots); for tests that check every open is closed.
    size_t OpenHandleCount() const { return handles_.OpenCount(); }

  protected:
    RegistryView() = default;
    void Attach(RegKeyNode& registryRoot, std::string userSid);

    std::string lastError_;

  private:
    static uint64_t GenerationOf(const RegKeyNode* key) { return key ? key->store->Generation() : 0; }

    // ERROR_ACCESS_DENIED for a write into `key`'s store, noting why when the store says.
    Status RefuseWrite(const RegKeyNode* key);

    // One side of an open key: the key reached, and the key each link on the way was taken from. The
    // keys passed on the way are those and their ancestors (and the key's own), so a link can be checked
    // against them without a copy of the whole path in every open handle.
    struct Side {
        RegKeyNode* key = nullptr;
        std::vector<const RegKeyNode*> linksTakenFrom;
    };
    struct OpenKey {
        Side main; // the key; in the merged classes view, the machine's side
        Side user; // merged classes view only: the user's side
        bool merged = false;
        uint32_t access = 0;
        // The lists of the merged view, each as of SidesGeneration().
        uint64_t subkeyGeneration = ~uint64_t{0};
        std::vector<std::pair<RegKeyNode*, RegKeyNode*>> subkeyList; // (user, machine)
        uint64_t valueGeneration = ~uint64_t{0};
        std::vector<std::pair<const RegKeyNode*, size_t>> valueList; // (owner, index)
    };

    // A path below a predefined root resolved by a recent open. A walk opens every key by its full path
    // from the root, so an open carries on from the longest such path instead of from the root.
    struct Resolved {
        HKEY root = 0;
        uint64_t generation = ~uint64_t{0}; // RegistryGeneration()
        uint64_t lastUse = 0;
        std::string path;
        Side main, user;
    };
    // The data of the value read last, as delivered: a walk enumerates a value and then queries it twice.
    struct Delivered {
        const RegistryStore* store = nullptr;
        RegValueRecord record;
        uint64_t generation = ~uint64_t{0}; // the store's
        std::string bytes;
    };

    // The subkey enumerated last, with its key on each side, and the value enumerated last: what the
    // next open or query most likely asks for.
    struct SubkeyHint {
        struct Side {
            const RegKeyNode* parent = nullptr;
            RegKeyNode* child = nullptr; // null: the parent has no subkey of that name
            uint64_t generation = 0;     // the parent's store's, when the hint was taken
        };
        std::string_view name;
        std::array<Side, 2> sides{};
    };
    struct ValueHint {
        uint64_t generation = ~uint64_t{0}; // SidesGeneration() of the handle
        HKEY handle = 0;
        const RegKeyNode* owner = nullptr;
        const RegValueRecord* value = nullptr;
    };

    // What the caches compare. Which key a path names can depend on any store of the registry (links
    // resolve from its root), so path caches count the changes of all of them; what was read through
    // an open key depends only on the stores of its sides. Counts only grow, so a sum of them stays the
    // same only while each of them does.
    uint64_t RegistryGeneration() const;
    static uint64_t SidesGeneration(const OpenKey& key);

    OpenKey* Lookup(HKEY key, Status& status);
    OpenKey* LookupRoot(HKEY key, Status& status);
    OpenKey* ValueReader(HKEY key, std::span<uint8_t> data, const uint32_t* dataSize, Status& status);
    RegKeyNode* Child(const RegKeyNode& parent, std::string_view name) const;
    const Resolved* FindResolved(HKEY root, std::string_view path);
    void Remember(HKEY root, std::string_view path, const OpenKey& opened);
    const std::string& DeliveredData(const RegKeyNode& owner, const RegValueRecord& value);
    bool BuildRoot(HKEY root, OpenKey& out);
    Side SideAt(std::string_view nsPath);
    bool Step(Side& side, std::string_view name) const;
    bool Walk(Side& side, std::string_view path) const;
    RegKeyNode* ResolveLink(const RegKeyNode& link, int depth) const;
    bool IsSynthetic(const RegKeyNode* key) const { return key && key->store == registryRoot_->store; }
    uint32_t GrantAccess(const OpenKey& key, uint32_t requested, Status& status) const;
    Status CreatePath(Side& side, const std::vector<std::string_view>& parts, size_t from, bool& created);
    const std::vector<std::pair<RegKeyNode*, RegKeyNode*>>& MergedSubkeys(OpenKey& key);
    const std::vector<std::pair<const RegKeyNode*, size_t>>& MergedValues(OpenKey& key);
    const RegValueRecord* FindValue(const OpenKey& key, std::string_view name,
                                    const RegKeyNode** owner) const;

    RegKeyNode* registryRoot_ = nullptr;
    std::string userSid_;
    HandleTable<OpenKey> handles_;
    // The predefined roots, by their handle's offset from HKEY_CLASSES_ROOT, built when first used.
    std::array<std::unique_ptr<OpenKey>, 7> roots_;
    std::array<uint64_t, 7> rootGeneration_{}; // RegistryGeneration() when each was built
    // The handle looked up last, since calls on one handle come in runs.
    HKEY lastHandle_ = 0;
    OpenKey* lastKey_ = nullptr;
    std::array<Resolved, 16> resolved_;
    uint64_t resolveClock_ = 0;
    Delivered delivered_;
    SubkeyHint subkeyHint_;
    ValueHint valueHint_;
};

// Splits a key path at backslashes, dropping empty parts ("a\\b\" → a, b).
std::vector<std::string_view> SplitKeyPath(std::string_view path);

} // namespace vx

// The Registry calls over in-memory stores, arranged as Windows arranges its registry.
#include "platform/registry_view.h"

#include "platform/root_keys.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cassert>
#include <cstring>

namespace vx {
namespace {

constexpr uint32_t kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | 0x0020 /*KEY_CREATE_LINK*/ |
                                  0x00010000 /*DELETE*/ | 0x00040000 /*WRITE_DAC*/ |
                                  0x00080000 /*WRITE_OWNER*/;
// Deep enough for any real chain of links, small enough to stop a chain that points at itself.
constexpr int kMaxLinkDepth = 16;

// The size of an enumeration list worth keeping in a closed slot.
constexpr size_t kKeptListSize = 1024;

// The changes of `store` and of every store mounted below it.
uint64_t GenerationBelow(const RegistryStore& store) {
    uint64_t sum = store.Generation();
    for (const RegistryStore* mounted : store.Mounted())
        sum += GenerationBelow(*mounted);
    return sum;
}

// How far below the root of its own store (its file) a key lies.
size_t DepthInStore(const RegKeyNode& key) {
    size_t depth = 0;
    for (const RegKeyNode* k = &key; k->parent && k != k->store->Root(); k = k->parent)
        ++depth;
    return depth;
}

} // namespace

std::vector<std::string_view> SplitKeyPath(std::string_view path) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start)
            parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

RegistryView::RegistryView(RegKeyNode& registryRoot, std::string userSid) {
    Attach(registryRoot, std::move(userSid));
}

void RegistryView::Attach(RegKeyNode& registryRoot, std::string userSid) {
    registryRoot_ = &registryRoot;
    userSid_ = std::move(userSid);
}

uint64_t RegistryView::RegistryGeneration() const {
    return GenerationBelow(*registryRoot_->store);
}

uint64_t RegistryView::SidesGeneration(const OpenKey& key) {
    return GenerationOf(key.main.key) + GenerationOf(key.user.key);
}

RegKeyNode* RegistryView::ResolveLink(const RegKeyNode& link, int depth) const {
    if (depth > kMaxLinkDepth)
        return nullptr;
    const RegValueRecord* target = link.store->FindValue(link, "SymbolicLinkValue");
    if (!target || target->type() != REG_LINK)
        return nullptr;
    std::string scratch;
    const std::string path = Utf16ToWtf8(link.store->ValueBytes(*target, scratch));
    const auto parts = SplitKeyPath(path);
    if (parts.empty() || CompareRegistryNames(parts[0], registryRoot_->name) != 0)
        return nullptr;
    RegKeyNode* key = registryRoot_;
    for (size_t i = 1; i < parts.size() && key; ++i) {
        key = key->store->FindSubkey(*key, parts[i]);
        if (key && key->link)
            key = ResolveLink(*key, depth + 1);
    }
    return key;
}

RegKeyNode* RegistryView::Child(const RegKeyNode& parent, std::string_view name) const {
    // Opening a key just enumerated needs no search: names are unique within a key, so the enumerated
    // child is the one a search would find, while the parent's store has not changed.
    for (const SubkeyHint::Side& side : subkeyHint_.sides) {
        if (side.parent != &parent)
            continue;
        if (side.generation == parent.store->Generation() && name == subkeyHint_.name) {
            assert(!side.child || side.child->parent == &parent);
            return side.child;
        }
        break;
    }
    return parent.store->FindSubkey(parent, name);
}

bool RegistryView::Step(Side& side, std::string_view name) const {
    RegKeyNode* child = Child(*side.key, name);
    if (!child)
        return false;
    if (child->link) {
        RegKeyNode* target = ResolveLink(*child, 0);
        if (!target)
            return false;
        auto passedBelow = [target](const RegKeyNode* key) {
            for (const RegKeyNode* up = key; up; up = up->parent)
                if (up == target)
                    return true;
            return false;
        };
        if (passedBelow(side.key) ||
            std::any_of(side.linksTakenFrom.begin(), side.linksTakenFrom.end(), passedBelow))
            return false;
        side.linksTakenFrom.push_back(side.key);
        child = target;
    }
    side.key = child;
    return true;
}

bool RegistryView::Walk(Side& side, std::string_view path) const {
    if (!side.key)
        return false;
    // As SplitKeyPath, without building the list.
    for (size_t start = 0; start < path.size();) {
        size_t end = path.find('\\', start);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > start && !Step(side, path.substr(start, end - start)))
            return false;
        start = end + 1;
    }
    return true;
}

RegistryView::Side RegistryView::SideAt(std::string_view nsPath) {
    Side side{registryRoot_, {}};
    if (!Walk(side, nsPath))
        return Side{};
    return side;
}

bool RegistryView::BuildRoot(HKEY root, OpenKey& out) {
    out.access = KEY_ALL_ACCESS;
    switch (root) {
    case HKEY_LOCAL_MACHINE:
        out.main = SideAt("Machine");
        return out.main.key != nullptr;
    case HKEY_USERS:
        out.main = SideAt("User");
        return out.main.key != nullptr;
    case HKEY_CURRENT_USER:
        out.main = SideAt("User\\" + userSid_);
        return out.main.key != nullptr;
    case HKEY_CURRENT_CONFIG:
        out.main = SideAt("Machine\\System\\CurrentControlSet\\Hardware Profiles\\Current");
        return out.main.key != nullptr;
    case HKEY_CLASSES_ROOT:
        out.merged = true;
        out.main = SideAt("Machine\\Software\\Classes");
        out.user = SideAt("User\\" + userSid_ + "\\Software\\Classes");
        return true;
    default:
        return false;
    }
}

RegistryView::OpenKey* RegistryView::Lookup(HKEY key, Status& status) {
    status = ERROR_SUCCESS;
    if (key == lastHandle_ && lastKey_) { // never a predefined root
        assert(handles_.Find(key) == lastKey_);
        return lastKey_;
    }
    if (IsPredefinedRoot(key))
        return LookupRoot(key, status);
    OpenKey* open = handles_.Find(key);
    if (!open) {
        status = ERROR_INVALID_HANDLE;
        return nullptr;
    }
    lastHandle_ = key;
    lastKey_ = open;
    return lastKey_;
}

RegistryView::OpenKey* RegistryView::LookupRoot(HKEY key, Status& status) {
    const size_t index = key - 0x80000000u;
    assert(index < roots_.size());
    auto& slot = roots_[index];
    uint64_t& generation = rootGeneration_[index];
    const uint64_t now = RegistryGeneration();
    if (!slot || generation != now) {
        auto fresh = std::make_unique<OpenKey>();
        if (!BuildRoot(key, *fresh)) {
            status = key == HKEY_CURRENT_CONFIG ? ERROR_FILE_NOT_FOUND : ERROR_INVALID_HANDLE;
            slot.reset();
            return nullptr;
        }
        slot = std::move(fresh);
        generation = now;
        // The hint's value was found through the root's old sides, which the fresh ones may not be.
        if (valueHint_.handle == key)
            valueHint_ = {};
    }
    return slot.get();
}

const RegistryView::Resolved* RegistryView::FindResolved(HKEY root, std::string_view path) {
    const uint64_t generation = RegistryGeneration();
    Resolved* best = nullptr;
    for (Resolved& r : resolved_) {
        if (r.root != root || r.generation != generation || r.path.size() > path.size() ||
            (best && r.path.size() <= best->path.size()))
            continue;
        // Only a whole number of path components can be carried on from.
        const size_t n = r.path.size();
        if (n != 0 && n != path.size() && path[n] != '\\' && r.path.back() != '\\')
            continue;
        // Paths met in a walk differ mostly in their last name: its end rules most of them out at once.
        if (n != 0 && r.path.back() != path[n - 1])
            continue;
        if (path.substr(0, n) == r.path)
            best = &r;
    }
    if (best)
        best->lastUse = ++resolveClock_;
    return best;
}

void RegistryView::Remember(HKEY root, std::string_view path, const OpenKey& opened) {
    // The caller found no entry for this very path, so the least recently used one makes room.
    Resolved* slot = &resolved_[0];
    for (Resolved& r : resolved_)
        if (r.lastUse < slot->lastUse)
            slot = &r;
    slot->root = root;
    slot->generation = RegistryGeneration();
    slot->lastUse = ++resolveClock_;
    slot->path.assign(path);
    slot->main = opened.main;
    slot->user = opened.user;
}

uint32_t RegistryView::GrantAccess(const OpenKey& key, uint32_t requested, Status& status) const {
    status = ERROR_SUCCESS;
    bool writable = true;
    for (const Side* side : {&key.main, &key.user})
        if (side->key && !side->key->store->Writable())
            writable = false;
    if (requested & MAXIMUM_ALLOWED)
        return KEY_READ | (writable ? KEY_ALL_ACCESS : 0);
    // A store that cannot be written (a hive Windows did not close cleanly) still opens for reading
    // when write access is asked for: the folders a scan reads must not vanish with it. The write itself
    // is then refused, since the handle lacks the write rights.
    if ((requested & kWriteAccess) && !writable)
        return requested & ~kWriteAccess;
    return requested;
}

Status RegistryView::RegOpenKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result) {
    Status status;
    OpenKey* base = Lookup(parent, status);
    if (!base)
        return status;
    if (!subKey.empty() && subKey.front() == '\\')
        return ERROR_BAD_PATHNAME;
    HKEY handle = 0;
    OpenKey* opened = &handles_.Next(handle);
    opened->merged = base->merged;
    // Resolving a path gives the same keys whether it starts at the root or at a part of the path
    // resolved before, as long as nothing changed in between.
    const bool fromRoot = IsPredefinedRoot(parent);
    const Resolved* known = fromRoot ? FindResolved(parent, subKey) : nullptr;
    std::string_view rest = subKey;
    if (known) {
        opened->main = known->main;
        opened->user = known->user;
        rest = subKey.substr(known->path.size());
    } else {
        opened->main = base->main;
        opened->user = base->user;
    }
    const bool mainFound = Walk(opened->main, rest);
    if (!mainFound)
        opened->main = Side{};
    if (base->merged) {
        if (!Walk(opened->user, rest))
            opened->user = Side{};
        if (!opened->main.key && !opened->user.key && !subKey.empty())
            return ERROR_FILE_NOT_FOUND;
    } else if (!mainFound) {
        return ERROR_FILE_NOT_FOUND;
    }
    opened->access = GrantAccess(*opened, access, status);
    if (status != ERROR_SUCCESS)
        return status;
    if (fromRoot && !(known && known->path.size() == subKey.size()))
        Remember(parent, subKey, *opened);
    handles_.Take(handle);
    result = handle;
    return ERROR_SUCCESS;
}

Status RegistryView::CreatePath(Side& side, const std::vector<std::string_view>& parts, size_t from,
                                bool& created) {
    size_t i = from;
    while (i < parts.size() && Step(side, parts[i]))
        ++i;
    if (i == parts.size())
        return ERROR_SUCCESS;
    if (side.key->store->FindSubkey(*side.key, parts[i]))
        return ERROR_FILE_NOT_FOUND; // a link that leads nowhere or into a loop
    if (IsSynthetic(side.key) || !side.key->store->Writable())
        return RefuseWrite(side.key);
    // Refused before anything is made, so that a failed create leaves no part of its path behind.
    if (std::any_of(parts.begin() + static_cast<ptrdiff_t>(i), parts.end(),
                    [](std::string_view part) { return part.size() > 255; }))
        return ERROR_INVALID_PARAMETER;
    if (DepthInStore(*side.key) + (parts.size() - i) > kMaxKeyDepth)
        return ERROR_BADKEY;
    for (; i < parts.size(); ++i)
        side.key = side.key->store->CreateSubkey(*side.key, parts[i]);
    created = true;
    return ERROR_SUCCESS;
}

Status RegistryView::RegCreateKeyEx(HKEY parent, std::string_view subKey, uint32_t access, HKEY& result,
                                    bool* created) {
    if (created)
        *created = false;
    Status status;
    OpenKey* base = Lookup(parent, status);
    if (!base)
        return status;
    if (!subKey.empty() && subKey.front() == '\\')
        return ERROR_BAD_PATHNAME;
    const auto parts = SplitKeyPath(subKey);
    bool made = false;
    if (!base->merged) {
        Side side = base->main;
        if ((status = CreatePath(side, parts, 0, made)) != ERROR_SUCCESS)
            return status;
    } else {
        // Find the deepest existing key of the merged view; the new keys go below whichever side has it,
        // the user's first.
        Side user = base->user, machine = base->main;
        size_t depth = 0;
        for (; depth < parts.size(); ++depth) {
            Side nextUser = user, nextMachine = machine;
            const bool inUser = nextUser.key && Step(nextUser, parts[depth]);
            const bool inMachine = nextMachine.key && Step(nextMachine, parts[depth]);
            if (!inUser && !inMachine)
                break;
            user = inUser ? nextUser : Side{};
            machine = inMachine ? nextMachine : Side{};
        }
        if (depth < parts.size()) {
            // Below the classes root itself new keys are the machine's, as on Windows; deeper down they
            // follow their parent.
            const bool atRoot = depth == 0 && parent == HKEY_CLASSES_ROOT;
            Side target = user.key && !atRoot ? user : machine;
            if (!target.key) {
                // No classes key on either side yet: the machine's is where Windows keeps the defaults.
                target = SideAt("Machine");
                if ((status = CreatePath(target, {"Software", "Classes"}, 0, made)) != ERROR_SUCCESS)
                    return status;
            }
            if ((status = CreatePath(target, parts, depth, made)) != ERROR_SUCCESS)
                return status;
        }
    }
    if (created)
        *created = made;
    return RegOpenKeyEx(parent, subKey, access, result);
}

Status RegistryView::RegCloseKey(HKEY key) {
    if (IsPredefinedRoot(key))
        return ERROR_SUCCESS;
    OpenKey* closed = handles_.Find(key);
    if (!closed)
        return ERROR_INVALID_HANDLE;
    if (key == lastHandle_) {
        lastHandle_ = 0;
        lastKey_ = nullptr;
    }
    if (key == valueHint_.handle)
        valueHint_ = {};
    // The record stays for the next open: its vectors keep their room, unless a huge list would stay held.
    OpenKey& k = *closed;
    k.merged = false;
    k.access = 0;
    for (Side* side : {&k.main, &k.user}) {
        side->key = nullptr;
        side->linksTakenFrom.clear();
    }
    k.subkeyGeneration = ~uint64_t{0};
    k.valueGeneration = ~uint64_t{0};
    k.subkeyList.clear();
    k.valueList.clear();
    if (k.subkeyList.capacity() > kKeptListSize)
        k.subkeyList.shrink_to_fit();
    if (k.valueList.capacity() > kKeptListSize)
        k.valueList.shrink_to_fit();
    handles_.Release(key);
    return ERROR_SUCCESS;
}

} // namespace vx

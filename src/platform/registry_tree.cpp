// The in-memory registry that the file-backed backends load into: one RegistryStore per backing file
// (a Wine .reg file, a regf hive), each a tree of keys with their values.
#include "platform/registry_tree.h"

#include "platform/large_pages.h"
#include "platform/registry.h"
#include "platform/text.h"
#include "platform/utf16.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <new>

namespace vx {
namespace {

inline unsigned char Upper(unsigned char c) {
    return (c >= 'a' && c <= 'z') ? c - 32 : c;
}

[[maybe_unused]] bool IsAtOrBelow(const RegKeyNode& key, const RegKeyNode& ancestor) {
    for (const RegKeyNode* k = &key; k; k = k->parent)
        if (k == &ancestor)
            return true;
    return false;
}

// A name's UTF-16 unit as Wine upper-cases it: each unit alone, so that a character beyond the basic plane
// (a pair of surrogates) and an unpaired surrogate keep their units.
inline char16_t UpperUnit(char16_t unit) {
    if (unit >= 0xD800 && unit < 0xE000)
        return unit;
    const char32_t upper = FoldCaseChar(unit);
    return upper <= 0xFFFF ? static_cast<char16_t>(upper) : unit;
}

// Wine's (and NTFS's) order: the upper-cased UTF-16 units, then the shorter name first. Not the order of
// the UTF-8 bytes, which puts characters beyond the basic plane after U+FFFF rather than among the
// surrogates.
int CompareUpperUnits(std::string_view a, std::string_view b) {
    Wtf8UnitReader ra(a), rb(b);
    for (;;) {
        char16_t ua = 0, ub = 0;
        const bool moreA = ra.Next(ua), moreB = rb.Next(ub);
        if (!moreA || !moreB)
            return moreA == moreB ? 0 : (moreA ? 1 : -1);
        ua = UpperUnit(ua);
        ub = UpperUnit(ub);
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
}

} // namespace

int CompareRegistryNames(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        // Everything before i is ASCII, so i starts a character in both names.
        if ((ca | cb) & 0x80)
            return CompareUpperUnits(a.substr(i), b.substr(i));
        const unsigned char ua = Upper(ca), ub = Upper(cb);
        if (ua != ub)
            return ua < ub ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

namespace {

// The name a value's text begins with, read as a loader reads it: after blanks, `@` (the unnamed value) or
// the text between the first two quotes.
std::string_view NameAtStart(std::string_view text) {
    size_t p = 0;
    while (p < text.size() && (text[p] == ' ' || text[p] == '\t' || text[p] == '\v' || text[p] == '\f'))
        ++p;
    if (p == text.size() || text[p] != '"')
        return {};
    const size_t close = text.find('"', p + 1);
    return close == std::string_view::npos ? std::string_view() : text.substr(p + 1, close - p - 1);
}

uint32_t ReadSize(const char* at) {
    uint32_t size;
    std::memcpy(&size, at, sizeof size);
    return size;
}

char* PutSize(char* at, size_t size) {
    assert(size <= ~uint32_t{0});
    const auto size32 = static_cast<uint32_t>(size);
    std::memcpy(at, &size32, sizeof size32);
    return at + sizeof size32;
}

char* Put(char* at, std::string_view text) {
    if (!text.empty())
        std::memcpy(at, text.data(), text.size());
    return at + text.size();
}

} // namespace

RegValueRecord RegValueRecord::Stored(Arena& arena, std::string_view name, uint32_t type,
                                      std::string_view bytes) {
    // The name's size, the name, the bytes.
    char* place = arena.Allocate(sizeof(uint32_t) + name.size() + bytes.size());
    Put(Put(PutSize(place, name.size()), name), bytes);
    assert(bytes.size() <= ~uint32_t{0});
    return {place, static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(Kind::Stored) << kKindShift,
            type};
}

RegValueRecord RegValueRecord::InText(Arena& arena, std::string_view name, uint32_t type,
                                      std::string_view source, size_t dataOffset, TextForm form) {
    assert(dataOffset > 0 && dataOffset <= kMaxDataOffset && dataOffset <= source.size());
    assert(source.size() <= ~uint32_t{0});
    const auto length = static_cast<uint32_t>(source.size());
    const uint32_t word = static_cast<uint32_t>(dataOffset) | (static_cast<uint32_t>(form) << kFormShift);
    auto record = [&](const char* place, Kind kind) {
        return RegValueRecord(place, length, word | (static_cast<uint32_t>(kind) << kKindShift), type);
    };
    if (dataOffset >= 3 && source.substr(1, dataOffset - 3) == name)
        return record(source.data(), Kind::Quoted);
    if (NameAtStart(source) == name)
        return record(source.data(), Kind::Loose);
    // The text's address, the name's size, the name.
    char* place = arena.Allocate(sizeof(const char*) + sizeof(uint32_t) + name.size());
    const char* text = source.data();
    std::memcpy(place, &text, sizeof text);
    Put(PutSize(place + sizeof text, name.size()), name);
    return record(place, Kind::Named);
}

std::string_view RegValueRecord::OtherName() const {
    const char* p = place();
    switch (kind()) {
    case Kind::Stored:
        return p ? std::string_view(p + sizeof(uint32_t), ReadSize(p)) : std::string_view();
    case Kind::Quoted:
        return {p + 1, dataOffset() - 3};
    case Kind::Loose:
        return NameAtStart({p, length_});
    case Kind::Named:
        return {p + sizeof(const char*) + sizeof(uint32_t), ReadSize(p + sizeof(const char*))};
    }
    return {};
}

std::string_view RegValueRecord::source() const {
    switch (kind()) {
    case Kind::Stored:
        return {};
    case Kind::Named: {
        const char* text;
        std::memcpy(&text, place(), sizeof text);
        return {text, length_};
    }
    default:
        return {place(), length_};
    }
}

std::string_view RegValueRecord::data() const {
    if (kind() != Kind::Stored)
        return source().substr(dataOffset());
    const char* p = place();
    return p ? std::string_view(p + sizeof(uint32_t) + ReadSize(p), length_) : std::string_view();
}

std::string_view Arena::Copy(std::string_view text) {
    if (text.empty())
        return {};
    char* p = Allocate(text.size());
    std::memcpy(p, text.data(), text.size());
    return {p, text.size()};
}

char* Arena::Allocate(size_t size) {
    // Blocks grow with the store, so that a large registry takes its memory in a few large blocks (in
    // large pages where the kernel has them) while a small one stays small. They are left uninitialised:
    // every byte handed out is written by its taker.
    constexpr size_t kFirstBlock = 64 * 1024, kLargestBlock = 4 * kLargePage;
    if (size > std::max(blockSize_, kFirstBlock) / 4) {
        blocks_.push_back(std::unique_ptr<char[]>(new char[size]));
        return blocks_.back().get();
    }
    if (size > left_) {
        blockSize_ = blockSize_ == 0 ? kFirstBlock : std::min(blockSize_ * 2, kLargestBlock);
        if (blockSize_ == kLargestBlock) {
            // One large page more than needed, so that the block can begin on a large page.
            blocks_.push_back(std::unique_ptr<char[]>(new char[blockSize_ + kLargePage]));
            const auto address = reinterpret_cast<uintptr_t>(blocks_.back().get());
            next_ = reinterpret_cast<char*>((address + kLargePage - 1) & ~(uintptr_t{kLargePage} - 1));
            AskForLargePages(next_, blockSize_);
        } else {
            blocks_.push_back(std::unique_ptr<char[]>(new char[blockSize_]));
            next_ = blocks_.back().get();
        }
        left_ = blockSize_;
    }
    char* p = next_;
    next_ += size;
    left_ -= size;
    return p;
}

namespace {

// A block of keys large enough for large pages begins on one.
std::align_val_t KeyAlignment(size_t capacity) {
    return std::align_val_t{capacity * sizeof(RegKeyNode) >= kLargePage ? kLargePage : alignof(RegKeyNode)};
}

} // namespace

RegKeyNode& RegistryStore::NewKey() {
    constexpr size_t kFirstBlock = 256, kLargestBlock = (4 * kLargePage) / sizeof(RegKeyNode);
    if (keyBlocks_.empty() || keyBlocks_.back().used == keyBlocks_.back().capacity) {
        const size_t capacity =
            keyBlocks_.empty() ? kFirstBlock : std::min(keyBlocks_.back().capacity * 2, kLargestBlock);
        auto* keys =
            static_cast<RegKeyNode*>(::operator new(capacity * sizeof(RegKeyNode), KeyAlignment(capacity)));
        AskForLargePages(keys, capacity * sizeof(RegKeyNode));
        keyBlocks_.push_back({keys, capacity, 0});
    }
    KeyBlock& block = keyBlocks_.back();
    return *new (block.keys + block.used++) RegKeyNode();
}

RegistryStore::RegistryStore(ValueOrder order, std::string rootName) : order_(order) {
    root_ = &NewKey();
    root_->store = this;
    root_->name = arena_.Copy(rootName);
}

RegistryStore::~RegistryStore() {
    for (const KeyBlock& block : keyBlocks_) {
        std::destroy_n(block.keys, block.used);
        ::operator delete(block.keys, KeyAlignment(block.capacity));
    }
}

namespace {

// Where a subkey of that name is, or would go.
size_t SubkeyBound(const SubkeyList& subs, std::string_view name) {
    const auto it =
        std::lower_bound(subs.begin(), subs.end(), name, [](const RegKeyNode* k, std::string_view n) {
            return CompareRegistryNames(k->name, n) < 0;
        });
    return static_cast<size_t>(it - subs.begin());
}

} // namespace

RegKeyNode* RegistryStore::FindSubkey(const RegKeyNode& parent, std::string_view name) const {
    const SubkeyList& subs = parent.subkeys;
    const size_t i = SubkeyBound(subs, name);
    return i < subs.size() && CompareRegistryNames(subs[i]->name, name) == 0 ? subs[i] : nullptr;
}

RegKeyNode* RegistryStore::AddLoadedKey(RegKeyNode& parent, std::string_view name) {
    assert(parent.store == this);
    SubkeyList& subs = parent.subkeys;
    // Files list keys in order, so a new key nearly always goes last.
    size_t at = subs.size();
    if (!subs.empty()) {
        const int c = CompareRegistryNames(subs.back()->name, name);
        if (c == 0)
            return subs[subs.size() - 1];
        if (c > 0) {
            at = SubkeyBound(subs, name);
            if (CompareRegistryNames(subs[at]->name, name) == 0)
                return subs[at];
        }
    }
    RegKeyNode* key = &NewKey();
    key->name = name;
    key->parent = &parent;
    key->store = this;
    subs.Insert(arena_, at, key);
    return key;
}

RegKeyNode* RegistryStore::CreateSubkey(RegKeyNode& parent, std::string_view name) {
    if (RegKeyNode* existing = FindSubkey(parent, name))
        return existing;
    RegKeyNode* key = AddLoadedKey(parent, arena_.Copy(name));
    key->dirty = true;
    MarkChanged(nullptr);
    return key;
}

void RegistryStore::Mount(RegKeyNode& parent, RegKeyNode& foreignRoot, std::string_view name) {
    // Each store counts only its own changes, so the key that gains a subkey must be this store's; and the
    // keys must stay a tree.
    assert(parent.store == this && foreignRoot.store != this);
    assert(&foreignRoot == foreignRoot.store->Root() && !foreignRoot.parent);
    assert(!IsAtOrBelow(parent, foreignRoot));
    foreignRoot.name = foreignRoot.store->Strings().Copy(name);
    foreignRoot.parent = &parent;
    parent.subkeys.Insert(arena_, SubkeyBound(parent.subkeys, foreignRoot.name), &foreignRoot);
    mounted_.push_back(foreignRoot.store);
    // The mounted root changed too: it has a name and a parent now.
    ++generation_;
    ++foreignRoot.store->generation_;
}

size_t RegistryStore::LowerBound(const ValueList& values, std::string_view name) const {
    auto it =
        std::lower_bound(values.begin(), values.end(), name, [](const RegValueRecord& v, std::string_view n) {
            return CompareRegistryNames(v.name(), n) < 0;
        });
    return static_cast<size_t>(it - values.begin());
}

std::string_view RegistryStore::ClassName(const RegKeyNode& key) const {
    const auto found = classNames_.find(&key);
    return found == classNames_.end() ? std::string_view() : found->second;
}

void RegistryStore::SetClassName(const RegKeyNode& key, std::string_view className) {
    assert(key.store == this);
    classNames_[&key] = className;
}

const RegValueRecord* RegistryStore::FindValue(const RegKeyNode& key, std::string_view name) const {
    if (order_ == ValueOrder::Sorted) {
        const size_t i = LowerBound(key.values, name);
        if (i < key.values.size() && CompareRegistryNames(key.values[i].name(), name) == 0)
            return &key.values[i];
        return nullptr;
    }
    for (const auto& v : key.values)
        if (CompareRegistryNames(v.name(), name) == 0)
            return &v;
    return nullptr;
}

std::string_view RegistryStore::ValueBytes(const RegValueRecord& value, std::string& scratch) const {
    if (!value.inText())
        return value.data();
    scratch = DecodeText(value);
    return scratch;
}

void RegistryStore::AnsiData(const RegValueRecord& value, std::string& out) const {
    std::string scratch;
    const std::string_view stored = ValueBytes(value, scratch);
    out.clear();
    const uint32_t type = value.type();
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ)
        AppendUtf16AsUtf8(stored, out);
    else
        out.assign(stored);
}

std::string RegistryStore::DecodeText(const RegValueRecord&) const {
    return {};
}

void RegistryStore::SetValue(RegKeyNode& key, std::string_view name, uint32_t type, std::string_view bytes) {
    assert(key.store == this);
    RegValueRecord* slot = const_cast<RegValueRecord*>(FindValue(key, name));
    const RegValueRecord stored = RegValueRecord::Stored(arena_, slot ? slot->name() : name, type, bytes);
    if (!slot) {
        const RegValueRecord& fresh = stored;
        const size_t at = order_ == ValueOrder::Sorted ? LowerBound(key.values, name) : key.values.size();
        slot = &key.values.Insert(arena_, at, fresh);
    }
    *slot = stored;
    MarkChanged(&key);
}

bool RegistryStore::DeleteValue(RegKeyNode& key, std::string_view name) {
    assert(key.store == this);
    const RegValueRecord* found = FindValue(key, name);
    if (!found)
        return false;
    key.values.Erase(static_cast<size_t>(found - key.values.data()));
    MarkChanged(&key);
    return true;
}

void RegistryStore::AddLoadedValues(RegKeyNode& key, std::vector<RegValueRecord>& values) {
    assert(key.store == this);
    if (values.empty())
        return;
    if (order_ == ValueOrder::Stored) {
        if (key.values.empty())
            key.values.Assign(arena_, values);
        else
            for (const auto& v : values)
                key.values.Insert(arena_, key.values.size(), v);
        values.clear();
        return;
    }
    bool strictlySorted = key.values.empty();
    for (size_t i = 1; strictlySorted && i < values.size(); ++i)
        strictlySorted = CompareRegistryNames(values[i - 1].name(), values[i].name()) < 0;
    if (strictlySorted) {
        key.values.Assign(arena_, values);
        values.clear();
        return;
    }
    for (auto& v : values) {
        const size_t i = LowerBound(key.values, v.name());
        if (i < key.values.size() && CompareRegistryNames(key.values[i].name(), v.name()) == 0)
            key.values[i] = v;
        else
            key.values.Insert(arena_, i, v);
    }
    values.clear();
}

void RegistryStore::MarkChanged(RegKeyNode* key) {
    if (key)
        key->dirty = true;
    changed_ = true;
    ++generation_;
}

} // namespace vx

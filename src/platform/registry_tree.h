#pragma once
// The in-memory registry that the file-backed backends load into: one RegistryStore per backing file
// (a Wine .reg file, a regf hive), each a tree of keys with their values.
//
// Built for large registries: names and data are views into the loaded file text or into the store's
// arena, keys live in one pool, and a value costs one small record. Values whose data is still in the
// backing file's own text form are decoded only when read.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace vx {

class RegistryStore;

// Orders names as Wine and NTFS do: by the UTF-16 units of the upper-cased names (non-ASCII letters folded
// too). Names are WTF-8 (Utf16ToWtf8), so that every name keeps its exact units.
int CompareRegistryNames(std::string_view a, std::string_view b);

// Bump allocator for names and data that outlive a call; freed with the store.
class Arena {
  public:
    std::string_view Copy(std::string_view text);
    char* Allocate(size_t size);
    // Room for `count` objects of T, aligned for T (only for objects that need no destruction).
    template <class T> T* AllocateArray(size_t count) {
        static_assert(std::is_trivially_destructible_v<T> && alignof(T) <= alignof(std::max_align_t));
        char* p = Allocate(count * sizeof(T) + alignof(T) - 1);
        const auto address = reinterpret_cast<uintptr_t>(p);
        return reinterpret_cast<T*>((address + alignof(T) - 1) & ~(uintptr_t{alignof(T)} - 1));
    }

  private:
    std::vector<std::unique_ptr<char[]>> blocks_;
    char* next_ = nullptr;
    size_t left_ = 0;
    size_t blockSize_ = 0; // of the newest block
};

// One value, in 20 bytes: a million of them is what a large registry holds. A loaded value points at its
// text in the backing file and reads its name back from there; what does not fit there (a name that is
// not its line's text as it stands, the name and bytes of a value the program set) lies in the store's
// arena, and the value points there instead.
class RegValueRecord {
  public:
    // A value set by the program: the data as the registry stores it (strings as UTF-16LE). The name and
    // the bytes are copied into `arena`.
    static RegValueRecord Stored(Arena& arena, std::string_view name, uint32_t type, std::string_view bytes);
    // What a loader found the data in the file's text to be, so that reading it need not scan it again: a
    // quoted string that ends the text and holds no escape, or only backslashes before backslashes and
    // quotes.
    enum class TextForm : uint32_t { Unknown = 0, PlainString = 1, BackslashEscapedString = 2 };
    // The furthest into its text a value's data may begin (a name of a quarter of a thousand million
    // characters).
    static constexpr size_t kMaxDataOffset = (size_t{1} << 28) - 1;
    // A value as its backing file holds it: `source` is its whole text there (`"name"=…` or `@=…`), the
    // data in the backend's own notation begins `dataOffset` (> 0) characters into it and is decoded on
    // reading. `name` is copied into `arena` only when it is not the text between the line's quotes.
    static RegValueRecord InText(Arena& arena, std::string_view name, uint32_t type, std::string_view source,
                                 size_t dataOffset, TextForm form = TextForm::Unknown);
    RegValueRecord() = default;
    // Same name, type and data, held at the same place.
    bool operator==(const RegValueRecord&) const = default;

    // WTF-8; empty for the unnamed value. Read for every comparison, so the usual kind is read here.
    std::string_view name() const {
        return kind() == Kind::Quoted ? std::string_view(place() + 1, dataOffset() - 3) : OtherName();
    }
    uint32_t type() const { return type_; }
    bool inText() const { return kind() != Kind::Stored; }
    TextForm textForm() const { return static_cast<TextForm>(word_ >> kFormShift); }
    // The stored bytes, or when inText() the data's text in the file.
    std::string_view data() const;
    // The value's original text in the backing file; empty once the program set the value.
    std::string_view source() const;

  private:
    // Where the name is: in the arena with the bytes (Stored); between the quotes that begin the text,
    // the data right after `"=` (Quoted); found by reading the text's start (Loose: `@=`, blanks);
    // in the arena beside a pointer to the text (Named).
    enum class Kind : uint32_t { Stored = 0, Quoted = 1, Loose = 2, Named = 3 };
    // word_ holds the data's offset, the kind and the text form, in that order from the lowest bit.
    static constexpr uint32_t kKindShift = 28, kFormShift = 30;
    Kind kind() const { return static_cast<Kind>((word_ >> kKindShift) & 3); }
    std::string_view OtherName() const;
    uint32_t dataOffset() const { return word_ & ((1u << kKindShift) - 1); }
    const char* place() const {
        const char* p;
        std::memcpy(&p, place_, sizeof p);
        return p;
    }
    RegValueRecord(const char* place, uint32_t length, uint32_t word, uint32_t type)
        : length_(length), word_(word), type_(type) {
        std::memcpy(place_, &place, sizeof place);
    }

    // A pointer kept as bytes, so that the record needs no 8-byte alignment and no padding.
    char place_[sizeof(const char*)] = {};
    uint32_t length_ = 0; // of the stored bytes, or of the text
    uint32_t word_ = 0;
    uint32_t type_ = 0;
};
static_assert(sizeof(RegValueRecord) == 20);

// A key's values or subkeys, held in its store's arena: a loaded key's values take one piece of a large
// block rather than an allocation of their own. Growing moves them to a larger piece (for values a change
// the program makes, so rare), starting at `firstCapacity`; the old piece is freed with the store.
template <class T, uint32_t firstCapacity> class ArenaList {
  public:
    using iterator = T*;
    using const_iterator = const T*;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return items_; }
    const T* data() const { return items_; }
    T& operator[](size_t i) {
        assert(i < size_);
        return items_[i];
    }
    const T& operator[](size_t i) const {
        assert(i < size_);
        return items_[i];
    }
    const T& front() const { return (*this)[0]; }
    const T& back() const { return (*this)[size_ - 1]; }
    iterator begin() { return items_; }
    iterator end() { return items_ + size_; }
    const_iterator begin() const { return items_; }
    const_iterator end() const { return items_ + size_; }

    // Makes the list hold exactly these items.
    void Assign(Arena& arena, std::span<const T> items) {
        assert(items.size() <= ~uint32_t{0});
        if (items.size() > capacity_) {
            items_ = arena.AllocateArray<T>(items.size());
            capacity_ = static_cast<uint32_t>(items.size());
        }
        std::copy(items.begin(), items.end(), items_);
        size_ = static_cast<uint32_t>(items.size());
    }
    // Inserts before position `at`; returns the new item's place.
    T& Insert(Arena& arena, size_t at, const T& item) {
        assert(at <= size_ && size_ < ~uint32_t{0});
        if (size_ == capacity_) {
            const uint32_t capacity = capacity_ < firstCapacity ? firstCapacity : capacity_ * 2;
            T* grown = arena.AllocateArray<T>(capacity);
            std::copy(begin(), end(), grown);
            items_ = grown;
            capacity_ = capacity;
        }
        std::copy_backward(items_ + at, items_ + size_, items_ + size_ + 1);
        items_[at] = item;
        ++size_;
        return items_[at];
    }
    void Erase(size_t at) {
        assert(at < size_);
        std::copy(items_ + at + 1, items_ + size_, items_ + at);
        --size_;
    }

  private:
    T* items_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
};

using ValueList = ArenaList<RegValueRecord, 4>;
struct RegKeyNode;
// Most keys have no subkeys or one.
using SubkeyList = ArenaList<RegKeyNode*, 1>;

// A key's name (WTF-8) in 12 bytes.
class KeyName {
  public:
    KeyName() = default;
    KeyName(std::string_view name) { *this = name; }
    KeyName& operator=(std::string_view name) {
        assert(name.size() <= ~uint32_t{0});
        const char* p = name.data();
        std::memcpy(data_, &p, sizeof p);
        size_ = static_cast<uint32_t>(name.size());
        return *this;
    }
    std::string_view view() const {
        const char* p;
        std::memcpy(&p, data_, sizeof p);
        return {p, size_};
    }
    operator std::string_view() const { return view(); }
    const char* data() const { return view().data(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    friend bool operator==(const KeyName& a, std::string_view b) { return a.view() == b; }

  private:
    char data_[sizeof(const char*)] = {}; // a pointer kept as bytes: no padding before the size
    uint32_t size_ = 0;
};

// One key, in 64 bytes.
struct RegKeyNode {
    static constexpr uint32_t kNoSection = (1u << 29) - 1;

    KeyName name;
    // The key's first section in its backing file's list of sections ("[path] …" up to the next key), as
    // the backend numbers them; kNoSection for keys without one (new keys, a hive's keys).
    uint32_t section : 29 = kNoSection;
    uint32_t link : 1 = false;   // a symbolic link; its target is the REG_LINK value "SymbolicLinkValue"
    uint32_t dirty : 1 = false;  // values changed since the last load or save
    uint32_t deeper : 1 = false; // its backing file holds keys below it deeper than a key may lie, not loaded
    RegKeyNode* parent = nullptr;
    RegistryStore* store = nullptr;
    SubkeyList subkeys; // always by CompareRegistryNames
    ValueList values;
};
static_assert(sizeof(RegKeyNode) == 64);

class RegistryStore {
  public:
    // Wine keeps a key's values sorted by name; a regf hive keeps them in the order they were stored.
    enum class ValueOrder { Sorted, Stored };

    explicit RegistryStore(ValueOrder order, std::string rootName = {});
    virtual ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    RegKeyNode* Root() { return root_; }
    const RegKeyNode* Root() const { return root_; }
    ValueOrder Order() const { return order_; }

    // Whether the program may change this store (a file it may write; false for synthetic keys), and when
    // not, why (one line for the user; may be empty).
    bool Writable() const { return writable_; }
    const std::string& WhyNotWritable() const { return whyNotWritable_; }
    void SetWritable(bool writable, std::string whyNot = {}) {
        writable_ = writable;
        whyNotWritable_ = writable ? std::string() : std::move(whyNot);
    }
    bool Changed() const { return changed_; }

    RegKeyNode* FindSubkey(const RegKeyNode& parent, std::string_view name) const;
    // Finds or creates the subkey; created keys count as a change.
    RegKeyNode* CreateSubkey(RegKeyNode& parent, std::string_view name);
    // Hangs another store's root below a key of this one (the \Registry\User\<SID> mounts); a store is
    // mounted once at most, and never below its own keys.
    void Mount(RegKeyNode& parent, RegKeyNode& foreignRoot, std::string_view name);
    // The stores mounted below this one's keys, in the order they were mounted.
    const std::vector<RegistryStore*>& Mounted() const { return mounted_; }

    // A key's class name ("#class" in a Wine file); few keys have one, so it is kept beside them.
    std::string_view ClassName(const RegKeyNode& key) const;
    void SetClassName(const RegKeyNode& key, std::string_view className);

    const RegValueRecord* FindValue(const RegKeyNode& key, std::string_view name) const;
    // The stored bytes of a value; `scratch` holds them when they had to be decoded.
    std::string_view ValueBytes(const RegValueRecord& value, std::string& scratch) const;
    // The data as the single-byte (A) calls deliver it, into `out`: string types converted to UTF-8
    // (their terminating zero included when stored), every other type as stored.
    virtual void AnsiData(const RegValueRecord& value, std::string& out) const;
    void SetValue(RegKeyNode& key, std::string_view name, uint32_t type, std::string_view bytes);
    bool DeleteValue(RegKeyNode& key, std::string_view name);

    // Counts this store's changes (and mounts below its keys), so that what was read from it is known to
    // still hold while the count stays; the changes of other stores leave it alone. Only ever grows.
    uint64_t Generation() const { return generation_; }

    Arena& Strings() { return arena_; }

  protected:
    // Decodes a value held in the backend's text form; the base store has none.
    virtual std::string DecodeText(const RegValueRecord& value) const;

    // For loaders: a new key below parent (no change recorded), and values appended in load order
    // (sorted stores sort them and let a later duplicate replace an earlier one).
    RegKeyNode* AddLoadedKey(RegKeyNode& parent, std::string_view name);
    void AddLoadedValues(RegKeyNode& key, std::vector<RegValueRecord>& values);
    void MarkChanged(RegKeyNode* key);
    void ClearChanged() { changed_ = false; }
    template <class F> void ForEachKey(F&& f) {
        for (const KeyBlock& block : keyBlocks_)
            for (size_t i = 0; i < block.used; ++i)
                f(block.keys[i]);
    }

  private:
    // Keys live in blocks that grow with the store, so that loading a large file allocates a few times,
    // not once per key; a key never moves.
    struct KeyBlock {
        RegKeyNode* keys;
        size_t capacity;
        size_t used;
    };
    RegKeyNode& NewKey();
    size_t LowerBound(const ValueList& values, std::string_view name) const;

    ValueOrder order_;
    std::vector<KeyBlock> keyBlocks_;
    std::unordered_map<const RegKeyNode*, std::string_view> classNames_;
    RegKeyNode* root_;
    Arena arena_;
    bool writable_ = true;
    std::string whyNotWritable_;
    bool changed_ = false;
    uint64_t generation_ = 0;
    std::vector<RegistryStore*> mounted_;
};

} // namespace vx

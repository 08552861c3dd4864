// Loading a Wine registry file: its keys and values into the store, each key's sections of text kept for
// the writer, and the lines Wine would skip reported.
#include "platform/wine/wine_reg_file.h"

#include "platform/registry.h"
#include "platform/regular_file.h"
#include "platform/wine/wine_reg_escaping.h"
#include "platform/wine/wine_reg_lexer.h"

#include <algorithm>
#include <cassert>

namespace vx {

using namespace wine_reg;

WineRegFile::WineRegFile(std::filesystem::path path, std::string text)
    : RegistryStore(ValueOrder::Sorted), path_(std::move(path)), text_(std::move(text)) {}

std::unique_ptr<WineRegFile> WineRegFile::Load(const std::filesystem::path& path, std::string_view relativeTo,
                                               std::string& why, std::vector<std::string>& warnings) {
    std::string text, cause;
    switch (ReadRegularFile(path, text, cause)) {
    case RegularFile::Missing: {
        auto file = std::unique_ptr<WineRegFile>(new WineRegFile(path, {}));
        file->existed_ = false;
        file->relativeTo_ = relativeTo;
        return file;
    }
    case RegularFile::Refused:
        why = path.string() + ": cannot read the registry file: " + cause;
        return nullptr;
    case RegularFile::Ok:
        break;
    }
    return Parse(std::move(text), path, relativeTo, why, warnings);
}

std::unique_ptr<WineRegFile> WineRegFile::Parse(std::string text, const std::filesystem::path& path,
                                                std::string_view relativeTo, std::string& why,
                                                std::vector<std::string>& warnings) {
    auto file = std::unique_ptr<WineRegFile>(new WineRegFile(path, std::move(text)));
    file->relativeTo_ = relativeTo;
    if (!file->ParseText(why, warnings))
        return nullptr;
    return file;
}

namespace {

// Splits a key line's path into its names, empty ones included (two separators in a row). Names are
// separated by an escaped backslash; any other escape belongs to the name.
class KeyPathNames {
  public:
    explicit KeyPathNames(std::string_view raw) : raw_(raw) {}

    // False when the path has no more names.
    bool Next(std::string_view& name) {
        while (pos_ <= raw_.size()) {
            if (!AtSeparator()) {
                pos_ += raw_[pos_] == '\\' ? 2 : 1;
                continue;
            }
            name = raw_.substr(start_, pos_ - start_);
            pos_ += 2;
            start_ = pos_;
            return true;
        }
        return false;
    }

  private:
    bool AtSeparator() const {
        return pos_ == raw_.size() ||
               (raw_[pos_] == '\\' && pos_ + 1 < raw_.size() && raw_[pos_ + 1] == '\\');
    }

    std::string_view raw_;
    size_t pos_ = 0, start_ = 0;
};

// Whether a name as written needs Wine's escapes removed (bytes beyond ASCII are Latin-1 to Wine).
inline bool NeedsUnescaping(std::string_view name) {
    bool escaped = false;
    for (char ch : name)
        escaped |= ch == '\\' || static_cast<unsigned char>(ch) >= 0x80;
    return escaped;
}

// The path of the key line before, name by name as written, and the keys those names led to. A file lists
// its keys in tree order, so a key line mostly repeats the path of the one before.
class PreviousPath {
  public:
    // The key `name` led to at `depth` last time, if it was below the same parent; otherwise null.
    RegKeyNode* Find(size_t depth, std::string_view name, const RegKeyNode& parent) const {
        if (depth < names_.size() && names_[depth] == name && keys_[depth]->parent == &parent)
            return keys_[depth];
        return nullptr;
    }
    // The path from `depth` on is now `name`, leading to `key`.
    void Set(size_t depth, std::string_view name, RegKeyNode* key) {
        Truncate(depth);
        names_.push_back(name);
        keys_.push_back(key);
    }
    void Truncate(size_t depth) {
        names_.resize(depth);
        keys_.resize(depth);
    }

  private:
    std::vector<std::string_view> names_;
    std::vector<RegKeyNode*> keys_;
};

std::string SkippedLineWarning(const std::filesystem::path& path, size_t lineNo, const Item& item,
                               std::string_view text) {
    std::string shown(text.substr(item.first, std::min<size_t>(item.end - item.first, 100)));
    return path.string() + ":" + std::to_string(lineNo) + ": " + item.problem +
           ", line skipped (kept in the file): " + shown;
}

std::string TooDeepWarning(const std::filesystem::path& path, size_t firstLine, size_t keys) {
    return path.string() + ":" + std::to_string(firstLine) + ": " +
           (keys == 1 ? std::string("a key lies") : std::to_string(keys) + " keys from here on lie") +
           " deeper than " + std::to_string(kMaxKeyDepth) +
           " levels, more than Windows allows; not loaded (kept in the file as " +
           (keys == 1 ? "it is)" : "they are)");
}

} // namespace

// The file's text read item by item, and what the reader knows between items.
struct WineRegFile::Reader {
    Reader(WineRegFile& file, std::string_view text, std::vector<std::string>& warnings)
        : file(file), text(text), warnings(warnings) {}

    WineRegFile& file;
    std::string_view text;
    std::vector<std::string>& warnings;
    size_t lineNo = 2;
    RegKeyNode* current = nullptr;    // the key values go to; null after a key line Wine would refuse
    RegKeyNode* blockOwner = nullptr; // the key whose section the lines belong to
    size_t blockStart = 0;
    std::vector<RegValueRecord> pending; // the values of the section being read
    PreviousPath previous;
    // A key deeper than a key may lie is not loaded: its section stays in the file as it is.
    bool tooDeep = false; // the lines belong to such a key
    size_t tooDeepKeys = 0, firstTooDeepLine = 0;
    bool open = false; // the last item read would read on into a line put after it

    void ReadItems(size_t pos);
    void Read(const Item& item);
    void ReadKeyLine(const Item& item);
    RegKeyNode* LoadKeyPath(std::string_view raw, bool& pathTooDeep);
    RegKeyNode* LoadSubkey(RegKeyNode& parent, size_t depth, std::string_view name);
    void ReadOption(const Item& item);
    void ReadValue(const Item& item);
    void ReadRelativeTo(const Item& item);
    void CloseSection(size_t end);
    void Finish();
    std::string_view NameOf(std::string_view raw, bool escaped) {
        return escaped ? file.Strings().Copy(UnescapeToWtf8(raw)) : raw;
    }
};

bool WineRegFile::ParseText(std::string& why, std::vector<std::string>& warnings) {
    const std::string_view text = text_;
    const Line header = LineAt(text, 0);
    if (text.substr(0, header.end) != kHeader) {
        why = path_.string() + ": not a Wine registry file (no \"" + std::string(kHeader) + "\" header)";
        return false;
    }
    Reader reader(*this, text, warnings);
    reader.ReadItems(header.next);
    reader.Finish();
    sections_.shrink_to_fit(); // kept as long as the file: no room for the sections of a file twice its size
    return true;
}

void WineRegFile::Reader::ReadItems(size_t pos) {
    while (pos < text.size()) {
        const Item item = ScanItem(text, pos, current != nullptr || tooDeep);
        Read(item);
        lineNo += static_cast<size_t>(std::count(text.begin() + static_cast<ptrdiff_t>(item.begin),
                                                 text.begin() + static_cast<ptrdiff_t>(item.next), '\n'));
        pos = item.next;
        open = item.open;
    }
}

void WineRegFile::Reader::Read(const Item& item) {
    switch (item.kind) {
    case Item::KeyLine:
        ReadKeyLine(item);
        break;
    case Item::Option:
        ReadOption(item);
        break;
    case Item::Value:
        ReadValue(item);
        break;
    case Item::Bad:
        warnings.push_back(SkippedLineWarning(file.path_, lineNo, item, text));
        if (text[item.first] == '[')
            current = nullptr;
        break;
    case Item::Other:
        ReadRelativeTo(item);
        break;
    }
}

void WineRegFile::Reader::ReadKeyLine(const Item& item) {
    CloseSection(item.begin);
    RegKeyNode* key = LoadKeyPath(item.raw, tooDeep);
    blockStart = item.begin;
    if (tooDeep) {
        key->deeper = true;
        if (tooDeepKeys++ == 0)
            firstTooDeepLine = lineNo;
        current = blockOwner = nullptr;
        return;
    }
    current = blockOwner = key;
}

// The key a key line names, with the keys on its path loaded. When the path goes deeper than a key may lie,
// `pathTooDeep` is set and the deepest key that may be loaded is returned.
RegKeyNode* WineRegFile::Reader::LoadKeyPath(std::string_view raw, bool& pathTooDeep) {
    RegKeyNode* key = file.Root();
    size_t depth = 0;
    pathTooDeep = false;
    KeyPathNames names(raw);
    for (std::string_view name; names.Next(name);) {
        if (name.empty())
            continue;
        if (depth == kMaxKeyDepth) {
            pathTooDeep = true;
            break;
        }
        key = LoadSubkey(*key, depth, name);
        ++depth;
    }
    previous.Truncate(depth);
    return key;
}

RegKeyNode* WineRegFile::Reader::LoadSubkey(RegKeyNode& parent, size_t depth, std::string_view name) {
    if (RegKeyNode* known = previous.Find(depth, name, parent))
        return known;
    RegKeyNode* key = file.AddLoadedKey(parent, NameOf(name, NeedsUnescaping(name)));
    previous.Set(depth, name, key);
    return key;
}

void WineRegFile::Reader::ReadOption(const Item& item) {
    const std::string_view option = text.substr(item.first, item.end - item.first);
    if (current && option.starts_with("#class=\"")) {
        bool escaped = false;
        const size_t close = FindStringEnd(option, 8, option.size(), '"', escaped);
        if (close != std::string_view::npos)
            file.SetClassName(*current, NameOf(option.substr(8, close - 8), escaped));
    } else if (current && option.starts_with("#link")) {
        current->link = true;
    }
}

void WineRegFile::Reader::ReadValue(const Item& item) {
    if (tooDeep)
        return;
    // The record keeps a name that its line does not show as it is (one with escapes) itself.
    const std::string unescaped = item.escaped ? UnescapeToWtf8(item.raw) : std::string();
    const std::string_view name = item.defaultValue ? std::string_view{}
                                  : item.escaped    ? std::string_view(unescaped)
                                                    : item.raw;
    pending.push_back(RegValueRecord::InText(file.Strings(), name, item.type,
                                             text.substr(item.begin, item.end - item.begin),
                                             item.data - item.begin, item.form));
}

// The header's "All keys relative to" line; only the prelude (before the first key) has one.
void WineRegFile::Reader::ReadRelativeTo(const Item& item) {
    if (blockOwner || !text.substr(item.first, item.end - item.first).starts_with(kRelativeTo))
        return;
    const std::string_view rel =
        text.substr(item.first + kRelativeTo.size(), item.end - item.first - kRelativeTo.size());
    file.relativeTo_ = UnescapeToWtf8(rel);
}

// Ends the section being read at `end`: the values read go to its key, its text is kept for the writer.
void WineRegFile::Reader::CloseSection(size_t end) {
    const std::string_view block = text.substr(blockStart, end - blockStart);
    if (tooDeep) {
        file.sections_.push_back({nullptr, block});
        return;
    }
    if (!blockOwner) {
        file.prelude_ = block;
        return;
    }
    file.AddLoadedValues(*blockOwner, pending);
    assert(file.sections_.size() < RegKeyNode::kNoSection);
    if (blockOwner->section == RegKeyNode::kNoSection)
        blockOwner->section = static_cast<uint32_t>(file.sections_.size());
    file.sections_.push_back({blockOwner, block});
}

void WineRegFile::Reader::Finish() {
    const size_t sectionsBefore = file.sections_.size();
    CloseSection(text.size());
    // Only the file's last item can be open (a line after it would have been read as its continuation);
    // the prelude holds none, as its values are read without a key.
    file.openSections_.clear();
    if (open && file.sections_.size() > sectionsBefore)
        file.openSections_.push_back(file.sections_.back().text.data());
    if (tooDeepKeys > 0)
        warnings.push_back(TooDeepWarning(file.path_, firstTooDeepLine, tooDeepKeys));
}

} // namespace vx

// Loading a Wine registry file: its keys and values into the store, each key's sections of text kept for
// the writer, and the lines Wine would skip reported.
#include "platform/wine/wine_reg_file.h"

#include "platform/registry.h"
#include "platform/regular_file.h"
#include "platform/wine/wine_reg_escaping.h"
#include "platform/wine/wine_reg_lexer.h"

#include <algorithm>

namespace vx {

using namespace wine_reg;

WineRegFile::WineRegFile(std::filesystem::path path, std::string text)
    : RegistryStore(ValueOrder::Sorted), path_(std::move(path)), text_(std::move(text)) {}

std::unique_ptr<WineRegFile> WineRegFile::Load(const std::filesystem::path& path, std::string_view relativeTo,
                                               std::string& error, std::vector<std::string>& warnings) {
    std::string text, why;
    switch (ReadRegularFile(path, text, why)) {
    case RegularFile::Missing: {
        auto file = std::unique_ptr<WineRegFile>(new WineRegFile(path, {}));
        file->existed_ = false;
        file->relativeTo_ = relativeTo;
        return file;
    }
    case RegularFile::Refused:
        error = path.string() + ": cannot read the registry file: " + why;
        return nullptr;
    case RegularFile::Ok:
        break;
    }
    return Parse(std::move(text), path, relativeTo, error, warnings);
}

std::unique_ptr<WineRegFile> WineRegFile::Parse(std::string text, const std::filesystem::path& path,
                                                std::string_view relativeTo, std::string& error,
                                                std::vector<std::string>& warnings) {
    auto file = std::unique_ptr<WineRegFile>(new WineRegFile(path, std::move(text)));
    file->relativeTo_ = relativeTo;
    if (!file->ParseText(error, warnings))
        return nullptr;
    return file;
}

bool WineRegFile::ParseText(std::string& error, std::vector<std::string>& warnings) {
    const std::string_view text = text_;
    const Line header = LineAt(text, 0);
    if (text.substr(0, header.end) != kHeader) {
        error = path_.string() + ": not a Wine registry file (no \"" + std::string(kHeader) + "\" header)";
        return false;
    }
    size_t lineNo = 2;
    size_t pos = header.next;
    RegKeyNode* current = nullptr;    // the key values go to; null after a key line Wine would refuse
    RegKeyNode* blockOwner = nullptr; // the key whose section the lines belong to
    size_t blockStart = 0;
    std::vector<RegValueRecord> pending;
    std::vector<std::string_view> previousRaw;
    std::vector<RegKeyNode*> previousKeys;
    // A key deeper than a key may lie is not loaded: its section stays in the file as it is.
    bool tooDeep = false; // the lines belong to such a key
    size_t tooDeepKeys = 0, firstTooDeepLine = 0;
    bool open = false; // the last item read would read on into a line put after it

    auto closeBlock = [&](size_t end) {
        const std::string_view block = text.substr(blockStart, end - blockStart);
        if (tooDeep) {
            sections_.push_back({nullptr, block});
            return;
        }
        if (!blockOwner) {
            prelude_ = block;
            return;
        }
        AddLoadedValues(*blockOwner, pending);
        if (blockOwner->block.empty())
            blockOwner->block = block;
        sections_.push_back({blockOwner, block});
    };
    auto nameOf = [&](std::string_view raw, bool escaped) {
        return escaped ? Strings().Copy(UnescapeToUtf8(raw)) : raw;
    };

    while (pos < text.size()) {
        const Item item = ScanItem(text, pos, current != nullptr || tooDeep);
        switch (item.kind) {
        case Item::KeyLine: {
            closeBlock(item.begin);
            RegKeyNode* key = Root();
            size_t depth = 0;
            const std::string_view raw = item.raw;
            size_t start = 0;
            tooDeep = false;
            for (size_t i = 0; i <= raw.size();) {
                // Names are separated by an escaped backslash; any other escape belongs to the name.
                bool separator =
                    i == raw.size() || (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == '\\');
                if (!separator) {
                    i += raw[i] == '\\' ? 2 : 1;
                    continue;
                }
                const std::string_view part = raw.substr(start, i - start);
                i += 2;
                start = i;
                if (part.empty())
                    continue;
                if (depth == kMaxKeyDepth) {
                    tooDeep = true;
                    break;
                }
                if (depth < previousRaw.size() && previousRaw[depth] == part &&
                    previousKeys[depth]->parent == key) {
                    key = previousKeys[depth];
                } else {
                    bool escaped = false;
                    for (char ch : part)
                        escaped |= ch == '\\' || static_cast<unsigned char>(ch) >= 0x80;
                    key = AddLoadedKey(*key, nameOf(part, escaped));
                    previousRaw.resize(depth);
                    previousKeys.resize(depth);
                    previousRaw.push_back(part);
                    previousKeys.push_back(key);
                }
                ++depth;
            }
            previousRaw.resize(depth);
            previousKeys.resize(depth);
            blockStart = item.begin;
            if (tooDeep) {
                key->deeper = true;
                if (tooDeepKeys++ == 0)
                    firstTooDeepLine = lineNo;
                current = blockOwner = nullptr;
                break;
            }
            current = blockOwner = key;
            break;
        }
        case Item::Option: {
            const std::string_view option = text.substr(item.first, item.end - item.first);
            if (current && option.starts_with("#class=\"")) {
                bool escaped = false;
                const size_t close = FindStringEnd(option, 8, option.size(), '"', escaped);
                if (close != std::string_view::npos)
                    current->className = nameOf(option.substr(8, close - 8), escaped);
            } else if (current && option.starts_with("#link")) {
                current->link = true;
            }
            break;
        }
        case Item::Value: {
            if (tooDeep)
                break;
            pending.push_back(RegValueRecord::InText(
                item.defaultValue ? std::string_view{} : nameOf(item.raw, item.escaped), item.type,
                text.substr(item.begin, item.end - item.begin), item.data - item.begin, item.form));
            break;
        }
        case Item::Bad: {
            std::string shown(text.substr(item.first, std::min<size_t>(item.end - item.first, 100)));
            warnings.push_back(path_.string() + ":" + std::to_string(lineNo) + ": " + item.problem +
                               ", line skipped (kept in the file): " + shown);
            if (text[item.first] == '[')
                current = nullptr;
            break;
        }
        case Item::Other:
            if (!blockOwner && text.substr(item.first, item.end - item.first).starts_with(kRelativeTo)) {
                const std::string_view rel =
                    text.substr(item.first + kRelativeTo.size(), item.end - item.first - kRelativeTo.size());
                relativeTo_ = UnescapeToUtf8(rel);
            }
            break;
        }
        for (size_t i = item.begin; i < item.next; ++i)
            lineNo += text[i] == '\n';
        pos = item.next;
        open = item.open;
    }
    const size_t sectionsBefore = sections_.size();
    closeBlock(text.size());
    // Only the file's last item can be open (a line after it would have been read as its continuation);
    // the prelude holds none, as its values are read without a key.
    if (open && sections_.size() > sectionsBefore)
        sections_.back().open = true;
    if (tooDeepKeys > 0)
        warnings.push_back(path_.string() + ":" + std::to_string(firstTooDeepLine) + ": " +
                           (tooDeepKeys == 1 ? std::string("a key lies")
                                             : std::to_string(tooDeepKeys) + " keys from here on lie") +
                           " deeper than " + std::to_string(kMaxKeyDepth) +
                           " levels, more than Windows allows; not loaded (kept in the file as " +
                           (tooDeepKeys == 1 ? "it is)" : "they are)"));
    return true;
}

} // namespace vx

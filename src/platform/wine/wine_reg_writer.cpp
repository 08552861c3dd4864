// Writing a Wine registry file back: unchanged sections copied as they were read, changed keys written as
// Wine writes them, and the save that replaces the file atomically.
#include "platform/wine/wine_reg_file.h"

#include "platform/atomic_file.h"
#include "platform/host_file_io.h"
#include "platform/wine/wine_reg_escaping.h"
#include "platform/wine/wine_reg_lexer.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ostream>
#include <unistd.h>
#include <unordered_map>

namespace vx {

using namespace wine_reg;

namespace {

// What Wine writes for a key's change time: seconds since 1970 on the key line, the FILETIME on #time=.
struct Stamp {
    uint64_t seconds, filetime;
};

Stamp Now() {
    const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
    const auto us = static_cast<uint64_t>(since1970);
    return {us / 1000000, us * 10 + 116444736000000000ull};
}

std::string TimeLine(const Stamp& stamp) {
    char buf[48];
    std::snprintf(buf, sizeof buf, "#time=%x%08x", static_cast<unsigned>(stamp.filetime >> 32),
                  static_cast<unsigned>(stamp.filetime & 0xFFFFFFFFu));
    return buf;
}

std::string KeyPath(const RegKeyNode& key) {
    std::vector<const RegKeyNode*> chain;
    for (const RegKeyNode* k = &key; k && k != k->store->Root(); k = k->parent)
        chain.push_back(k);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty())
            path += "\\\\";
        AppendEscaped(Wtf8Units((*it)->name), path, "[]");
    }
    return path;
}

// The name of a value line as the store holds it.
std::string ValueName(const Item& value) {
    return value.defaultValue ? std::string()
           : value.escaped    ? UnescapeToWtf8(value.raw)
                              : std::string(value.raw);
}

// A key with nothing below it in `store`: no subkeys of its own, no keys too deep to load.
inline bool IsLeafIn(const RegKeyNode& key, const RegistryStore& store) {
    bool leaf = !key.deeper;
    for (const RegKeyNode* sub : key.subkeys)
        leaf &= sub->store != &store;
    return leaf;
}

} // namespace

std::string WineRegFile::Serialize() const {
    Composition composition;
    Compose(composition);
    std::string out;
    out.reserve(composition.size);
    for (std::string_view piece : composition.pieces)
        out += piece;
    return out;
}

void WineRegFile::WriteTo(std::ostream& out) const {
    Composition composition;
    Compose(composition);
    for (std::string_view piece : composition.pieces)
        out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
}

struct WineRegFile::EmitState {
    Stamp stamp;
};

void WineRegFile::Composition::Add(std::string_view text) {
    if (text.empty())
        return;
    Close();
    // Sections that lie side by side in the loaded text go out as one piece: an unchanged stretch of the
    // file is written straight from the text, in a few large writes.
    if (!pieces.empty() && pieces.back().data() + pieces.back().size() == text.data())
        pieces.back() = {pieces.back().data(), pieces.back().size() + text.size()};
    else
        pieces.push_back(text);
    size += text.size();
}

std::string WineRegFile::Composition::Tail() const {
    constexpr size_t kTail = 3;
    std::string tail;
    for (auto piece = pieces.rbegin(); piece != pieces.rend() && tail.size() < kTail; ++piece)
        tail.insert(0, piece->substr(piece->size() - std::min(piece->size(), kTail - tail.size())));
    return tail;
}

std::string_view WineRegFile::Composition::Keep(std::string text) {
    return fresh.emplace_back(std::move(text));
}

// A skipped line whose hex data stops at a backslash at the end of the file would read on into whatever
// a save puts after it (taking a blank line as the end of its data, swallowing a key line). A comment line
// after it keeps it skipped as it was, and reads as part of it.
void WineRegFile::Composition::Close() {
    if (!open)
        return;
    open = false;
    if (!Tail().ends_with('\n'))
        Add("\n");
    Add(";\n");
}

void WineRegFile::Composition::EnsureBlankLine() {
    Close();
    const std::string last = Tail();
    if (size == 0 || last.ends_with("\n\n") || last.ends_with("\n\r\n"))
        return;
    if (!last.ends_with('\n'))
        Add("\n");
    Add("\n");
}

// One composition of the file: where the keys without a section go, and how far the loaded text has been
// copied without a break.
struct WineRegFile::Composer {
    Composer(const WineRegFile& file, Composition& out) : file(file), out(out), state{Now()} {}

    const WineRegFile& file;
    Composition& out;
    const EmitState state;
    // Keys without a section of their own that Wine would write (those with values, and leaves) go right
    // after the section of the key before them in tree order, which is where Wine writes them.
    std::unordered_map<const RegKeyNode*, std::vector<const RegKeyNode*>> after;
    // Sections that followed each other in the file still do; elsewhere a blank line separates them, as
    // in Wine's files. Only the loaded text tells what followed what: the copies a save keeps of what it
    // wrote lie side by side in the arena without the blank lines it put between them.
    const char* copiedUpTo = nullptr; // the end of the loaded text last copied; null after written text

    void PlaceKeysWithoutSection();
    void AddHeader();
    // The new keys placed after `anchor`, before the loaded section numbered `before`.
    void AddNewKeysAfter(const RegKeyNode* anchor, uint32_t before);
    void AddTooDeepSection(const Section& section);
    void AddKeySection(const Section& section, uint32_t index);
    // Where `text` ends if it lies in the loaded text; null for text a save wrote.
    const char* EndIfLoaded(std::string_view text) const {
        const std::less<const char*> before;
        const bool loaded = !before(text.data(), file.text_.data()) &&
                            !before(file.text_.data() + file.text_.size(), text.data() + text.size());
        return loaded ? text.data() + text.size() : nullptr;
    }
};

void WineRegFile::Compose(Composition& out) const {
    Composer composer(*this, out);
    composer.PlaceKeysWithoutSection();
    composer.AddHeader();
    composer.AddNewKeysAfter(nullptr, 0);
    for (uint32_t i = 0; i < sections_.size(); ++i) {
        if (sections_[i].key)
            composer.AddKeySection(sections_[i], i);
        else
            composer.AddTooDeepSection(sections_[i]);
    }
}

void WineRegFile::Composer::PlaceKeysWithoutSection() {
    const RegKeyNode* root = file.Root();
    const RegKeyNode* anchor = nullptr;
    std::vector<const RegKeyNode*> toVisit{root}; // tree order, without a call per level
    while (!toVisit.empty()) {
        const RegKeyNode& key = *toVisit.back();
        toVisit.pop_back();
        if (key.section != RegKeyNode::kNoSection)
            anchor = &key;
        else if (!key.values.empty() || (&key != root && IsLeafIn(key, file)))
            after[anchor].push_back(&key);
        else if (key.dirty)
            out.cleaned.push_back(const_cast<RegKeyNode*>(&key));
        for (size_t i = key.subkeys.size(); i-- > 0;)
            if (key.subkeys[i]->store == &file)
                toVisit.push_back(key.subkeys[i]);
    }
}

void WineRegFile::Composer::AddHeader() {
    if (file.existed_) {
        out.Add(file.prelude_);
        copiedUpTo = EndIfLoaded(file.prelude_);
        return;
    }
    std::string header = std::string(kHeader) + "\n" + std::string(kRelativeTo);
    AppendEscaped(Wtf8Units(file.relativeTo_), header, "\"\"");
    header += '\n';
    out.Add(out.Keep(std::move(header)));
}

void WineRegFile::Composer::AddNewKeysAfter(const RegKeyNode* anchor, uint32_t before) {
    if (after.empty())
        return;
    const auto it = after.find(anchor);
    if (it == after.end())
        return;
    for (const RegKeyNode* key : it->second) {
        out.EnsureBlankLine();
        std::string text;
        file.EmitNewKey(*key, state, text);
        const std::string_view kept = out.Keep(std::move(text));
        out.Add(kept);
        out.edits.push_back({const_cast<RegKeyNode*>(key), before, true, false, kept});
        copiedUpTo = nullptr;
    }
}

// A key too deep to load: its text as it was.
void WineRegFile::Composer::AddTooDeepSection(const Section& section) {
    if (section.text.data() != copiedUpTo)
        out.EnsureBlankLine();
    copiedUpTo = EndIfLoaded(section.text);
    out.Add(section.text);
    out.open = file.EndsOpen(section);
}

// A loaded key's section: copied as it was, or written afresh when the key changed; after the key's first
// section come the keys placed after it.
void WineRegFile::Composer::AddKeySection(const Section& section, uint32_t index) {
    RegKeyNode& key = *section.key;
    const bool first = index == key.section;
    if (key.dirty || section.text.data() != copiedUpTo)
        out.EnsureBlankLine();
    copiedUpTo = key.dirty ? nullptr : EndIfLoaded(section.text);
    std::string_view text = section.text;
    if (key.dirty) {
        std::string changed;
        file.EmitChangedBlock(key, section.text, first, state, changed);
        text = out.Keep(std::move(changed));
    }
    out.Add(text);
    out.open = file.EndsOpen(section); // a changed block still ends with the line: values go before it
    if (key.dirty)
        out.edits.push_back({&key, index, false, out.open, text});
    if (first)
        AddNewKeysAfter(&key, index + 1);
}

void WineRegFile::EmitNewKey(const RegKeyNode& key, const EmitState& state, std::string& out) const {
    out += '[';
    out += KeyPath(key);
    out += "] " + std::to_string(state.stamp.seconds) + "\n";
    out += TimeLine(state.stamp) + "\n";
    std::string scratch;
    for (const auto& value : key.values)
        AppendValue(value.name(), value.type(), ValueBytes(value, scratch), out);
}

void WineRegFile::EmitChangedBlock(const RegKeyNode& key, std::string_view block, bool first,
                                   const EmitState& state, std::string& out) const {
    std::vector<Item> items;
    bool haveKey = true;
    for (size_t pos = 0; pos < block.size();) {
        Item item = ScanItem(block, pos, haveKey);
        if (item.kind == Item::Bad && block[item.first] == '[')
            haveKey = false;
        pos = item.next;
        items.push_back(item);
    }
    // New values not placed among the old ones go after the key's last value (or its option lines).
    size_t insertAfter = 0;
    for (size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == Item::Bad && block[items[i].first] == '[')
            break;
        if (items[i].kind == Item::KeyLine || items[i].kind == Item::Option || items[i].kind == Item::Value)
            insertAfter = i;
    }
    std::vector<const RegValueRecord*> fresh;
    if (first)
        for (const auto& value : key.values)
            if (!value.inText())
                fresh.push_back(&value);
    size_t next = 0;
    std::string scratch;
    auto emitFresh = [&](const RegValueRecord& value) {
        if (!out.empty() && out.back() != '\n') // after a last line without its line break
            out += '\n';
        AppendValue(value.name(), value.type(), ValueBytes(value, scratch), out);
    };

    for (size_t i = 0; i < items.size(); ++i) {
        const Item& item = items[i];
        const std::string_view whole = block.substr(item.begin, item.next - item.begin);
        if (i == 0 && item.kind == Item::KeyLine) {
            out += block.substr(item.begin, item.closeKey + 1 - item.begin);
            out += ' ';
            out += std::to_string(state.stamp.seconds);
            const std::string_view br = LineBreak(block, item);
            out += br.empty() ? std::string_view("\n") : br;
        } else if (item.kind == Item::Option && block.substr(item.first).starts_with("#time=")) {
            out += block.substr(item.begin, item.first - item.begin);
            out += TimeLine(state.stamp);
            const std::string_view br = LineBreak(block, item);
            out += br.empty() ? std::string_view("\n") : br;
        } else if (item.kind == Item::Value) {
            const std::string name = ValueName(item);
            while (next < fresh.size() && CompareRegistryNames(fresh[next]->name(), name) < 0)
                emitFresh(*fresh[next++]);
            if (next < fresh.size() && CompareRegistryNames(fresh[next]->name(), name) == 0) {
                emitFresh(*fresh[next++]); // the program's new data for this value
            } else {
                const RegValueRecord* kept = FindValue(key, name);
                if (kept && kept->inText() && kept->source().data() == block.data() + item.begin)
                    out += whole;
            }
        } else {
            out += whole;
        }
        if (i == insertAfter)
            while (next < fresh.size())
                emitFresh(*fresh[next++]);
    }
    while (next < fresh.size())
        emitFresh(*fresh[next++]);
}

void WineRegFile::Rebind(RegKeyNode& key, std::string_view block) {
    bool haveKey = true;
    for (size_t pos = 0; pos < block.size();) {
        const Item item = ScanItem(block, pos, haveKey);
        if (item.kind == Item::Bad && block[item.first] == '[')
            haveKey = false;
        if (item.kind == Item::Value) {
            const std::string name = ValueName(item);
            if (auto* value = const_cast<RegValueRecord*>(FindValue(key, name)))
                *value = RegValueRecord::InText(Strings(), value->name(), value->type(),
                                                block.substr(item.begin, item.end - item.begin),
                                                item.data - item.begin, item.form);
        }
        pos = item.next;
    }
}

WineRegFile::~WineRegFile() = default;

bool WineRegFile::Save(std::string& why) {
    if (!PrepareSave(why) || !CommitSave(why))
        return false;
    FinishSave();
    return true;
}

bool WineRegFile::PrepareSave(std::string& why) {
    AbandonSave();
    if (!Changed())
        return true;
    auto pending = std::make_unique<PendingSave>();
    Compose(pending->composition);
    const int err = pending->replacement.Prepare(
        path_, [&](int fd, const std::string&) { return FillFile(pending->composition, fd); });
    if (err != 0) {
        why = path_.string() + ": cannot save the registry file: " + std::strerror(err);
        return false;
    }
    pending_ = std::move(pending);
    return true;
}

bool WineRegFile::CommitSave(std::string& why) {
    if (!pending_)
        return true; // nothing changed
    auto beforeRename = [&]() -> int { return fault_ && fault_(SaveStage::BeforeRename) ? EIO : 0; };
    if (const int err = pending_->replacement.Commit(beforeRename); err != 0) {
        pending_.reset();
        why = path_.string() + ": cannot save the registry file: " + std::strerror(err);
        return false;
    }
    pending_->committed = true;
    return true;
}

bool WineRegFile::RollbackSave(std::string& why) {
    if (!pending_ || !pending_->committed)
        return true;
    if (const int err = pending_->replacement.Rollback(); err != 0) {
        why = path_.string() + ": cannot put the file back as it was: " + std::strerror(err);
        return false;
    }
    pending_.reset();
    return true;
}

void WineRegFile::AbandonSave() {
    assert(!pending_ || !pending_->committed);
    pending_.reset();
}

void WineRegFile::FinishSave() {
    if (!pending_)
        return;
    assert(pending_->committed);
    pending_->replacement.Finish();
    const Composition& composition = pending_->composition;
    // The file now holds the new text: its sections are the original text of the next save.
    if (!existed_) {
        prelude_ = Strings().Copy(composition.pieces.front());
        existed_ = true;
    }
    ApplyEdits(composition);
    ClearChanged();
    pending_.reset();
}

// The saved text's sections in place of the loaded ones: the sections written afresh replace theirs or go
// in between, every other section stays where it is, and so do their keys' numbers unless a new section
// went before them.
void WineRegFile::ApplyEdits(const Composition& composition) {
    // The written texts go to the arena, where they are the loaded text of the next save.
    std::vector<Section> added;
    for (const Edit& edit : composition.edits) {
        const std::string_view text = Strings().Copy(edit.text);
        Rebind(*edit.key, text);
        edit.key->dirty = false;
        if (edit.inserted) {
            added.push_back({edit.key, text});
            continue;
        }
        Section& replaced = sections_[edit.at];
        assert(replaced.key == edit.key);
        const auto wasOpen = std::find(openSections_.begin(), openSections_.end(), replaced.text.data());
        if (wasOpen != openSections_.end())
            openSections_.erase(wasOpen);
        if (edit.open)
            openSections_.push_back(text.data());
        replaced.text = text;
    }
    for (RegKeyNode* key : composition.cleaned)
        key->dirty = false;
    if (added.empty())
        return;
    // From the back, so that each loaded section moves once, by the number of new ones before it.
    size_t from = sections_.size();
    sections_.resize(sections_.size() + added.size());
    size_t to = sections_.size();
    for (auto edit = composition.edits.rbegin(); edit != composition.edits.rend(); ++edit) {
        if (!edit->inserted)
            continue;
        for (; from > edit->at; --from) {
            const Section& moved = sections_[--to] = sections_[from - 1];
            if (moved.key && moved.key->section == from - 1)
                moved.key->section = static_cast<uint32_t>(to);
        }
        sections_[--to] = added.back();
        added.pop_back();
        edit->key->section = static_cast<uint32_t>(to);
    }
    assert(from == to && added.empty());
}

int WineRegFile::FillFile(const Composition& content, int fd) {
    // A file is many small pieces (a section per key): they go out through a buffer, in writes of the
    // size WriteAll makes, rather than one per piece.
    constexpr size_t kBuffer = size_t{1} << 18;
    std::string buffer;
    buffer.reserve(std::min(kBuffer, content.size));
    auto put = [&](std::string_view bytes) -> int {
        if (buffer.size() + bytes.size() > kBuffer) {
            if (const int err = WriteAll(fd, buffer); err != 0)
                return err;
            buffer.clear();
        }
        if (bytes.size() >= kBuffer)
            return WriteAll(fd, bytes);
        buffer.append(bytes);
        return 0;
    };
    // The fault hook runs with exactly half of the file written.
    const size_t half = content.size / 2;
    size_t written = 0;
    bool faultChecked = false;
    for (std::string_view piece : content.pieces) {
        if (!faultChecked && written + piece.size() >= half) {
            const size_t part = half - written;
            if (const int err = put(piece.substr(0, part)); err != 0)
                return err;
            if (const int err = WriteAll(fd, buffer); err != 0)
                return err;
            buffer.clear();
            faultChecked = true;
            if (fault_ && fault_(SaveStage::HalfWritten))
                return EIO;
            written += part;
            piece.remove_prefix(part);
        }
        if (const int err = put(piece); err != 0)
            return err;
        written += piece.size();
    }
    return WriteAll(fd, buffer);
}

} // namespace vx

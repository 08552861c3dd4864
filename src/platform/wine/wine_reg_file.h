#pragma once
// One of Wine's registry files (system.reg, user.reg, userdef.reg) as a RegistryStore.
//
// The text is read the way Wine's server reads it: a line Wine would skip (a damaged key or value line,
// text it does not recognise) is skipped here too, with a warning naming the file and line, and stays in
// the file when it is saved. So does the section of a key deeper than a key may lie (kMaxKeyDepth): its
// ancestors down to that depth are loaded, the key itself is not. Saving writes nothing when nothing changed;
// otherwise every key that did not change keeps its original text, changed keys are written as Wine writes
// them (values sorted by name), and the file is replaced atomically: a temporary file in the same folder,
// flushed, renamed over the original with the original's permissions.
#include "platform/atomic_file.h"
#include "platform/registry_tree.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace vx {

class WineRegFile : public RegistryStore {
  public:
    ~WineRegFile() override;
    // Reads `path`. A missing file gives an empty store whose header, if it is ever saved, says the keys
    // are relative to `relativeTo` (as Wine writes it, e.g. "REGISTRY\\Machine"). Null with `why` set
    // (one line naming the file) when the file cannot be read or is not in Wine's format.
    static std::unique_ptr<WineRegFile> Load(const std::filesystem::path& path, std::string_view relativeTo,
                                             std::string& why, std::vector<std::string>& warnings);
    // The same from text already read; `path` names the file in messages and is where Save writes.
    static std::unique_ptr<WineRegFile> Parse(std::string text, const std::filesystem::path& path,
                                              std::string_view relativeTo, std::string& why,
                                              std::vector<std::string>& warnings);

    const std::filesystem::path& Path() const { return path_; }
    bool Existed() const { return existed_; }
    // The "All keys relative to" path with Wine's escapes removed, e.g. "REGISTRY\User\S-1-5-21-0-0-0-1000".
    const std::string& RelativeTo() const { return relativeTo_; }

    // The file's text as Save would write it now.
    std::string Serialize() const;
    // The same, streamed (without holding a second copy of the file in memory).
    void WriteTo(std::ostream& out) const;

    // Points at which a save can be made to fail in tests.
    enum class SaveStage { HalfWritten, BeforeRename };
    // Returns true to make the save fail at that stage (as if the disk had failed); may also end the
    // process there, to show what a crash half-way leaves behind.
    using SaveFault = std::function<bool(SaveStage)>;
    void SetSaveFault(SaveFault fault) { fault_ = std::move(fault); }

    // Writes the file if anything changed. False with `why` set when it could not; the original file is
    // then untouched.
    bool Save(std::string& why);

    // A save in steps, for a registry of several files saved together (see FileReplacement): the new file
    // written aside and synced; put in place (the old one kept aside); then either taken back or finished.
    // False with `why` set when a step fails; a failed step leaves the file as the step found it.
    bool PrepareSave(std::string& why);
    bool CommitSave(std::string& why);
    bool RollbackSave(std::string& why);
    void FinishSave();
    void AbandonSave();

    void AnsiData(const RegValueRecord& value, std::string& out) const override;

  protected:
    std::string DecodeText(const RegValueRecord& value) const override;

  private:
    // A key's section of the file ("[path] …" up to the next key), in file order.
    struct Section {
        RegKeyNode* key; // null for a key too deep to load; its first section is numbered in it
        std::string_view text;
    };
    // A section a save writes afresh: in place of a loaded one, or a new key's put before one. Every
    // other section is copied as it was, so a save lists only these instead of every section again.
    struct Edit {
        RegKeyNode* key;
        uint32_t at;   // the index in sections_ of the section replaced, or of the one it goes before
        bool inserted; // a new key's section rather than a replacement
        bool open;     // ends with a skipped line that would read on into a line put after it
        std::string_view text;
    };
    // The file as a save writes it: pieces of the loaded text, and the text of what changed.
    struct Composition {
        std::vector<std::string_view> pieces;
        std::deque<std::string> fresh;
        std::vector<Edit> edits;          // in the order of the file
        std::vector<RegKeyNode*> cleaned; // changed keys that need no section of their own
        size_t size = 0;
        bool open = false; // the text ends with a skipped line that would read on into what follows

        void Add(std::string_view text);
        // The last few characters, to see whether a blank line ends the text: read only when needed, as
        // reading the end of every section would bring the whole loaded text through the cache.
        std::string Tail() const;
        void Close();
        std::string_view Keep(std::string text);
        void EnsureBlankLine();
    };
    struct Reader;
    struct Composer;
    struct EmitState;
    WineRegFile(std::filesystem::path path, std::string text);
    bool ParseText(std::string& why, std::vector<std::string>& warnings);
    void Compose(Composition& out) const;
    void EmitNewKey(const RegKeyNode& key, const EmitState& state, std::string& out) const;
    void EmitChangedBlock(const RegKeyNode& key, std::string_view block, bool first, const EmitState& state,
                          std::string& out) const;
    void Rebind(RegKeyNode& key, std::string_view block);
    void ApplyEdits(const Composition& composition);
    int FillFile(const Composition& content, int fd);
    // A save between PrepareSave and FinishSave: what was written, and the file it is to replace.
    struct PendingSave {
        Composition composition;
        FileReplacement replacement;
        bool committed = false;
    };

    std::filesystem::path path_;
    std::string text_;
    std::string relativeTo_;
    std::string_view prelude_;
    std::vector<Section> sections_;
    // The sections (by their text) that end with a skipped line that would read on into a line put after
    // it: in a loaded file at most the last one (a line after it would have been read as its
    // continuation); after a save also those a save closed with a comment line between the sections,
    // which the next save closes again. Kept apart, not as a flag in every section: a large file has
    // hundreds of thousands of sections and almost never one of these.
    std::vector<const char*> openSections_;
    bool EndsOpen(const Section& section) const {
        return std::find(openSections_.begin(), openSections_.end(), section.text.data()) !=
               openSections_.end();
    }
    bool existed_ = true;
    SaveFault fault_;
    std::unique_ptr<PendingSave> pending_; // a save between PrepareSave and FinishSave
};

// Wine's escaping of names and string data (backslash, quotes, control and non-ASCII characters), as
// written between the quotes of a value line; for tests and tools that build files.
std::string EscapeWineString(std::string_view wtf8);

} // namespace vx

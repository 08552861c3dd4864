#pragma once
// One registry hive file (regf: SOFTWARE, SYSTEM, NTUSER.DAT, UsrClass.dat) as a RegistryStore, read and
// written with hivex.
//
// Keys and values are loaded in full; values keep the order the hive stores them in, which is the order
// Windows enumerates them. Saving writes the values of every changed key (and any new keys) into the hive
// with hivex, commits the whole hive to a temporary file in the same folder and renames it over the
// original with the original's permissions; keys the program did not change are left as they were.
//
// A hive is loaded read-only, with the reason kept, when its header says Windows did not close it cleanly
// (the two sequence numbers differ: its log files hold changes not yet in the hive), when part of it
// cannot be read, or when its file or folder cannot be written.
#include "platform/atomic_file.h"
#include "platform/registry_tree.h"

#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

struct hive_h;

namespace vx {

// What the first bytes of a registry file say.
struct HiveHeader {
    enum class Format { Regf, Creg, Unknown, Unreadable };
    Format format = Format::Unknown;
    uint32_t primarySequence = 0;
    uint32_t secondarySequence = 0;
    uint64_t pagesEnd = 0; // where the header says the hive's pages end, from the start of the file
    uint64_t fileSize = 0;
    // Windows writes both numbers equal when it closes a hive cleanly.
    bool Clean() const { return primarySequence == secondarySequence; }
};
HiveHeader ReadHiveHeader(const std::filesystem::path& path);

class HiveFile : public RegistryStore {
  public:
    ~HiveFile() override;

    // Reads the hive at `path`. Null with `why` set (one line naming the file) when it is not a regf
    // hive or hivex cannot open it. Parts that cannot be read are skipped, reported in `warnings`, and
    // make the hive read-only.
    static std::unique_ptr<HiveFile> Load(const std::filesystem::path& path, std::string& why,
                                          std::vector<std::string>& warnings);

    const std::filesystem::path& Path() const { return path_; }
    size_t KeyCount() const { return nodes_.size(); }
    // Why the hive may not be written (one line naming the file); empty when it may.
    const std::string& ReadOnlyReason() const { return readOnlyReason_; }

    // Writes the hive if anything changed. False with `why` set when it could not; the file on disk is
    // then untouched.
    bool Save(std::string& why);

    // A save in steps, for the hives of a volume saved together (see FileReplacement): the new hive
    // written aside and synced; put in place (the old one kept aside); then taken back or finished.
    bool PrepareSave(std::string& why);
    bool CommitSave(std::string& why);
    bool RollbackSave(std::string& why);
    void FinishSave();
    void AbandonSave();

  private:
    HiveFile(std::filesystem::path path, hive_h* hive);
    bool LoadTree(std::string& why, std::vector<std::string>& warnings);
    struct TreeLoad;
    void LoadNodeValues(TreeLoad& load, size_t node, RegKeyNode& key); // node: a hivex node handle
    void LoadNodeSubkeys(TreeLoad& load, size_t node, RegKeyNode& key, size_t depth);
    void NoteDamage(TreeLoad& load, const RegKeyNode& key, const std::string& what);
    void NoteSkipped(TreeLoad& load, const RegKeyNode& key, const std::string& why);
    void MakeReadOnly(std::string reason);
    // The hive's node for a key, added to the hive (with its missing parents) when the key is new.
    size_t HiveNodeOf(RegKeyNode& key, std::string& why);
    bool ApplyChanges(std::string& why);

    std::filesystem::path path_;
    std::unique_ptr<FileReplacement> pending_; // a save between PrepareSave and FinishSave
    bool committed_ = false;
    hive_h* hive_;
    std::unordered_map<const RegKeyNode*, size_t> nodes_; // key → hivex node handle
    std::string readOnlyReason_;
};

} // namespace vx

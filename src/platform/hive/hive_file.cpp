// One registry hive file (regf: SOFTWARE, SYSTEM, NTUSER.DAT, UsrClass.dat) as a RegistryStore, read and
// written with hivex.
#include "platform/hive/hive_file.h"

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "platform/regular_file.h"

#include <hivex.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>

namespace vx {
namespace {

uint32_t Le32(const unsigned char* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

std::string KeyPathOf(const RegKeyNode& key, const RegistryStore& store) {
    std::vector<std::string_view> names;
    for (const RegKeyNode* k = &key; k && k != store.Root(); k = k->parent)
        names.push_back(k->name);
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name)
        path.append("\\").append(*name);
    return path.empty() ? "\\" : path;
}

// Why a file cannot be replaced by a new one, or empty when it can.
std::string WhyNotReplaceable(const std::filesystem::path& file) {
    const std::filesystem::path dir = file.parent_path().empty() ? "." : file.parent_path();
    for (const auto& p : {dir, file}) {
        if (::access(p.c_str(), W_OK) == 0)
            continue;
        if (errno == EROFS)
            return "the volume is mounted read-only";
        return (p == dir ? "its folder" : "the file") + std::string(" cannot be written (") +
               std::strerror(errno) + ")";
    }
    return {};
}

struct HivexFree {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using HivexPtr = std::unique_ptr<T, HivexFree>;

} // namespace

HiveHeader ReadHiveHeader(const std::filesystem::path& path) {
    HiveHeader header;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        header.format = HiveHeader::Format::Unreadable;
        return header;
    }
    unsigned char bytes[0x2C] = {};
    in.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    const auto got = in.gcount();
    if (got < 4)
        return header;
    if (std::memcmp(bytes, "regf", 4) == 0 && got >= 12) {
        header.format = HiveHeader::Format::Regf;
        header.primarySequence = Le32(bytes + 4);
        header.secondarySequence = Le32(bytes + 8);
        header.pagesEnd = 0x1000 + uint64_t{Le32(bytes + 0x28)}; // the pages follow the 4 KiB header
        std::error_code ec;
        header.fileSize = std::filesystem::file_size(path, ec);
    } else if (std::memcmp(bytes, "CREG", 4) == 0) {
        header.format = HiveHeader::Format::Creg;
    }
    return header;
}

HiveFile::HiveFile(std::filesystem::path path, hive_h* hive)
    : RegistryStore(ValueOrder::Stored), path_(std::move(path)), hive_(hive) {}

HiveFile::~HiveFile() {
    if (hive_)
        hivex_close(hive_);
}

void HiveFile::MakeReadOnly(std::string reason) {
    if (readOnlyReason_.empty())
        readOnlyReason_ = path_.string() + ": " + std::move(reason);
    SetWritable(false, readOnlyReason_);
}

std::unique_ptr<HiveFile> HiveFile::Load(const std::filesystem::path& path, std::string& why,
                                         std::vector<std::string>& warnings) {
    // Never read a named pipe or a device in a hive's place: the read could wait forever.
    if (std::string cause; CheckRegularFile(path, cause) != RegularFile::Ok) {
        why = path.string() + ": cannot read the hive: " + (cause.empty() ? std::strerror(ENOENT) : cause);
        return nullptr;
    }
    const HiveHeader header = ReadHiveHeader(path);
    switch (header.format) {
    case HiveHeader::Format::Unreadable:
        why = path.string() + ": cannot be read: " + std::strerror(errno);
        return nullptr;
    case HiveHeader::Format::Creg:
        why = path.string() +
              ": a Windows 95/98/Me registry file (CREG format), not a Windows NT hive; it cannot be opened";
        return nullptr;
    case HiveHeader::Format::Unknown:
        why = path.string() + ": not a registry hive (the file does not begin with \"regf\")";
        return nullptr;
    case HiveHeader::Format::Regf:
        break;
    }
    const std::string notReplaceable = WhyNotReplaceable(path);
    const bool writable = header.Clean() && notReplaceable.empty();
    // Opened for writing, hivex keeps the whole hive in memory, which a commit then writes out.
    hive_h* hive = hivex_open(path.c_str(), writable ? HIVEX_OPEN_WRITE : 0);
    bool unsafe = false;
    if (!hive) {
        const int openError = errno;
        // hivex's lenient mode reads past some damage; such a hive is only ever read. It looks for the next
        // page up to where the header says the pages end, reading beyond the end of a shorter file.
        if (header.pagesEnd > header.fileSize) {
            why = path.string() + ": hivex cannot open the hive: " + std::strerror(openError) +
                  " (it is damaged, and shorter than its header says)";
            return nullptr;
        }
        hive = hivex_open(path.c_str(), HIVEX_OPEN_UNSAFE);
        if (!hive) {
            why = path.string() + ": hivex cannot open the hive: " + std::strerror(openError);
            return nullptr;
        }
        unsafe = true;
    }
    auto file = std::unique_ptr<HiveFile>(new HiveFile(path, hive));
    if (!header.Clean())
        file->MakeReadOnly("the hive was not closed cleanly (its header's sequence numbers differ: Windows "
                           "has changes for it in its log files); it is opened read-only. Start Windows "
                           "and shut it down fully (not hibernated), then try again");
    else if (unsafe) {
        warnings.push_back(path.string() + ": damaged hive, read leniently and opened read-only");
        file->MakeReadOnly("the hive is damaged; it is opened read-only");
    } else if (!notReplaceable.empty())
        file->MakeReadOnly(notReplaceable + "; the hive is opened read-only");
    if (!file->LoadTree(why, warnings))
        return nullptr;
    return file;
}

// The state of one load of the hive's tree: walked on a stack of its own, depth first.
struct HiveFile::TreeLoad {
    std::vector<std::string>& warnings;
    // The key each hive node was loaded as: a damaged hive can list a key below itself or below another
    // parent, and loading it again would never end (or end up shown twice).
    std::unordered_map<hive_node_h, const RegKeyNode*> loaded;
    struct Pending {
        hive_node_h node;
        RegKeyNode* key;
        size_t depth;
    };
    std::vector<Pending> pending;
    std::vector<RegValueRecord> values;
    // Keys deeper than a key may lie are left in the hive as they are, not loaded.
    const RegKeyNode* firstTooDeep = nullptr;
};

void HiveFile::NoteDamage(TreeLoad& load, const RegKeyNode& key, const std::string& what) {
    const int err = errno;
    load.warnings.push_back(path_.string() + ": damaged hive: " + what + " of " + KeyPathOf(key, *this) +
                            " cannot be read (" + std::strerror(err) +
                            "); skipped, and the hive is opened read-only");
    MakeReadOnly("the hive is damaged; it is opened read-only");
}

void HiveFile::NoteSkipped(TreeLoad& load, const RegKeyNode& key, const std::string& why) {
    load.warnings.push_back(path_.string() + ": damaged hive: a subkey of " + KeyPathOf(key, *this) + " " +
                            why + "; skipped, and the hive is opened read-only");
    MakeReadOnly("the hive is damaged; it is opened read-only");
}

void HiveFile::LoadNodeValues(TreeLoad& load, hive_node_h node, RegKeyNode& key) {
    errno = 0;
    HivexPtr<hive_value_h> valueList(hivex_node_values(hive_, node));
    if (!valueList)
        NoteDamage(load, key, "the values");
    for (size_t i = 0; valueList && valueList.get()[i]; ++i) {
        const hive_value_h value = valueList.get()[i];
        // Names may hold NUL characters, so their length comes from hivex rather than strlen.
        const size_t nameLength = hivex_value_key_len(hive_, value);
        HivexPtr<char> name(hivex_value_key(hive_, value));
        // Real hives hold types beyond hivex's enumeration (0xFFFF0011 in a SYSTEM hive): the type is
        // read as the 32-bit number it is, never loaded as the enum.
        alignas(hive_type) unsigned char typeBytes[sizeof(hive_type)] = {};
        size_t length = 0;
        HivexPtr<char> data(
            name ? hivex_value_value(hive_, value, reinterpret_cast<hive_type*>(typeBytes), &length)
                 : nullptr);
        uint32_t type = 0;
        std::memcpy(&type, typeBytes, sizeof type);
        if (!name || !data) {
            NoteDamage(load, key, "a value");
            continue;
        }
        load.values.push_back(
            RegValueRecord::Stored(Strings(), {name.get(), nameLength}, type, {data.get(), length}));
    }
    AddLoadedValues(key, load.values);
}

void HiveFile::LoadNodeSubkeys(TreeLoad& load, hive_node_h node, RegKeyNode& key, size_t depth) {
    auto onTheWay = [](const RegKeyNode* ancestor, const RegKeyNode* below) {
        for (const RegKeyNode* up = below; up; up = up->parent)
            if (up == ancestor)
                return true;
        return false;
    };
    errno = 0;
    HivexPtr<hive_node_h> children(hivex_node_children(hive_, node));
    if (!children) {
        NoteDamage(load, key, "the subkeys");
        return;
    }
    size_t count = 0;
    while (children.get()[count])
        ++count;
    if (count > 0 && depth == kMaxKeyDepth) {
        key.deeper = true;
        if (!load.firstTooDeep)
            load.firstTooDeep = &key;
        return;
    }
    // Pushed in reverse, so that keys are loaded in the hive's order.
    for (size_t i = count; i-- > 0;) {
        const hive_node_h child = children.get()[i];
        const size_t nameLength = hivex_node_name_len(hive_, child);
        HivexPtr<char> name(hivex_node_name(hive_, child));
        if (!name) {
            NoteDamage(load, key, "a subkey's name");
            continue;
        }
        // Opening an empty name opens the parent again, so such a key could only be walked forever.
        if (nameLength == 0) {
            NoteSkipped(load, key, "has an empty name");
            continue;
        }
        if (const auto seen = load.loaded.find(child); seen != load.loaded.end()) {
            NoteSkipped(load, key,
                        (onTheWay(seen->second, &key) ? "leads back to " : "is already listed at ") +
                            KeyPathOf(*seen->second, *this));
            continue;
        }
        RegKeyNode* sub = AddLoadedKey(key, Strings().Copy({name.get(), nameLength}));
        load.loaded.emplace(child, sub);
        if (!nodes_.emplace(sub, child).second) {
            errno = EEXIST;
            NoteDamage(load, key, "a subkey listed twice");
            continue;
        }
        load.pending.push_back({child, sub, depth + 1});
    }
}

bool HiveFile::LoadTree(std::string& why, std::vector<std::string>& warnings) {
    const hive_node_h rootNode = hivex_root(hive_);
    if (rootNode == 0) {
        why = path_.string() + ": hivex cannot find the hive's root key: " + std::strerror(errno);
        return false;
    }
    nodes_[Root()] = rootNode;
    TreeLoad load{warnings, {{rootNode, Root()}}, {{rootNode, Root(), 0}}, {}, nullptr};
    while (!load.pending.empty()) {
        const auto [node, key, depth] = load.pending.back();
        load.pending.pop_back();
        LoadNodeValues(load, node, *key);
        LoadNodeSubkeys(load, node, *key, depth);
    }
    if (load.firstTooDeep)
        warnings.push_back(path_.string() + ": keys below " + KeyPathOf(*load.firstTooDeep, *this) +
                           " lie deeper than " + std::to_string(kMaxKeyDepth) +
                           " levels, more than Windows allows; not loaded (left in the hive as they are)");
    return true;
}

size_t HiveFile::HiveNodeOf(RegKeyNode& key, std::string& why) {
    // The new keys from the deepest one the hive has down to this one.
    std::vector<RegKeyNode*> missing;
    RegKeyNode* k = &key;
    auto known = nodes_.find(k);
    for (; known == nodes_.end(); known = nodes_.find(k)) {
        if (!k->parent || k->store != this)
            return 0;
        missing.push_back(k);
        k = k->parent;
    }
    size_t node = known->second;
    for (auto added = missing.rbegin(); added != missing.rend(); ++added) {
        const std::string name((*added)->name);
        node = hivex_node_add_child(hive_, node, name.c_str());
        if (node == 0) {
            why = path_.string() + ": hivex cannot add the key " + KeyPathOf(**added, *this) + ": " +
                  std::strerror(errno);
            return 0;
        }
        nodes_[*added] = node;
    }
    return node;
}

bool HiveFile::Save(std::string& why) {
    if (!PrepareSave(why) || !CommitSave(why))
        return false;
    FinishSave();
    return true;
}

// Hands every changed key's values to hivex, which keeps its own copy of the hive.
bool HiveFile::ApplyChanges(std::string& why) {
    std::vector<RegKeyNode*> dirty;
    ForEachKey([&](RegKeyNode& key) {
        if (key.dirty)
            dirty.push_back(&key);
    });
    for (RegKeyNode* key : dirty) {
        std::vector<std::string> names;
        names.reserve(key->values.size());
        for (const auto& value : key->values) {
            if (value.name().find('\0') != std::string_view::npos) {
                why = path_.string() + ": the values of " + KeyPathOf(*key, *this) +
                      " cannot be written back: a value name holds a NUL character";
                return false;
            }
            names.emplace_back(value.name());
        }
        std::vector<hive_set_value> set(key->values.size());
        for (size_t i = 0; i < set.size(); ++i) {
            set[i].key = names[i].data();
            // Copied as bytes: a type beyond hivex's enumeration must not pass through the enum.
            const uint32_t type = key->values[i].type();
            static_assert(sizeof(hive_type) == sizeof type);
            std::memcpy(&set[i].t, &type, sizeof type);
            set[i].len = key->values[i].data().size();
            set[i].value = const_cast<char*>(key->values[i].data().data());
        }
        const size_t node = HiveNodeOf(*key, why);
        if (node == 0 || hivex_node_set_values(hive_, node, set.size(), set.data(), 0) != 0) {
            if (node != 0)
                why = path_.string() + ": hivex cannot write the values of " + KeyPathOf(*key, *this) + ": " +
                      std::strerror(errno);
            // hivex's copy of the hive may now be half changed: never commit it.
            MakeReadOnly("an earlier save failed; open the volume again to retry");
            return false;
        }
    }
    return true;
}

bool HiveFile::PrepareSave(std::string& why) {
    AbandonSave();
    if (!Changed())
        return true;
    if (!readOnlyReason_.empty()) {
        why = readOnlyReason_;
        return false;
    }
    if (!ApplyChanges(why))
        return false;
    bool hivexFailed = false;
    auto fill = [&](int, const std::string& tempPath) -> int {
        if (hivex_commit(hive_, tempPath.c_str(), 0) == 0)
            return 0;
        hivexFailed = true;
        return errno != 0 ? errno : EIO;
    };
    auto pending = std::make_unique<FileReplacement>();
    if (const int err = pending->Prepare(path_, fill); err != 0) {
        why =
            path_.string() + ": cannot save the hive: " + (hivexFailed ? "hivex: " : "") + std::strerror(err);
        MakeReadOnly("an earlier save failed; open the volume again to retry");
        return false;
    }
    pending_ = std::move(pending);
    return true;
}

bool HiveFile::CommitSave(std::string& why) {
    if (!pending_)
        return true;
    if (const int err = pending_->Commit(); err != 0) {
        pending_.reset();
        why = path_.string() + ": cannot save the hive: " + std::strerror(err);
        MakeReadOnly("an earlier save failed; open the volume again to retry");
        return false;
    }
    committed_ = true;
    return true;
}

bool HiveFile::RollbackSave(std::string& why) {
    if (!pending_ || !committed_)
        return true;
    if (const int err = pending_->Rollback(); err != 0) {
        why = path_.string() + ": cannot put the hive back as it was: " + std::strerror(err);
        return false;
    }
    pending_.reset();
    committed_ = false;
    // hivex's copy now holds changes the file does not: never commit it again.
    MakeReadOnly("an earlier save failed; open the volume again to retry");
    return true;
}

void HiveFile::AbandonSave() {
    if (pending_ && !committed_)
        MakeReadOnly("an earlier save failed; open the volume again to retry");
    pending_.reset();
}

void HiveFile::FinishSave() {
    if (!pending_)
        return;
    pending_->Finish();
    pending_.reset();
    committed_ = false;
    ForEachKey([](RegKeyNode& key) { key.dirty = false; });
    ClearChanged();
}

} // namespace vx

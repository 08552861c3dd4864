#pragma once
// The registry of a Wine prefix: system.reg is HKEY_LOCAL_MACHINE, user.reg is HKEY_CURRENT_USER (and
// HKEY_USERS\<the user's SID>), userdef.reg is HKEY_USERS\.Default. A missing file is an empty key.
#include "platform/registry_view.h"
#include "platform/wine/wine_reg_file.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace vx {

class WineRegistry : public RegistryView {
  public:
    // Writes every changed file. Refused (ERROR_SHARING_VIOLATION, nothing written) while Wine runs in
    // the prefix; ERROR_CANTWRITE when a file could not be saved. LastError() says why in one line.
    Status Flush() override;
    bool LastFlushWroteNothing() const override { return wroteNothing_; }

    const std::filesystem::path& Prefix() const { return prefix_; }
    WineRegFile& MachineFile() { return *machine_; }
    WineRegFile& UserFile() { return *user_; }
    WineRegFile& DefaultUserFile() { return *defaultUser_; }
    // Where to look for the Wine server's socket folder (tests point it elsewhere).
    void SetServerSocketRoot(std::filesystem::path root) { serverRoot_ = std::move(root); }
    // Whether changes could be written now; when not, `why` says why.
    bool CanWrite(std::string& why) const;

  private:
    friend std::unique_ptr<WineRegistry> OpenWineRegistry(const std::filesystem::path&, std::string&,
                                                          std::vector<std::string>&);
    WineRegistry() = default;

    // Which file a path named when it was read: a save refuses to replace a file that changed since.
    struct FileStamp {
        bool exists = false;
        uint64_t device = 0, inode = 0;
        int64_t size = 0, seconds = 0, nanoseconds = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp StampOf(const std::filesystem::path& file);

    std::filesystem::path prefix_;
    std::filesystem::path serverRoot_;
    RegistryStore names_{RegistryStore::ValueOrder::Sorted, "Registry"};
    std::unique_ptr<WineRegFile> machine_, user_, defaultUser_;
    std::vector<FileStamp> stamps_; // machine, user, default user, as read
    bool wroteNothing_ = true;
};

// Reads the prefix's registry files. Null with `why` set (one line naming the folder or file) when the
// prefix is not a folder, has none of system.reg, user.reg and drive_c (so is no Wine prefix), a file
// cannot be read, or a file is not in Wine's format. Lines Wine would skip
// are reported in `warnings` ("file:line: …").
std::unique_ptr<WineRegistry> OpenWineRegistry(const std::filesystem::path& prefix, std::string& why,
                                               std::vector<std::string>& warnings);

// Whether the folder is a Wine prefix: it holds a system.reg, a user.reg or a drive_c.
bool IsWinePrefix(const std::filesystem::path& folder);

// $WINEPREFIX, else ~/.wine.
std::filesystem::path DefaultWinePrefix();

} // namespace vx

#pragma once
// A real Wine prefix on disk for tests: registry files in Wine's format, dosdevices links and a drive_c
// tree holding the files that should exist.
#include "platform/target.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

// A temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

class FixturePrefix {
  public:
    FixturePrefix();

    // Registry content. Roots: "HKLM", "HKCU", "HKU.Default". The empty value name is the unnamed value.
    FixturePrefix& Key(std::string_view root, std::string_view keyPath);
    FixturePrefix& String(std::string_view root, std::string_view keyPath, std::string_view name,
                          std::string_view value);
    FixturePrefix& ExpandString(std::string_view root, std::string_view keyPath, std::string_view name,
                                std::string_view value);
    FixturePrefix& MultiString(std::string_view root, std::string_view keyPath, std::string_view name,
                               const std::vector<std::string>& values);
    FixturePrefix& Dword(std::string_view root, std::string_view keyPath, std::string_view name,
                         uint32_t value);
    FixturePrefix& Binary(std::string_view root, std::string_view keyPath, std::string_view name,
                          const std::vector<uint8_t>& bytes);

    // Files and folders of drive C (a Windows path such as "C:\windows\system32\ole32.dll").
    FixturePrefix& File(std::string_view windowsPath, std::string_view contents = "");
    FixturePrefix& Folder(std::string_view windowsPath);
    std::filesystem::path HostPathOf(std::string_view windowsPath) const;

    // Another drive: a folder of the prefix linked from dosdevices, with Wine's type for it ("hd",
    // "cdrom", "network", "floppy"; empty: none recorded).
    FixturePrefix& Drive(char letter, std::string_view wineType);

    // The usual folders and registry values of a Windows installation, with a few system files.
    FixturePrefix& WithWindowsBasics();

    // Writes the registry files and links (again, after changes) and opens the prefix as a target.
    void Write();
    std::unique_ptr<Target> Open();
    std::unique_ptr<Target> WriteAndOpen();

    const std::filesystem::path& root() const { return dir_.path(); }
    std::filesystem::path driveC() const { return dir_.path() / "drive_c"; }

  private:
    struct Value {
        std::string name;
        std::string data; // already in Wine's notation
    };
    using Keys = std::map<std::string, std::vector<Value>>;
    FixturePrefix& Put(std::string_view root, std::string_view keyPath, std::string_view name,
                       std::string data);
    Keys& KeysOf(std::string_view root);
    void WriteFile(const std::filesystem::path& file, std::string_view relativeTo, const Keys& keys) const;

    TempDir dir_;
    Keys machine_, user_, defaultUser_;
    std::vector<char> drives_;
};

// A text in Wine's quoted string notation ("C:\\x" with its escapes).
std::string WineQuoted(std::string_view text);

} // namespace vx::test

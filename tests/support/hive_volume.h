#pragma once
// Windows volumes for the hive tests: a temporary folder with copies of real hives at their Windows
// paths, hives built at run time from the minimal hive of the test data, and the files that should exist.
#include "platform/hive/windows_volume.h"
#include "support/fixture_prefix.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vx::test {

// A file of the real test data (hives/…).
std::filesystem::path Testdata(std::string_view relative);

constexpr std::string_view kSoftwareHive = "C:\\Windows\\System32\\config\\SOFTWARE";
constexpr std::string_view kSystemHive = "C:\\Windows\\System32\\config\\SYSTEM";
std::string UserHive(std::string_view user);    // C:\Users\<user>\NTUSER.DAT
std::string ClassesHive(std::string_view user); // …\AppData\Local\Microsoft\Windows\UsrClass.dat

class FixtureVolume {
  public:
    // A copy of a test-data hive (writable, as a mounted volume's files are) at a Windows path.
    FixtureVolume& Hive(std::string_view windowsPath, std::string_view testdataName);
    FixtureVolume& File(std::string_view windowsPath, std::string_view contents = "");
    std::filesystem::path HostPathOf(std::string_view windowsPath) const;
    const std::filesystem::path& root() const { return dir_.path(); }

    // Opens the volume, failing the test (and returning null) when it cannot be opened.
    std::unique_ptr<Target> Open(const std::string& user = {});

  private:
    TempDir dir_;
};

// Writes keys and values into a hive file with hivex (a copy of the minimal hive when `path` is new).
class HiveBuilder {
  public:
    explicit HiveBuilder(std::filesystem::path path);
    ~HiveBuilder(); // commits
    HiveBuilder& Key(std::string_view keyPath);
    HiveBuilder& String(std::string_view keyPath, std::string_view name, std::string_view value,
                        uint32_t type = 1 /*REG_SZ*/);
    HiveBuilder& Dword(std::string_view keyPath, std::string_view name, uint32_t value);

  private:
    HiveBuilder& Value(std::string_view keyPath, std::string_view name, uint32_t type, std::string bytes);
    std::filesystem::path path_;
    void* hive_;
};

// Every key of a hive file in hivex's order, each with its values (name, type, data in hex), read with
// hivex itself. sortValues lists each key's values by name instead of in stored order.
std::string DumpHive(const std::filesystem::path& path, bool sortValues = false);
// The key paths of a hive file in hivex's order, depth first.
std::vector<std::string> HiveKeyPaths(const std::filesystem::path& path);

} // namespace vx::test

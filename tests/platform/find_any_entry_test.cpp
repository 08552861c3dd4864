// A search with a list of masks answers as the searches with each mask in turn would, whichever entry
// kinds, attribute bits, wildcards and failures the path meets: the host's own search and the one every
// file system has.
#include "platform/host_file_system.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/xattr.h>
#include <vector>

namespace vx {
namespace {
namespace fs = std::filesystem;

class FindAnyEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "vx-findany-XXXXXX").string();
        root = mkdtemp(pattern.data());
        File("windows/system32/shell32.dll");
        File("App/plain.dll");
        File("App/hidden.dll", "0x2");
        File("App/system.dll", "0x4");
        File("App/both.dll", "0x6");
        File("App/.dotted.dll");
        fs::create_directories(root / "App/Plugins");
        fs::create_directories(root / "OnlyHidden");
        File("OnlyHidden/h.ini", "0x2");
        File("OnlyBoth/b.ini", "0x6");
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root, ec);
    }
    void File(const std::string& rel, const std::string& dosAttrib = {}) {
        fs::create_directories((root / rel).parent_path());
        std::ofstream(root / rel) << "x";
        if (!dosAttrib.empty())
            ASSERT_EQ(setxattr((root / rel).c_str(), "user.DOSATTRIB", dosAttrib.data(), dosAttrib.size(), 0),
                      0)
                << "extended attributes are needed for this test";
    }

    fs::path root;
};

// What a caller asking mask after mask would conclude.
Lookup OneByOne(HostFileSystem& files, std::string_view pattern, const std::vector<uint32_t>& masks) {
    for (uint32_t mask : masks) {
        const FindResult r = files.FindFirstEntry(pattern, mask);
        if (r.kind != Lookup::NotFound)
            return r.kind;
    }
    return Lookup::NotFound;
}

// Mask lists, and paths meeting every entry kind, attribute bit, wildcard and failure.
const std::vector<std::vector<uint32_t>> kMaskLists = {
    {0, 2, 32, 1, 0, 4, 6}, // the file-existence test's
    {0, 2, 32, 1, 0, 4},    // without hidden and system together
    {0},
    {2},
    {4, 1},
    {0x10},
    {0x16},
    {},
};
const std::vector<std::string> kPatterns = {
    "C:\\windows\\system32\\shell32.dll",
    "C:\\WINDOWS\\System32\\SHELL32.DLL",
    "C:\\windows\\shell32.dll",
    "C:\\App\\plain.dll",
    "C:\\App\\hidden.dll",
    "C:\\App\\system.dll",
    "C:\\App\\both.dll",
    "C:\\App\\.dotted.dll",
    "C:\\App\\Plugins",
    "C:\\App\\missing.dll",
    "C:\\Gone\\x.dll",
    "C:\\App\\plain.dll\\x",
    "C:\\App\\*.dll",
    "C:\\OnlyHidden\\*",
    "C:\\OnlyBoth\\*.ini",
    "C:\\App\\plug*",
    "C:\\App\\",
    "C:\\",
    "",
    "C:\\App\\a<b.dll",
    "Q:\\x.dll",
    "relative\\x.dll",
    "C:\\App\\..\\App\\plain.dll",
};

TEST_F(FindAnyEntryTest, AnswersAsTheSearchesOneByOne) {
    HostFileSystem files(VolumeAsDriveC(root));
    for (const auto& masks : kMaskLists)
        for (const auto& pattern : kPatterns)
            EXPECT_EQ(files.FindAnyEntry(pattern, masks), OneByOne(files, pattern, masks))
                << pattern << " with " << masks.size() << " masks";
}

// A file system that has only the one-mask search of its own, as a backend without a faster many-mask
// search would.
class OneMaskAtATime final : public FileSystem {
  public:
    explicit OneMaskAtATime(FileSystem& real) : real_(real) {}
    uint32_t GetSystemDirectory(std::span<char> b) override { return real_.GetSystemDirectory(b); }
    uint32_t GetWindowsDirectory(std::span<char> b) override { return real_.GetWindowsDirectory(b); }
    std::string GetTempPath() override { return real_.GetTempPath(); }
    std::vector<Drive> Drives() override { return real_.Drives(); }
    bool GetVolumeInformation(std::string_view root) override { return real_.GetVolumeInformation(root); }
    FindResult FindFirstEntry(std::string_view p, uint32_t m) override { return real_.FindFirstEntry(p, m); }
    std::unique_ptr<FileSearch> FindFirstFile(std::string_view p, FindData& f) override {
        return real_.FindFirstFile(p, f);
    }
    uint32_t GetFileAttributes(std::string_view p) override { return real_.GetFileAttributes(p); }
    uint32_t GetShortPathName(std::string_view p, std::span<char> b) override {
        return real_.GetShortPathName(p, b);
    }
    std::optional<uint64_t> GetFileSize(std::string_view p) override { return real_.GetFileSize(p); }
    bool CopyFile(std::string_view a, std::string_view b, bool f) override { return real_.CopyFile(a, b, f); }
    bool DeleteFile(std::string_view p) override { return real_.DeleteFile(p); }
    std::optional<fs::path> HostPath(std::string_view p) override { return real_.HostPath(p); }

  private:
    FileSystem& real_;
};

TEST_F(FindAnyEntryTest, TheInterfacesOwnSearchAnswersAsTheHosts) {
    HostFileSystem host(VolumeAsDriveC(root));
    OneMaskAtATime plain(host);
    FileSystem& files = plain;
    for (const auto& masks : kMaskLists)
        for (const auto& pattern : kPatterns)
            EXPECT_EQ(files.FindAnyEntry(pattern, masks), host.FindAnyEntry(pattern, masks))
                << pattern << " with " << masks.size() << " masks";
}

} // namespace
} // namespace vx

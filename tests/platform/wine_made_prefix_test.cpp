// A prefix that Wine itself made (tools/make-wine-prefix.sh; the tests run when VANTRELIX_WINE_PREFIX
// names it): its registry files read and write back exactly as Wine wrote them, and reg query shows what
// Wine's own reg query shows.
#include "support/registry_test_prefix.h"

#include "platform/wine/wine_reg_file.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>

namespace vx {
namespace {
namespace fs = std::filesystem;

class WineMadePrefix : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* dir = std::getenv("VANTRELIX_WINE_PREFIX");
        if (!dir || !*dir)
            GTEST_SKIP() << "VANTRELIX_WINE_PREFIX is not set (make one with tools/make-wine-prefix.sh DIR)";
        prefix = dir;
        ASSERT_TRUE(fs::exists(prefix / "system.reg")) << prefix;
    }
    fs::path prefix;
};

// The stamps Wine puts on key lines and #time= lines, which a rewrite renews.
std::string WithoutStamps(const std::string& text) {
    std::istringstream in(text);
    std::string line, out;
    while (std::getline(in, line)) {
        if (line.starts_with("[") && line.find("] ") != std::string::npos)
            line = line.substr(0, line.rfind("] ") + 1);
        else if (line.starts_with("#time="))
            line = "#time=";
        out += line + "\n";
    }
    return out;
}

void RewriteEveryValue(RegistryStore& store, RegKeyNode& key) {
    std::string scratch;
    for (size_t i = 0; i < key.values.size(); ++i) {
        const RegValueRecord value = key.values[i];
        const std::string bytes(store.ValueBytes(value, scratch));
        store.SetValue(key, value.name(), value.type(), bytes);
    }
    for (RegKeyNode* sub : key.subkeys)
        RewriteEveryValue(store, *sub);
}

TEST_F(WineMadePrefix, RegistryFilesReadAndWriteBackAsWineWroteThem) {
    for (const char* name : {"system.reg", "user.reg", "userdef.reg"}) {
        SCOPED_TRACE(name);
        const std::string text = test::ReadAll(prefix / name);
        std::string error;
        std::vector<std::string> warnings;
        auto file = WineRegFile::Parse(text, prefix / name, "", error, warnings);
        ASSERT_TRUE(file) << error;
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        EXPECT_TRUE(file->Serialize() == text) << "unchanged file not reproduced";

        // Every value written afresh comes out in Wine's own notation: escapes, types, hex line breaks.
        RewriteEveryValue(*file, *file->Root());
        ASSERT_TRUE(file->Changed());
        const std::string rewritten = WithoutStamps(file->Serialize());
        const std::string original = WithoutStamps(text);
        if (rewritten != original) {
            size_t at = 0;
            while (at < rewritten.size() && at < original.size() && rewritten[at] == original[at])
                ++at;
            const size_t from =
                original.rfind('\n', at) == std::string::npos ? 0 : original.rfind('\n', at) + 1;
            ADD_FAILURE() << "first difference at line of:\n  wine: "
                          << original.substr(from, original.find('\n', at) - from)
                          << "\n  ours: " << rewritten.substr(from, rewritten.find('\n', at) - from);
        }
    }
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

TEST_F(WineMadePrefix, RegQueryShowsWhatWinesRegQueryShowsAndWritesWaitForWine) {
    if (test::RunProgram({"sh", "-c", "command -v wine"}).status != 0)
        GTEST_SKIP() << "wine is not installed";
    const std::string key = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion";
    const std::string env = "WINEPREFIX=" + prefix.string();
    // A server that stays until told to go, so that it is surely running for the write below.
    ASSERT_EQ(test::RunProgram({"env", env, "wineserver", "-p"}).status, 0);
    const auto wine = test::RunProgram({"env", env, "WINEDEBUG=-all", "wine", "reg", "query", key, "/s"});

    const std::string before = test::ReadAll(prefix / "user.reg");
    const auto refused =
        test::RunReg(prefix, {"add", "HKCU\\Software\\Vantrelix test", "/v", "x", "/d", "y", "/f"});
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(refused.err.find("Wine is running in " + prefix.string()), std::string::npos) << refused.err;
    EXPECT_EQ(test::ReadAll(prefix / "user.reg"), before);

    // Wine writes its registry back when its server exits; read the files after that.
    test::RunProgram({"env", env, "wineserver", "-k"});
    test::RunProgram({"env", env, "wineserver", "-w"});
    ASSERT_EQ(wine.status, 0) << wine.err;

    const auto ours = test::RunReg(prefix, {"query", key, "/s"});
    ASSERT_EQ(ours.status, 0) << ours.err;
    const auto expected = Lines(wine.out), actual = Lines(ours.out);
    EXPECT_GT(expected.size(), 100u);
    for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
        const std::string want = i < expected.size() ? expected[i] : "<end>";
        const std::string got = i < actual.size() ? actual[i] : "<end>";
        if (want != got) {
            ADD_FAILURE() << "line " << i + 1 << "\n  wine: " << want << "\n  ours: " << got;
            break;
        }
    }
}

} // namespace
} // namespace vx

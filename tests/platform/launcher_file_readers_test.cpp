// The tolerant readers of the launchers' files: Steam's KeyValues and the keys of a YAML file.
#include "platform/wine/folder_usage.h"
#include "platform/wine/key_values.h"
#include "platform/wine/yaml_keys.h"
#include "support/fixture_prefix.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>

namespace vx {
namespace {
namespace fs = std::filesystem;

TEST(KeyValuesTest, ReadsWhatSteamWrites) {
    const std::string text = "\xEF\xBB\xBF// written by Steam\r\n"
                             "\"AppState\"\r\n{\r\n"
                             "\t\"name\"\t\t\"Tom \\\"Q\\\" \\\\ Game\"\r\n"
                             "\tbare value // comment\n"
                             "\t\"os\" \"win\" [$WIN32]\n"
                             "\t\"Depots\" { \"1\" { \"size\" \"10\" } }\n"
                             "}\n";
    std::string error;
    const auto pairs = ReadKeyValues(text, error);
    ASSERT_TRUE(pairs) << error;
    ASSERT_EQ(pairs->size(), 1u);
    const KeyValues& app = pairs->front();
    EXPECT_TRUE(app.block);
    ASSERT_NE(app.Find("NAME"), nullptr);
    EXPECT_EQ(app.Find("name")->value, "Tom \"Q\" \\ Game");
    ASSERT_NE(app.Find("bare"), nullptr);
    EXPECT_EQ(app.Find("bare")->value, "value");
    EXPECT_EQ(app.Find("os")->value, "win");
    EXPECT_EQ(app.Find("Depots")->Find("1")->Find("size")->value, "10");
}

TEST(KeyValuesTest, DamagedTextIsRefusedWithItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"\"a\" {\n\"b\" \"c\"\n", "line 3: a block is not closed"},
        {"\"a\" \"b\"\n}\n", "line 2: a \"}\" closes no block"},
        {"\"a\"\n", "line 2: \"a\" has no value"},
        {"\"a\" \"b", "line 1: an unclosed quote"},
        {"{ }", "line 1: a block has no key"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(ReadKeyValues(text, error)) << text;
        EXPECT_EQ(error, expected) << text;
    }
    // Nesting deeper than any stack would take is only data.
    std::string deep;
    for (int i = 0; i < 200000; ++i)
        deep += "\"k\" {";
    std::string error;
    EXPECT_FALSE(ReadKeyValues(deep, error));
}

TEST(YamlKeysTest, ReadsTheScalarsOfNestedMappings) {
    const std::string text = "\xEF\xBB\xBF---\n"
                             "# Lutris game\n"
                             "name: 'It''s a game' # comment\n"
                             "game:\r\n"
                             "  args: -windowed\n"
                             "  prefix: \"/home/u/Games/x \\\"y\\\"\"\n"
                             "  libs:\n"
                             "  - one: 1\n"
                             "    prefix: /not/this\n"
                             "  notes: |\n"
                             "    prefix: /not/this/either\n"
                             "    more text\n"
                             "  long: a plain text that\n"
                             "    goes on\n"
                             "\n"
                             "system: {}\n"
                             "\"quoted key\": value\n"
                             "name: second\n";
    std::string error;
    const auto keys = ReadYamlKeys(text, error);
    ASSERT_TRUE(keys) << error;
    const YamlKeys expected = {{"name", "It's a game"},
                               {"game.args", "-windowed"},
                               {"game.prefix", "/home/u/Games/x \"y\""},
                               {"game.long", "a plain text that goes on"},
                               {"system", "{}"},
                               {"quoted key", "value"}};
    EXPECT_EQ(*keys, expected);
}

TEST(YamlKeysTest, DamagedTextIsRefusedWithItsLine) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"game:\n\tprefix: /x\n", "line 2: a tab in the indentation"},
        {"a: 1\nwords without a key\n", "line 2: a line that is no key"},
        {"a: 'open\n", "line 1: an unclosed quote"},
        {"\"open: 1\n", "line 1: an unclosed quote"},
    };
    for (const auto& [text, expected] : cases) {
        std::string error;
        EXPECT_FALSE(ReadYamlKeys(text, error)) << text;
        EXPECT_EQ(error, expected) << text;
    }
}

TEST(FolderUsageTest, CountsBlocksOnceWithoutFollowingLinks) {
    test::TempDir dir;
    const fs::path prefix = dir.path() / "prefix";
    fs::create_directories(prefix / "drive_c");
    const std::string block(64 * 1024, 'x');
    std::ofstream(prefix / "drive_c" / "game.dat") << block;
    std::ofstream(dir.path() / "outside.dat") << block << block << block;
    fs::create_hard_link(prefix / "drive_c" / "game.dat", prefix / "drive_c" / "same.dat");
    fs::create_symlink(dir.path() / "outside.dat", prefix / "drive_c" / "link.dat");
    fs::create_directory_symlink(dir.path(), prefix / "drive_c" / "loop");

    // The newest of everything in the prefix, whatever the clock did while it was made.
    const timespec later[2] = {{4102444800, 0}, {4102444800, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (prefix / "drive_c" / "game.dat").c_str(), later, 0), 0);
    struct stat game {};
    ASSERT_EQ(::stat((prefix / "drive_c" / "game.dat").c_str(), &game), 0);
    const FolderUsage usage = MeasureFolder(prefix);
    EXPECT_TRUE(usage.complete);
    EXPECT_GE(usage.bytes, static_cast<uint64_t>(game.st_blocks) * 512);
    // The outside file (three times the game's) and the second name of the game count for nothing.
    EXPECT_LT(usage.bytes, static_cast<uint64_t>(game.st_blocks) * 512 * 2);
    EXPECT_EQ(usage.lastChange, game.st_mtim.tv_sec);
    EXPECT_FALSE(MeasureFolder(dir.path() / "none").complete);
}

} // namespace
} // namespace vx

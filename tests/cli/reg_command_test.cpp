// The reg command of vantrelix-cli: the layout of reg query, changes that reach the files, and one-line
// messages for a prefix that cannot be used.
#include "support/registry_test_prefix.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace vx {
namespace {
using test::ReadAll;
using test::RegistryPrefix;

using RegRun = test::ProgramRun;

RegRun Reg(const std::filesystem::path& prefix, std::vector<std::string> args) {
    return test::RunReg(prefix, args);
}

const char* const kSystem = "[Software\\\\App] 0\n"
                            "@=\"C:\\\\app\\\\app.exe\"\n"
                            "\"bin\"=hex:0a,ff\n"
                            "\"count\"=dword:0000001f\n"
                            "\"list\"=str(7):\"a\\0b\\0\"\n"
                            "\"path\"=str(2):\"%WINDIR%\"\n"
                            "[Software\\\\App\\\\Empty] 0\n"
                            "[Software\\\\App\\\\Sub] 0\n\"v\"=\"1\"\n";

TEST(RegCommand, QueryPrintsAsWindowsRegDoes) {
    RegistryPrefix prefix;
    prefix.System(kSystem);
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"query", "HKLM\\Software\\App"},
         "\nHKEY_LOCAL_MACHINE\\Software\\App\n"
         "    (Default)    REG_SZ    C:\\app\\app.exe\n"
         "    bin    REG_BINARY    0AFF\n"
         "    count    REG_DWORD    0x1f\n"
         "    list    REG_MULTI_SZ    a\\0b\n"
         "    path    REG_EXPAND_SZ    %WINDIR%\n"
         "\n"
         "HKEY_LOCAL_MACHINE\\Software\\App\\Empty\n"
         "HKEY_LOCAL_MACHINE\\Software\\App\\Sub\n"},
        {{"query", "hklm\\Software\\App\\Sub", "/s"},
         "\nHKEY_LOCAL_MACHINE\\Software\\App\\Sub\n    v    REG_SZ    1\n\n"},
        {{"query", "HKEY_LOCAL_MACHINE\\Software\\App", "/v", "COUNT"},
         "\nHKEY_LOCAL_MACHINE\\Software\\App\n    COUNT    REG_DWORD    0x1f\n\n"}, // the name as asked for
        {{"query", "HKLM\\Software\\App\\Empty", "/ve"},
         "\nHKEY_LOCAL_MACHINE\\Software\\App\\Empty\n    (Default)    REG_SZ    (value not set)\n\n"},
        {{"query", "HKLM\\Software", "/v", "v", "/s"},
         "\nHKEY_LOCAL_MACHINE\\Software\\App\\Sub\n    v    REG_SZ    1\n\nSearch complete. Number of "
         "matches found: 1\n"},
        {{"query", "HKLM\\Software", "/s"},
         "\nHKEY_LOCAL_MACHINE\\Software\\App\n"
         "    (Default)    REG_SZ    C:\\app\\app.exe\n"
         "    bin    REG_BINARY    0AFF\n"
         "    count    REG_DWORD    0x1f\n"
         "    list    REG_MULTI_SZ    a\\0b\n"
         "    path    REG_EXPAND_SZ    %WINDIR%\n"
         "\n"
         "HKEY_LOCAL_MACHINE\\Software\\App\\Empty\n\n"
         "HKEY_LOCAL_MACHINE\\Software\\App\\Sub\n    v    REG_SZ    1\n\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const RegRun run = Reg(prefix.path(), c.args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

TEST(RegCommand, MissingKeysValuesAndBadSyntaxAreReported) {
    RegistryPrefix prefix;
    prefix.System(kSystem);
    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const Case cases[] = {
        {{"query", "HKLM\\Software\\Nope"}, "reg: Unable to find the specified registry key\n"},
        {{"query", "HKLM\\Software\\App", "/v", "nope"},
         "reg: Unable to find the specified registry value\n"},
        {{"delete", "HKLM\\Software\\App", "/v", "nope"},
         "reg: Unable to find the specified registry value\n"},
        {{"query", "HKXX\\Software"}, "reg: Invalid key name: HKXX\\Software\n"},
        {{"add", "HKLM\\Software\\App", "/v", "n", "/t", "REG_DWORD", "/d", "ten"},
         "reg: Invalid data for REG_DWORD: ten\n"},
        {{"add", "HKLM\\Software\\App", "/v", "count", "/d", "x"},
         "reg: The value already exists; add /f to overwrite it\n"},
    };
    const std::string before = ReadAll(prefix / "system.reg");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[1]);
        const RegRun run = Reg(prefix.path(), c.args);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.substr(0, run.err.find('\n') + 1), c.err);
    }
    EXPECT_EQ(ReadAll(prefix / "system.reg"), before);
}

TEST(RegCommand, AddAndDeleteChangeTheFiles) {
    RegistryPrefix prefix;
    prefix.System(kSystem);
    struct Step {
        std::vector<std::string> args;
        const char* file;
        std::string line; // expected in the file afterwards (empty: the value is gone)
        const char* gone;
    };
    const Step steps[] = {
        {{"add", "HKLM\\Software\\App", "/v", "n", "/t", "REG_DWORD", "/d", "0x10"},
         "system.reg",
         "\"n\"=dword:00000010\n",
         nullptr},
        {{"add", "HKCU\\Software\\New\\Key", "/ve", "/d", "hello"},
         "user.reg",
         "[Software\\\\New\\\\Key]",
         nullptr},
        {{"add", "HKCU\\Software\\New\\Key", "/ve", "/d", "hello", "/f"},
         "user.reg",
         "@=\"hello\"\n",
         nullptr},
        {{"add", "HKLM\\Software\\App", "/v", "m", "/t", "REG_MULTI_SZ", "/d", "x\\0y"},
         "system.reg",
         "\"m\"=str(7):\"x\\0y\\0\"\n",
         nullptr},
        {{"add", "HKLM\\Software\\App", "/v", "b", "/t", "REG_BINARY", "/d", "00ff10"},
         "system.reg",
         "\"b\"=hex:00,ff,10\n",
         nullptr},
        {{"add", "HKLM\\Software\\App", "/v", "count", "/d", "text", "/f"},
         "system.reg",
         "\"count\"=\"text\"\n",
         nullptr},
        {{"delete", "HKLM\\Software\\App", "/v", "bin"}, "system.reg", "", "\"bin\"="},
        {{"delete", "HKLM\\Software\\App", "/ve"}, "system.reg", "", "@="},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.args[0] + " " + s.args[1]);
        const RegRun run = Reg(prefix.path(), s.args);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::string text = ReadAll(prefix / s.file);
        if (!s.line.empty())
            EXPECT_NE(text.find(s.line), std::string::npos) << text;
        if (s.gone)
            EXPECT_EQ(text.find(s.gone), std::string::npos) << text;
    }
}

TEST(RegCommand, AddMakesNoKeyDeeperThanWindowsAllows) {
    for (const size_t depth : {kMaxKeyDepth, kMaxKeyDepth + 1}) {
        SCOPED_TRACE(depth);
        RegistryPrefix prefix;
        prefix.System(kSystem);
        const std::string before = ReadAll(prefix / "system.reg");
        std::string key = "HKLM\\Software";
        for (size_t i = 1; i < depth; ++i)
            key += "\\k";
        const RegRun run = Reg(prefix.path(), {"add", key, "/v", "x", "/d", "1"});
        if (depth == kMaxKeyDepth) {
            EXPECT_EQ(run.status, 0) << run.err;
            EXPECT_NE(ReadAll(prefix / "system.reg").find("\\\\k] "), std::string::npos);
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_NE(run.err.find("Unable to create the registry key"), std::string::npos) << run.err;
            EXPECT_EQ(ReadAll(prefix / "system.reg"), before);
        }
    }
}

TEST(RegCommand, UnusablePrefixGivesOneLineNamingItAndStatusTwo) {
    RegistryPrefix bad;
    bad.Put("system.reg", "REGEDIT4\n");
    RegistryPrefix empty;
    struct Case {
        std::filesystem::path prefix;
        std::string named;
    };
    const Case cases[] = {
        {empty.path() / "missing", (empty.path() / "missing").string()},
        {bad / "system.reg", (bad / "system.reg").string()}, // a file, not a folder
        {bad.path(), (bad / "system.reg").string()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prefix);
        const RegRun run = Reg(c.prefix, {"query", "HKLM"});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

TEST(RegCommand, WarnsAboutSkippedLinesAndStillAnswers) {
    RegistryPrefix prefix;
    prefix.System("[K] 0\n\"broken\n\"ok\"=\"1\"\n");
    const RegRun run = Reg(prefix.path(), {"query", "HKLM\\K"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "\nHKEY_LOCAL_MACHINE\\K\n    ok    REG_SZ    1\n\n");
    EXPECT_NE(run.err.find("warning: " + (prefix / "system.reg").string() + ":7: "), std::string::npos)
        << run.err;
}

} // namespace
} // namespace vx

#include "paths/path_text.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

struct Case {
    std::string input;
    std::string expected;
};

TEST(PathText, TrimQuotesAndBlanksRemovesCrOnlyAtStartAndLfOnlyAtEnd) {
    const std::vector<Case> cases = {
        {"\r\nx\r\n", "\nx\r"},
        {"\"C:\\Program Files\\App\\app.exe\" /s", "C:\\Program Files\\App\\app.exe\" /s"},
        {"  \"C:\\a.exe\"  ", "C:\\a.exe"},
        {"\"\" \r\n", ""},
        {"\tx\t", "\tx\t"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrimQuotesAndBlanks(c.input), c.expected) << c.input;
}

TEST(PathText, GetFileExtensionTakesTheLastComponentOnly) {
    const std::vector<Case> cases = {
        {"C:\\My.Folder\\readme", ""}, {"archive.tar.gz", "gz"},       {"file.", ""},
        {"Shell32.DLL", "dll"},        {"C:\\App\\setup.exe /s", "exe /s"}, {"C:", ""},
        {"x.dll,-101", "dll,-101"},    {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GetFileExtension(c.input), c.expected) << c.input;
}

TEST(PathText, AddBackslash) {
    const std::vector<Case> cases = {{"   ", ""}, {"C:\\", "C:\\"}, {"C:\\Windows", "C:\\Windows\\"}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(AddBackslash(c.input), c.expected) << c.input;
}

TEST(PathText, CutArgumentsPrefersTheCommaCut) {
    const std::vector<Case> cases = {
        {"C:\\App\\app.exe /min", "C:\\App\\app.exe"},
        {"rundll32.exe shell32.dll,Control_RunDLL /s", "rundll32.exe shell32.dll"},
        {"C:\\a.exe /p,q", "C:\\a.exe /p"},
        {",x", ",x"},
        {"/x", "/x"},
        {"\"C:\\a b\\c.exe\" /s", "C:\\a b\\c.exe"},
        {"plain.exe", "plain.exe"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CutArguments(c.input), c.expected) << c.input;
}

TEST(PathText, GetFileNamePartNeedsABackslash) {
    const std::vector<Case> cases = {
        {"notepad.exe", ""}, {"C:\\Windows\\notepad.exe", "notepad.exe"}, {"C:\\Windows\\", ""}, {"  ", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(GetFileNamePart(c.input), c.expected) << c.input;
}

TEST(PathText, FromDriveLetter) {
    const std::vector<Case> cases = {
        {"rundll32 C:\\x\\y.dll", "C:\\x\\y.dll"}, {"\"C:\\a.exe\"", "C:\\a.exe\""}, {":\\x", ":\\x"}};
    for (const auto& c : cases)
        EXPECT_EQ(FromDriveLetter(c.input), c.expected) << c.input;
}

TEST(PathText, CutAfterDotKeepsThreeCharactersAfterTheDot) {
    EXPECT_EQ(CutAfterDot("C:\\a\\b.exe /s", 7), "C:\\a\\b.exe");
    EXPECT_EQ(CutAfterDot("a.b", 2), "a.b");
    EXPECT_EQ(CutAfterDot("x.d\xC3\xBC\xC3\xBCz", 2), "x.d\xC3\xBC\xC3\xBC"); // characters, not bytes
}

TEST(PathText, InStrSearchesAfterAPositionIgnoringCase) {
    EXPECT_EQ(InStr("C:\\A.EXE", ".exe"), 5u);
    EXPECT_EQ(InStr("a.b.c", ".", 2), 4u);
    EXPECT_EQ(InStr("abc", "x"), 0u);
    EXPECT_EQ(InStr("abc", "c", 3), 0u);
}

} // namespace
} // namespace vx

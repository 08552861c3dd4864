// The web page launcher's own parts: the scratch file's name, the program cut from FindExecutableW's
// answer, and a launch that finds nothing leaving no scratch file behind.
#include "platform/web_page.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>

namespace vx {
namespace {

TEST(WebPage, TheScratchFileIsTemphtmOfTheTypeInTheTemporaryFolder) {
    EXPECT_EQ(ScratchPagePath(L"C:\\TEMP\\", "htm"), L"C:\\TEMP\\temphtm.htm");
}

TEST(WebPage, TheProgramIsCutAfterItsFirstExe) {
    const struct {
        std::wstring found;
        std::wstring program;
    } cases[] = {
        {std::wstring(L"C:\\PROGRA~1\\BROWSER\\BROWSER.EXE\0   ", 35), L"C:\\PROGRA~1\\BROWSER\\BROWSER.EXE"},
        {L"  C:\\Program Files\\Browser\\browser.exe  ", L"C:\\Program Files\\Browser\\browser.exe"},
        {L"C:\\Tools\\my.exe.d\\run.exe -new", L"C:\\Tools\\my.exe"},
        // No ".EXE": the whole path, not its first three characters.
        {L"C:\\Browser\\browser.com ", L"C:\\Browser\\browser.com"},
        {L"", L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramOfAssociation(c.found), c.program);
}

TEST(WebPage, ALaunchThatFindsNothingStartsNothingAndLeavesNoScratchFile) {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    ASSERT_GT(length, 0u);
    const std::filesystem::path scratch = ScratchPagePath(std::wstring_view(folder, length), "vxnothing");
    EXPECT_FALSE(OpenWebPage(nullptr, "  C:\\no such folder\\page.vxnothing  ", "vxnothing"));
    EXPECT_FALSE(std::filesystem::exists(scratch));
}

} // namespace
} // namespace vx

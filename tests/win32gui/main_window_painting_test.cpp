// The main window's panels on screen: a control of the start panel that repaints (as a hover makes it)
// never shows through the results panel laid above it. Read back from Xvfb's screen.
#include "program_under_test.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace vx::win32gui {
namespace {

TEST(MainWindowPainting, TheStartPanelNeverPaintsOverTheResultsPanel) {
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    program.window->rules().model().PicResults = true;
    program.window->Render();
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(300));

    HWND scanNow = program.Control(ButtonId(MainButton::ScanNow));
    RedrawWindow(scanNow, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    RECT at{};
    GetWindowRect(scanNow, &at);
    HDC screen = GetDC(nullptr);
    const COLORREF shown = GetPixel(screen, (at.left + at.right) / 2, at.top + 8);
    ReleaseDC(nullptr, screen);
    // The button's faces, plain and highlighted: neither may show where the results panel lies.
    EXPECT_NE(shown, RGB(0x2B, 0x5C, 0xA8));
    EXPECT_NE(shown, RGB(0x2F, 0x80, 0xED));
}

} // namespace
} // namespace vx::win32gui

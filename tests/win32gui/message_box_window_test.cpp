// The message box on screen: each kind answers as its buttons and keys say.
#include "win32gui/message_box_window.h"

#include "window_driver.h"

#include <gtest/gtest.h>

namespace vx::win32gui {
namespace {

using testing::BoxAnswerer;

struct Case {
    const char* name;
    bool withCancel;
    std::function<void(HWND)> answer;
    bool expectedOk;
};

TEST(MessageBoxWindow, AnswersAsItsButtonsAndKeysSay) {
    const Case cases[] = {
        {"question, OK", true, [](HWND box) { testing::ClickButton(box, kOkId); }, true},
        {"question, Cancel", true, [](HWND box) { testing::ClickButton(box, kCancelId); }, false},
        {"question, Escape", true, [](HWND box) { testing::PressKey(box, VK_ESCAPE); }, false},
        {"question, Enter on OK", true, [](HWND box) { testing::PressKey(box, VK_RETURN); }, true},
        {"question, closed", true, [](HWND box) { PostMessageW(box, WM_CLOSE, 0, 0); }, false},
        {"information, OK", false, [](HWND box) { testing::ClickButton(box, kOkId); }, true},
        {"information, Escape", false, [](HWND box) { testing::PressKey(box, VK_ESCAPE); }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BoxAnswerer answerer(c.answer);
        MessageBoxWindow box(nullptr, "Größe: the message ✓", c.withCancel);
        EXPECT_EQ(box.Run(), c.expectedOk);
        ASSERT_EQ(answerer.seen().size(), 1u);
        EXPECT_EQ(answerer.seen()[0], "Größe: the message ✓"); // the text reaches the window unchanged
    }
}

TEST(MessageBoxWindow, InformationHasNoCancelButton) {
    BoxAnswerer answerer([](HWND box) {
        EXPECT_EQ(GetDlgItem(box, kCancelId), nullptr);
        testing::ClickButton(box, kOkId);
    });
    MessageBoxWindow box(nullptr, "Done", false);
    EXPECT_TRUE(box.Run());
}

} // namespace
} // namespace vx::win32gui

// The tray icon and its sliding menu on screen: the icon's callback opens the menu only for the clicks
// the rules name, the menu rises into the screen and goes by itself, and its items bring the window back
// or end the program.
#include "win32gui/popup_menu_window.h"

#include "app/message_box.h"
#include "program_under_test.h"
#include "win32gui/message_box_window.h"
#include "win32gui/notification_dialog.h"
#include "win32gui/single_instance.h"
#include "window_driver.h"

#include <gtest/gtest.h>

namespace vx::win32gui {
namespace {

using testing::BoxAnswerer;

// The pointer over a menu item, then a click on it.
void ClickItem(PopupMenuWindow& menu, MenuItem item) {
    const RECT box = menu.ItemRect(item);
    const LPARAM centre = MAKELPARAM((box.left + box.right) / 2, (box.top + box.bottom) / 2);
    SendMessageW(menu.handle(), WM_MOUSEMOVE, 0, centre);
    PostMessageW(menu.handle(), WM_LBUTTONUP, 0, centre);
}

// Answers a question as `confirm` says.
BoxAnswerer Answering(bool confirm) {
    return BoxAnswerer([confirm](HWND box) {
        testing::ClickButton(box, GetDlgItem(box, kCancelId) && !confirm ? kCancelId : kOkId);
    });
}

class TrayMenuTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_ = std::make_unique<testing::ProgramUnderTest>();
        ASSERT_TRUE(program_->window) << program_->error;
        window_ = program_->window.get();
        window_->hasNotificationArea = [] { return true; };
        program_->app->SaveSetting("chkDoNotShowInFuture", "0");
    }
    // Closes the main window to the notification area (the notice answered).
    void CloseToTray() {
        bool noticed = false;
        testing::WindowAnswerer notice(kNotificationClass, [&](HWND window) {
            noticed = true;
            testing::ClickButton(window, kNoticeOkId);
        });
        PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(testing::PumpUntil(
            [&] {
                return window_->tray().bRunningInTray() && noticed &&
                       !FindWindowW(kNotificationClass, nullptr);
            },
            std::chrono::seconds(10)));
        ASSERT_FALSE(IsWindowVisible(window_->handle()));
    }
    // Opens the menu with a right click on the icon and waits until it has risen.
    PopupMenuWindow& OpenMenu() {
        program_->TrayMessage(WM_RBUTTONUP);
        EXPECT_TRUE(testing::PumpUntil(
            [&] { return window_->popupMenu() && window_->popupMenu()->rules().TmrEnablePopDown; },
            std::chrono::seconds(10)));
        return *window_->popupMenu();
    }

    std::unique_ptr<testing::ProgramUnderTest> program_;
    MainWindow* window_ = nullptr;
};

TEST_F(TrayMenuTest, OnlyADoubleClickOrARightReleaseOpensTheMenu) {
    ASSERT_NO_FATAL_FAILURE(CloseToTray());
    EXPECT_EQ(window_->tray().szTip(), "Vantrelix v3.0");
    const struct {
        UINT message;
        bool opens;
    } cases[] = {
        {WM_MOUSEMOVE, false}, {WM_LBUTTONDOWN, false},  {WM_LBUTTONUP, false}, {WM_RBUTTONDOWN, false},
        {WM_MBUTTONUP, false}, {WM_LBUTTONDBLCLK, true}, {WM_RBUTTONUP, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        if (PopupMenuWindow* menu = window_->popupMenu())
            ShowWindow(menu->handle(), SW_HIDE);
        program_->TrayMessage(c.message);
        testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
        EXPECT_EQ(window_->popupMenu() && window_->popupMenu()->visible(), c.opens);
    }
}

TEST_F(TrayMenuTest, TheMenuRisesIntoTheWorkAreaAndGoesByItself) {
    ASSERT_NO_FATAL_FAILURE(CloseToTray());
    PopupMenuWindow& menu = OpenMenu();
    RECT at{};
    GetWindowRect(menu.handle(), &at);
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_GE(at.top, work.top);
    EXPECT_LE(at.bottom, work.bottom);
    EXPECT_GT(at.left, (work.left + work.right) / 2); // at the right-hand side, near the clock
    EXPECT_LE(at.right, work.right);
    // The wait is the rules' (ten seconds); its tick starts the slide down, which closes the menu.
    SendMessageW(menu.handle(), WM_TIMER, 2, 0);
    EXPECT_TRUE(testing::PumpUntil([&] { return !menu.visible(); }, std::chrono::seconds(10)));
    EXPECT_TRUE(window_->tray().bRunningInTray());
}

TEST_F(TrayMenuTest, MaximizeBringsTheWindowBackAndRemovesTheIcon) {
    ASSERT_NO_FATAL_FAILURE(CloseToTray());
    PopupMenuWindow& menu = OpenMenu();
    ClickItem(menu, MenuItem::MenuRestore);
    ASSERT_TRUE(testing::PumpUntil([&] { return IsWindowVisible(window_->handle()) && !menu.visible(); },
                                   std::chrono::seconds(10)));
    EXPECT_FALSE(window_->tray().bRunningInTray());
}

TEST_F(TrayMenuTest, ExitAskedAndConfirmedEndsTheProgram) {
    ASSERT_NO_FATAL_FAILURE(CloseToTray());
    PopupMenuWindow& menu = OpenMenu();
    BoxAnswerer answerer = Answering(true);
    ClickItem(menu, MenuItem::MenuExit);
    ASSERT_TRUE(testing::PumpUntil([&] { return program_->ended; }, std::chrono::seconds(10)));
    ASSERT_EQ(answerer.seen().size(), 1u);
    EXPECT_EQ(answerer.seen()[0], MessageOfKind(kCloseConfirmation));
    EXPECT_FALSE(window_->tray().bRunningInTray());
}

TEST_F(TrayMenuTest, ExitCancelledKeepsTheProgramInTheTray) {
    ASSERT_NO_FATAL_FAILURE(CloseToTray());
    PopupMenuWindow& menu = OpenMenu();
    BoxAnswerer answerer = Answering(false);
    ClickItem(menu, MenuItem::MenuExit);
    ASSERT_TRUE(testing::PumpUntil([&] { return !answerer.seen().empty() && !menu.rules().held(); },
                                   std::chrono::seconds(10)));
    EXPECT_TRUE(testing::PumpUntil([&] { return !menu.visible(); }, std::chrono::seconds(10)));
    EXPECT_FALSE(program_->ended);
    EXPECT_FALSE(IsWindowVisible(window_->handle()));
    EXPECT_TRUE(window_->tray().bRunningInTray());
    EXPECT_EQ(window_->tray().szTip(), "Vantrelix v3.0");
}

TEST_F(TrayMenuTest, ALaterStartBringsTheWindowOutOfTheTray) {
    // The pointer was over the close button when the window went to the tray (without the notice).
    program_->app->SaveSetting("chkDoNotShowInFuture", "1");
    SendMessageW(program_->Control(ButtonId(MainButton::Close)), WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    ASSERT_TRUE(window_->rules().buttons()[MainButton::Close].highlighted);
    PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(
        testing::PumpUntil([&] { return window_->tray().bRunningInTray(); }, std::chrono::seconds(10)));
    const std::wstring name = L"Local\\vantrelix-test-" + std::to_wstring(GetCurrentProcessId());
    const SingleInstance first(name);
    EXPECT_FALSE(first.AskRunningToComeForward()); // the first start runs
    const SingleInstance later(name);
    ASSERT_TRUE(later.AskRunningToComeForward());
    ASSERT_TRUE(testing::PumpUntil([&] { return IsWindowVisible(window_->handle()) != FALSE; },
                                   std::chrono::seconds(10)));
    EXPECT_FALSE(window_->tray().bRunningInTray());
    EXPECT_FALSE(IsIconic(window_->handle()));
    EXPECT_FALSE(window_->rules().buttons()[MainButton::Close].highlighted); // it is elsewhere by now
}

} // namespace
} // namespace vx::win32gui

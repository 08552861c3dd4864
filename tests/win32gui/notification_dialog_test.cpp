// The notice on screen: shown when the main window closes to the notification area, its box stored as
// it changes, and no notice at the next close once the box was left checked.
#include "win32gui/notification_dialog.h"

#include "program_under_test.h"
#include "win32gui/controls.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace vx::win32gui {
namespace {

void Command(HWND window, int id, int code) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
}

TEST(NotificationDialog, ItsBoxIsStoredAsItChangesAndTurnsTheNoticeOff) {
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    program.window->hasNotificationArea = [] { return true; };
    program.app->SaveSetting("chkDoNotShowInFuture", "0");

    std::set<HWND> notices;
    std::vector<std::string> stored; // after each change
    std::string message;
    testing::WindowAnswerer answerer(kNotificationClass, [&](HWND notice) {
        if (!notices.insert(notice).second)
            return;
        message = GetText(GetDlgItem(notice, kNoticeMessageId));
        for (const auto& [id, code] :
             {std::pair{kNoticeCheckId, BN_CLICKED}, std::pair{kNoticeLabelId, STN_CLICKED},
              std::pair{kNoticeLabelId, STN_CLICKED}}) {
            Command(notice, id, code);
            stored.push_back(program.app->GetSetting("chkDoNotShowInFuture", ""));
        }
        testing::ClickButton(notice, kNoticeOkId);
    });
    PostMessageW(program.window->handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(
        testing::PumpUntil([&] { return !notices.empty() && !FindWindowW(kNotificationClass, nullptr); },
                           std::chrono::seconds(10)));
    EXPECT_EQ(message, kNotificationMessage);
    EXPECT_EQ(stored, (std::vector<std::string>{"1", "0", "1"}));
    EXPECT_TRUE(program.window->tray().bRunningInTray());

    // Left checked: the next close shows no notice.
    ShowWindow(program.window->handle(), SW_SHOW);
    PostMessageW(program.window->handle(), WM_CLOSE, 0, 0);
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(500));
    EXPECT_EQ(notices.size(), 1u);
    EXPECT_FALSE(IsWindowVisible(program.window->handle()));
    program.app->SaveSetting("chkDoNotShowInFuture", "0");
}

} // namespace
} // namespace vx::win32gui

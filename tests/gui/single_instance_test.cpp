// One program per user and target: a second start reaches the first and brings its window forward.
#include "gui_harness.h"

#include "gui/single_instance.h"

#include <QDir>
#include <QTest>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace vx {
namespace {

using test::GuiHarness;

TEST(SingleInstance, ASecondStartOnTheTargetBringsTheWindowBackFromTheTray) {
    GuiHarness h;
    const std::string target = h.app->target().Identity() + " (test)";
    gui::SingleInstance first(target);
    ASSERT_TRUE(first.Listen([&] { h.window->ComeForward(); }));
    h.app->SaveSetting("chkDoNotShowInFuture", "1");
    h.window->notificationArea().forcedAvailable = true;
    GuiHarness::HoverAndClick(h.Find("imgCloseNormal"));
    ASSERT_FALSE(h.window->isVisible());

    EXPECT_FALSE(gui::SingleInstance(target + " elsewhere").AskRunningToComeForward())
        << "another target has no program yet";
    gui::SingleInstance second(target);
    EXPECT_EQ(second.name(), first.name());
    EXPECT_TRUE(second.AskRunningToComeForward());
    for (int waited = 0; !h.window->isVisible() && waited < 2000; waited += 5)
        QTest::qWait(5);
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_FALSE(h.window->tray().bRunningInTray());
}

// A socket left behind by a program that ended without removing it does not keep the next one out.
TEST(SingleInstance, ASocketLeftBehindIsTakenOver) {
    const std::string target = "Wine prefix /nowhere/left-behind";
    gui::SingleInstance next(target);
    // A program that ended without closing its socket: the file stays, nobody answers on it.
    const std::string path = (QDir::tempPath() + "/" + next.name()).toStdString();
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    std::copy(path.begin(), path.end(), address.sun_path);
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_FALSE(next.AskRunningToComeForward());
    EXPECT_TRUE(next.Listen({}));
}

} // namespace
} // namespace vx

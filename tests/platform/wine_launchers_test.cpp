// The launchers Wine's menu builder leaves on the host desktop, read in every form it writes them.
#include "platform/wine/wine_launchers.h"
#include "support/fixture_home.h"
#include "support/fixture_prefix.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace vx {
namespace {
namespace fs = std::filesystem;

TEST(WineLaunchers, ReadsEveryFormOfExecWineWrites) {
    struct Case {
        std::string exec; // as written in the file
        bool wine;
        fs::path prefix;
        std::string windowsPath;
        fs::path unixPath;
        std::string progId;
    };
    const std::vector<Case> cases = {
        {R"(env WINEPREFIX="/home/u/.wine" wine C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start\\ Menu\\\\Programs\\\\App\\\\App.lnk)",
         true,
         "/home/u/.wine",
         R"(C:\ProgramData\Microsoft\Windows\Start Menu\Programs\App\App.lnk)",
         {},
         ""},
        {R"(env WINEPREFIX="/p q" wine C:\\\\windows\\\\command\\\\start.exe /Unix /p\\ q/dosdevices/c:/users/Public/Desktop/App.lnk)",
         true, "/p q", "", "/p q/dosdevices/c:/users/Public/Desktop/App.lnk", ""},
        {R"(env WINEPREFIX="/p" wine start /unix "/p/drive_c/a b.lnk")", true, "/p", "", "/p/drive_c/a b.lnk",
         ""},
        {R"(env WINEPREFIX="/p" wine start /ProgIDOpen txtfile %f)", true, "/p", "", {}, "txtfile"},
        {R"(wine "C:\\\\x.lnk")", true, "/home/u/.wine", R"(C:\x.lnk)", {}, ""},
        {R"(env WINEPREFIX=~/games /usr/bin/wine64 C:\\\\x.exe)",
         true,
         "/home/u/games",
         R"(C:\x.exe)",
         {},
         ""},
        // As Debian's Wine 8 menu builder wrote them.
        {R"(env WINEPREFIX="/tmp/vx-wmb/prefix" wine-stable C:\\\\ProgramData\\\\Microsoft\\\\Windows\\\\Start\\ Menu\\\\Programs\\\\Notes\\\\Notes.lnk)",
         true,
         "/tmp/vx-wmb/prefix",
         R"(C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Notes\Notes.lnk)",
         {},
         ""},
        {R"(env WINEPREFIX="/tmp/vx-wmb/prefix" wine-stable C:\\\\users\\\\Public\\\\Desktop\\\\Desk.lnk)",
         true,
         "/tmp/vx-wmb/prefix",
         R"(C:\users\Public\Desktop\Desk.lnk)",
         {},
         ""},
        {"firefox %u", false, {}, "", {}, ""},
        {"env LANG=C winetricks", false, {}, "", {}, ""},
    };
    for (const auto& c : cases) {
        std::string why;
        const auto launcher = ReadWineLauncher("[Desktop Entry]\nName=App\nExec=" + c.exec +
                                                   "\nType=Application\nIcon=1A2B_app.0\n",
                                               "/home/u", why);
        SCOPED_TRACE(c.exec);
        EXPECT_EQ(why, "");
        ASSERT_EQ(launcher.has_value(), c.wine);
        if (!launcher)
            continue;
        EXPECT_EQ(launcher->prefix, c.prefix);
        EXPECT_EQ(launcher->windowsPath, c.windowsPath);
        EXPECT_EQ(launcher->unixPath, c.unixPath);
        EXPECT_EQ(launcher->progId, c.progId);
        EXPECT_EQ(launcher->icon, "1A2B_app.0");
    }
    std::string why;
    EXPECT_FALSE(ReadWineLauncher("[Desktop Entry]\nExec=env WINEPREFIX=\"/p wine x\n", "/home/u", why));
    EXPECT_EQ(why, "its Exec line has an unclosed quote");
}

TEST(WineLaunchers, FindsMenuEntriesDesktopIconsAndFileTypes) {
    test::TempDir dir;
    test::FixtureHome home(dir.path());
    const std::string entry = "[Desktop Entry]\nExec=env WINEPREFIX=\"/p\" wine start /unix /p/x.lnk\n";
    home.Write(".local/share/applications/wine/Programs/App/App.desktop", entry);
    home.Write(".local/share/applications/wine/Programs/Tool.desktop", entry);
    home.Write(".local/share/applications/wine-extension-txt.desktop",
               "[Desktop Entry]\nExec=env WINEPREFIX=\"/p\" wine start /ProgIDOpen txtfile %f\n");
    home.Write(".local/share/applications/firefox.desktop", "[Desktop Entry]\nExec=firefox %u\n");
    home.Write("Desktop/App.desktop", entry);
    home.Write("Bureau/Jeu.desktop", entry); // the desktop folder xdg-user-dirs names
    home.Write(".config/user-dirs.dirs",
               "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\nXDG_DESKTOP_DIR=\"$HOME/Bureau\"\n");
    home.Write("Home.desktop", entry); // where Wine puts them when the home has no desktop folder
    home.Write("Desktop/Notes.desktop", "[Desktop Entry]\nExec=gedit\n");
    home.Write("Desktop/Broken.desktop", "[Desktop Entry]\nExec=wine \"C:\\\\x\n");
    ASSERT_EQ(::mkfifo((dir.path() / "Desktop/Pipe.desktop").c_str(), 0600), 0);

    std::vector<std::string> warnings;
    const auto launchers = FindWineLaunchers(dir.path(), warnings);
    std::vector<std::pair<fs::path, LauncherKind>> found;
    for (const auto& launcher : launchers)
        found.emplace_back(launcher.file.lexically_relative(dir.path()), launcher.kind);
    const std::vector<std::pair<fs::path, LauncherKind>> expected = {
        {".local/share/applications/wine/Programs/App/App.desktop", LauncherKind::MenuEntry},
        {".local/share/applications/wine/Programs/Tool.desktop", LauncherKind::MenuEntry},
        {"Bureau/Jeu.desktop", LauncherKind::DesktopIcon},
        {"Desktop/App.desktop", LauncherKind::DesktopIcon},
        {"Home.desktop", LauncherKind::DesktopIcon},
        {".local/share/applications/wine-extension-txt.desktop", LauncherKind::FileType},
    };
    EXPECT_EQ(found, expected);
    ASSERT_EQ(warnings.size(), 2u);
    EXPECT_TRUE(warnings[0].starts_with((dir.path() / "Desktop/Broken.desktop").string() + ": "))
        << warnings[0];
    EXPECT_TRUE(warnings[1].starts_with((dir.path() / "Desktop/Pipe.desktop").string() + ": "))
        << warnings[1];
}

// Only a prefix whose storage is there can be gone; one on media that is not mounted is merely away.
TEST(WineLaunchers, APrefixOnStorageThatIsAwayIsNotGone) {
    test::TempDir dir;
    test::FixtureHome home(dir.path());
    const fs::path present = home.Prefix("present");
    fs::create_directories(dir.path() / "wiped");
    const std::vector<std::pair<fs::path, PrefixPresence>> cases = {
        {present, PrefixPresence::Present},
        {present.string() + "/", PrefixPresence::Present},
        {dir.path() / "removed", PrefixPresence::Gone},
        {dir.path() / "wiped", PrefixPresence::Gone},
        {dir.path() / "unplugged-drive" / "prefix", PrefixPresence::Away},
    };
    for (const auto& [prefix, presence] : cases)
        EXPECT_EQ(PrefixPresenceOf(prefix), presence) << prefix;
}

} // namespace
} // namespace vx

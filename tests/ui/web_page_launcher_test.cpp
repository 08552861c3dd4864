// OpenWebPage on a freedesktop host: the scratch file, the association found through a test MIME
// database, applications lists and desktop entries, the fallback on the generic opener, and a real
// detached start of a stub program.
#include "ui/web_page_launcher.h"

#include "support/fixture_prefix.h"

#include <chrono>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>

namespace vx {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void Write(const fs::path& path, const std::string& text, bool executable = false) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    if (executable)
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add);
}

// A home of its own: the XDG folders, a temporary folder and $PATH all lie below one test folder.
class LauncherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        env = {{"HOME", (root() / "home").string()},
               {"TMPDIR", (root() / "tmp").string()},
               {"XDG_DATA_HOME", (root() / "data").string()},
               {"XDG_DATA_DIRS", (root() / "sys1").string() + ":" + (root() / "sys2").string()},
               {"XDG_CONFIG_HOME", (root() / "config").string()},
               {"XDG_CONFIG_DIRS", (root() / "etc").string()},
               {"PATH", (root() / "bin").string()}};
        fs::create_directories(root() / "tmp");
        host.getenv = [this](const char* name) -> std::optional<std::string> {
            const auto it = env.find(name);
            return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
        };
        host.startDetached = [this](const std::vector<std::string>& argv) {
            started.push_back(argv);
            scratchWhileStarting.push_back(ReadAll(Scratch()));
            if (results.empty())
                return true;
            const bool result = results.front();
            results.erase(results.begin());
            return result;
        };
    }
    const fs::path& root() const { return dir.path(); }
    fs::path Scratch() const { return root() / "tmp/temphtm.htm"; }
    // text/html for *.htm, with a browser as its default application.
    void AssociateBrowser() {
        Write(root() / "data/mime/globs2", "# comment\n50:text/html:*.html\n50:text/html:*.htm\n");
        Write(root() / "data/applications/browser.desktop",
              "[Desktop Entry]\nType=Application\nName=Browser\nExec=" + (root() / "bin/browser").string() +
                  " --new-window %u\n");
        Write(root() / "config/mimeapps.list", "[Default Applications]\ntext/html=browser.desktop;\n");
        Write(root() / "bin/browser", "#!/bin/sh\n", true);
    }

    TempDir dir;
    std::map<std::string, std::string> env;
    LauncherHost host;
    std::vector<std::vector<std::string>> started;
    std::vector<std::string> scratchWhileStarting;
    std::vector<bool> results; // what each start answers; true when none is left
};

TEST_F(LauncherTest, TheTemporaryFolderEndsWithASeparator) {
    struct Case {
        std::optional<std::string> tmpdir;
        std::string folder;
    };
    for (const Case& c : std::vector<Case>{
             {"/var/tmp", "/var/tmp/"}, {"/var/tmp/", "/var/tmp/"}, {std::nullopt, "/tmp/"}, {"", "/tmp/"}}) {
        if (c.tmpdir)
            env["TMPDIR"] = *c.tmpdir;
        else
            env.erase("TMPDIR");
        EXPECT_EQ(TemporaryFolder(host), c.folder) << c.tmpdir.value_or("(unset)");
    }
}

TEST_F(LauncherTest, TheAddressGoesToTheAssociatedProgramOrTheGenericOpenerAndTheScratchFileGoes) {
    const std::string address = "https://vantrelix.example/reghelp.html";
    const std::string browser = (root() / "bin/browser").string();
    struct Case {
        const char* what;
        bool associated;
        std::vector<bool> results;
        LaunchResult result;
        std::vector<std::vector<std::string>> started;
    };
    const std::vector<Case> cases{
        {"associated", true, {true}, LaunchResult::Opened, {{browser, address}}},
        {"nothing associated", false, {true}, LaunchResult::OpenedByGenericOpener, {{"xdg-open", address}}},
        {"the associated program fails to start",
         true,
         {false, true},
         LaunchResult::OpenedByGenericOpener,
         {{browser, address}, {"xdg-open", address}}},
        {"the generic opener fails too", false, {false}, LaunchResult::NotOpened, {{"xdg-open", address}}},
    };
    for (const Case& c : cases) {
        fs::remove_all(root() / "data");
        fs::remove_all(root() / "config");
        if (c.associated)
            AssociateBrowser();
        Write(Scratch(), "an older file of the same name");
        started.clear();
        scratchWhileStarting.clear();
        results = c.results;
        EXPECT_EQ(OpenWebPage(host, "  " + address + "  ", "htm"), c.result) << c.what;
        EXPECT_EQ(started, c.started) << c.what;
        for (const auto& content : scratchWhileStarting)
            EXPECT_EQ(content, "\"\"\n")
                << c.what << ": the scratch file, replaced, while the program starts";
        EXPECT_FALSE(fs::exists(Scratch())) << c.what;
    }
}

TEST_F(LauncherTest, WithoutATemporaryFolderNothingIsMadeOrStarted) {
    AssociateBrowser();
    env["TMPDIR"] = (root() / "missing").string();
    EXPECT_EQ(OpenWebPage(host, "https://vantrelix.example/support.html", "htm"),
              LaunchResult::NoTemporaryFolder);
    EXPECT_TRUE(started.empty());
    EXPECT_FALSE(fs::exists(root() / "missing"));
}

TEST_F(LauncherTest, TheAssociationFollowsTheDesktopsLookupRules) {
    struct Case {
        const char* what;
        std::map<std::string, std::string> files; // below the test folder
        std::vector<std::string> executables;     // below the test folder, made executable
        std::string fileName = "temphtm.htm";
        std::string program;       // below the test folder, or a bare name; empty: none
        bool homeDefaults = false; // $XDG_DATA_HOME and $XDG_CONFIG_HOME unset
    };
    const std::string desktop = "[Desktop Entry]\nType=Application\nExec=";
    const std::vector<Case> cases{
        {"the default application",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "browser %u\n"}},
         {"bin/browser"},
         "temphtm.htm",
         "bin/browser"},
        {"globs match without regard to case",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "browser %u\n"}},
         {"bin/browser"},
         "TEMPHTM.HTM",
         "bin/browser"},
        {"the higher weight wins, in whichever folder",
         {{"data/mime/globs2", "40:text/plain:*.htm\n"},
          {"sys2/mime/globs2", "80:text/html:*.htm\n"},
          {"config/mimeapps.list",
           "[Default Applications]\ntext/plain=editor.desktop\ntext/html=b.desktop\n"},
          {"data/applications/editor.desktop", desktop + "editor\n"},
          {"data/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser", "bin/editor"},
         "temphtm.htm",
         "bin/browser"},
        {"the older globs file",
         {{"sys1/mime/globs", "text/html:*.htm\n"},
          {"etc/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"sys1/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.htm",
         "bin/browser"},
        {"a default in a system list comes before an added association of the user's",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Added Associations]\ntext/html=editor.desktop\n"},
          {"etc/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/editor.desktop", desktop + "editor\n"},
          {"data/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser", "bin/editor"},
         "temphtm.htm",
         "bin/browser"},
        {"the first listed application that is installed",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=gone.desktop;b.desktop;\n"},
          {"sys2/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.htm",
         "bin/browser"},
        {"the applications' cache when no list names one",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"sys1/applications/mimeinfo.cache",
           "[MIME Cache]\ntext/plain=editor.desktop;\ntext/html=b.desktop;\n"},
          {"sys1/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.htm",
         "bin/browser"},
        {"a dash in the id stands for a subfolder",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=vendor-b.desktop\n"},
          {"data/applications/vendor/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.htm",
         "bin/browser"},
        {"a quoted program path with a blank",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "\"@ROOT@/my apps/browser\" --new %u\n"}},
         {"my apps/browser"},
         "temphtm.htm",
         "my apps/browser"},
        {"the home's default folders",
         {{"home/.local/share/mime/globs2", "50:text/html:*.htm\n"},
          {"home/.config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"home/.local/share/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.htm",
         "bin/browser",
         true},
        {"a program not on the path",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "browser\n"}},
         {},
         "temphtm.htm",
         ""},
        {"a program that cannot be run",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "browser\n"},
          {"bin/browser", "not a program"}},
         {},
         "temphtm.htm",
         ""},
        {"an application without a desktop entry",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"}},
         {"bin/browser"},
         "temphtm.htm",
         ""},
        {"an entry's Exec in another group",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", "[Desktop Action New]\nExec=browser\n[Desktop Entry]\nName=B\n"}},
         {"bin/browser"},
         "temphtm.htm",
         ""},
        {"a type without an application",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/plain=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.htm",
         ""},
        {"a name of no known type",
         {{"data/mime/globs2", "50:text/html:*.htm\n"},
          {"config/mimeapps.list", "[Default Applications]\ntext/html=b.desktop\n"},
          {"data/applications/b.desktop", desktop + "browser\n"}},
         {"bin/browser"},
         "temphtm.xyz",
         ""},
    };
    for (const Case& c : cases) {
        for (const char* folder : {"home", "data", "sys1", "sys2", "config", "etc", "bin", "my apps"})
            fs::remove_all(root() / folder);
        for (auto [path, content] : c.files) {
            for (size_t at; (at = content.find("@ROOT@")) != std::string::npos;)
                content.replace(at, 6, root().string());
            Write(root() / path, content);
        }
        for (const auto& path : c.executables)
            Write(root() / path, "#!/bin/sh\n", true);
        std::map<std::string, std::string> saved = env;
        if (c.homeDefaults) {
            env.erase("XDG_DATA_HOME");
            env.erase("XDG_CONFIG_HOME");
        }
        const std::string expected = c.program.empty() ? "" : (root() / c.program).string();
        EXPECT_EQ(FindAssociatedProgram(host, root() / "tmp" / c.fileName), expected) << c.what;
        env = saved;
    }
}

// Waits (a bounded while) for a file another process writes.
std::optional<std::string> WaitForFile(const fs::path& path) {
    for (int i = 0; i < 500; ++i) {
        if (fs::exists(path))
            return ReadAll(path);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
}

TEST(DefaultLauncherHost, StartsAProgramDetachedWithItsArgumentAndLeavesNoChildBehind) {
    TempDir dir;
    const std::string out = (dir.path() / "argument.txt").string();
    const fs::path release = dir.path() / "release";
    const fs::path done = dir.path() / "done";
    const fs::path stub = dir.path() / "stub browser";
    // Writes its argument count, its one argument, where its standard output goes and its session (the
    // file renamed into place, so that it is never read half written); then keeps running until released
    // (ten seconds at most) and marks its end.
    Write(
        stub,
        "#!/bin/sh\n"
        "printf '%s|%s|%s|%s' \"$#\" \"$1\" \"$(readlink /proc/$$/fd/1)\" \"$(sed 's/.*) //' /proc/$$/stat | "
        "cut -d' ' -f4)\" > \"" +
            out + ".tmp\"\n" + "mv \"" + out + ".tmp\" \"" + out + "\"\n" + "i=0\nwhile [ ! -e \"" +
            release.string() + "\" ] && [ $i -lt 200 ]; do sleep 0.05; i=$((i+1)); done\n" + ": > \"" +
            done.string() + "\"\n",
        true);
    const LauncherHost host = DefaultLauncherHost();
    const std::string address = "https://vantrelix.example/a page?x=\"1\"&y=$HOME";
    ASSERT_TRUE(host.startDetached({stub.string(), address}));
    EXPECT_FALSE(fs::exists(done)) << "the start waited for the program to end";
    const auto written = WaitForFile(out);
    Write(release, "");
    ASSERT_TRUE(written) << "the stub never ran";
    EXPECT_NE(*written, "1|" + address + "|/dev/null|" + std::to_string(::getsid(0)))
        << "the program runs in a session of its own";
    EXPECT_TRUE(written->starts_with("1|" + address + "|/dev/null|")) << *written;
    // The started program is not our child: nothing is left to reap.
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_TRUE(WaitForFile(done)) << "the stub never ended";
}

TEST(DefaultLauncherHost, TellsWhenAProgramCannotBeStarted) {
    TempDir dir;
    Write(dir.path() / "not executable", "#!/bin/sh\n");
    const LauncherHost host = DefaultLauncherHost();
    for (const fs::path& program : {dir.path() / "missing", dir.path() / "not executable", dir.path()})
        EXPECT_FALSE(host.startDetached({program.string(), "x"})) << program;
    EXPECT_FALSE(host.startDetached({"vantrelix-no-such-program-on-path", "x"}));
    errno = 0;
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(LauncherTest, TheAssociatedProgramReallyStartsWithTheAddress) {
    // The environment is the test's; the start is the host's own.
    host.startDetached = DefaultLauncherHost().startDetached;
    AssociateBrowser();
    const fs::path out = root() / "browser-arguments.txt";
    Write(root() / "bin/browser",
          "#!/bin/sh\nprintf '%s\\n' \"$@\" > \"" + out.string() + ".tmp\"\nmv \"" + out.string() +
              ".tmp\" \"" + out.string() + "\"\n",
          true);
    EXPECT_EQ(OpenWebPage(host, " https://vantrelix.example/support.html ", "htm"), LaunchResult::Opened);
    EXPECT_FALSE(fs::exists(Scratch()));
    const auto written = WaitForFile(out);
    ASSERT_TRUE(written) << "the browser never ran";
    EXPECT_EQ(*written, "https://vantrelix.example/support.html\n");
}

} // namespace
} // namespace vx

// Finding a prefix's running Wine server wherever the one who started it keeps its folder: another
// TMPDIR than ours, or the prefix's owner while we run as root.
#include "support/registry_test_prefix.h"

#include "platform/wine/wine_server.h"

#include <chrono>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace vx {
namespace {

namespace fs = std::filesystem;

constexpr unsigned kOtherUid = 12345;

// A server started with `wineserver -p` as `uid` with `tmpdir` (empty: none), told to go at the end.
class PersistentServer {
  public:
    PersistentServer(const fs::path& prefix, unsigned uid, const fs::path& tmpdir) {
        if (uid != ::getuid())
            command_ = {"setpriv", "--reuid=" + std::to_string(uid), "--regid=" + std::to_string(uid),
                        "--clear-groups"};
        command_.insert(command_.end(), {"env", "-u", "TMPDIR", "WINEPREFIX=" + prefix.string()});
        if (!tmpdir.empty())
            command_.push_back("TMPDIR=" + tmpdir.string());
        command_.push_back("wineserver");
        std::vector<std::string> start = command_;
        start.push_back("-p");
        started_ = test::RunProgram(start);
    }
    ~PersistentServer() {
        std::vector<std::string> stop = command_;
        stop.push_back("-k");
        test::RunProgram(stop);
    }
    const test::ProgramRun& started() const { return started_; }

  private:
    std::vector<std::string> command_;
    test::ProgramRun started_;
};

// The server answers once it has made its socket; wait for that a while rather than race it.
bool FoundWithin(const fs::path& prefix) {
    for (int i = 0; i < 200; ++i) {
        if (WineServerRunning(prefix))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

TEST(WineServer, RunningServerIsFoundWhateverItsTmpdirAndUser) {
    if (test::RunProgram({"sh", "-c", "command -v wineserver"}).status != 0)
        GTEST_SKIP() << "wineserver is not installed";
    struct Case {
        const char* name;
        bool otherOwner;
        bool ownTmpdir;
    };
    const Case cases[] = {
        {"server started with another TMPDIR", false, true},
        {"server of the prefix's owner, we are root", true, false},
        {"server of the prefix's owner with its own TMPDIR", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.otherOwner && ::getuid() != 0) {
            std::cout << "[ SKIPPED  ] " << c.name << ": needs root to run a server as another user\n";
            continue;
        }
        test::TempDir work;
        ::chmod(work.path().c_str(), 0755);
        const fs::path prefix = work.path() / "prefix", tmpdir = work.path() / "their-tmp";
        fs::create_directories(prefix);
        fs::create_directories(tmpdir);
        const unsigned uid = c.otherOwner ? kOtherUid : ::getuid();
        ASSERT_EQ(::chown(prefix.c_str(), uid, uid), 0);
        ASSERT_EQ(::chown(tmpdir.c_str(), uid, uid), 0);
        ::unsetenv("TMPDIR");
        EXPECT_FALSE(WineServerRunning(prefix));
        {
            PersistentServer server(prefix, uid, c.ownTmpdir ? tmpdir : fs::path());
            ASSERT_EQ(server.started().status, 0) << server.started().err;
            std::string socket;
            EXPECT_TRUE(FoundWithin(prefix));
            EXPECT_TRUE(WineServerRunning(prefix, &socket));
            EXPECT_TRUE(fs::is_socket(socket)) << socket;
        }
        // Gone once told to go (its socket may stay behind; it no longer answers).
        bool gone = false;
        for (int i = 0; i < 200 && !gone; ++i) {
            gone = !WineServerRunning(prefix);
            if (!gone)
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        EXPECT_TRUE(gone);
    }
}

} // namespace
} // namespace vx

// The engine on its own: a scan, a repair and a restore driven through the observer interface only, with
// no window and no window model, as any front end drives them.
#include "app/app.h"
#include "engine/engine.h"
#include "platform/root_keys.h"
#include "results/backup_manager.h"
#include "support/fixture_prefix.h"
#include "support/registry_dump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace vx {
namespace {

using test::FixturePrefix;
using test::TempDir;

const char* kFonts = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts";
const char* kRun = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// A front end that answers every question with OK and shows nothing.
class SilentFrontEnd : public FrontEnd {
  public:
    void Yield(App&) override {}
    bool ShowMessageBox(App&, std::string_view, bool) override { return true; }
};

class NoSound : public SoundPlayer {
  public:
    void PlayAsync(const std::filesystem::path&) override {}
};

// Writes down what the runs tell, in order; may cancel the scan at a yield.
class RecordingObserver : public RunObserver {
  public:
    explicit RecordingObserver(std::vector<std::string>& events) : events_(events) {}
    Engine* engine = nullptr;
    int cancelAtFinding = 0; // cancels at the first yield once this many findings were added; 0: never
    size_t found = 0;
    int yields = 0;
    std::vector<std::string> questions;

    void Yield() override {
        ++yields;
        if (cancelAtFinding > 0 && found >= static_cast<size_t>(cancelAtFinding) && engine &&
            !engine->run().Cancelled())
            engine->Cancel();
    }
    bool Ask(std::string_view message, bool) override {
        questions.emplace_back(message);
        return true;
    }
    void ScanStarted() override { events_.push_back("scan started"); }
    void RowStarted(int row) override { events_.push_back("row " + std::to_string(row)); }
    void FindingAdded(size_t total) override { found = total; }
    void SectionTallied(std::string_view row) override { events_.push_back("summary " + std::string(row)); }
    void ScanEnded() override { events_.push_back("scan ended"); }
    void RepairStarted() override { events_.push_back("repair started"); }
    void RepairEnded() override { events_.push_back("repair ended"); }

  private:
    std::vector<std::string>& events_;
};

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        prefix.WithWindowsBasics()
            .String("HKLM", kFonts, "Arial", "arial.ttf")
            .String("HKLM", kFonts, "Gone One", "gone1.ttf")
            .String("HKLM", kFonts, "Gone Two", "gone2.ttf")
            .String("HKLM", std::string(kRun) + "\\Vendor", "Tray", "C:\\Gone\\tray.exe /min");
        target = prefix.WriteAndOpen();
        app = std::make_unique<App>(*target, settings, frontEnd, sound);
        app->SetApplicationFolder(data.path().string());
        engine = std::make_unique<Engine>(*app, observer);
        observer.engine = engine.get();
        LoadlvwRegistryvaluesScanValues(*engine);
        for (auto& row : engine->checkList().rows)
            row.checked = row.text == "Windows Fonts" || row.text == "Windows Startup";
    }
    std::string Dump() {
        return test::DumpRegistry(app->registry(), HKEY_LOCAL_MACHINE) +
               test::DumpRegistry(app->registry(), HKEY_CURRENT_USER);
    }

    FixturePrefix prefix;
    TempDir data;
    std::unique_ptr<Target> target;
    MemorySettingsStore settings;
    SilentFrontEnd frontEnd;
    NoSound sound;
    std::unique_ptr<App> app;
    std::vector<std::string> events;
    RecordingObserver observer{events};
    std::unique_ptr<Engine> engine;
};

TEST_F(EngineTest, ScanRepairAndRestoreThroughTheObserverAlone) {
    const std::string before = Dump();

    ASSERT_TRUE(engine->Scan());
    const std::vector<std::string> summary{"Invalid Windows Startup Files  ( 1 Problem(s) )",
                                           "Invalid Windows Fonts (  2 Problem(s) )"};
    EXPECT_EQ(events, (std::vector<std::string>{"scan started", "row 6", "summary " + summary[0], "row 9",
                                                "summary " + summary[1], "scan ended"}));
    EXPECT_EQ(engine->summaryRows(), summary);
    EXPECT_EQ(engine->findings().lvwErrors.size(), 3u);
    EXPECT_EQ(observer.found, 3u) << "every finding was told";
    EXPECT_GT(observer.yields, 0);
    EXPECT_FALSE(engine->run().Cancelled());
    EXPECT_EQ(Dump(), before) << "a scan changes nothing";

    events.clear();
    const RepairOutcome repaired = engine->Repair();
    EXPECT_TRUE(repaired.ran);
    EXPECT_EQ(repaired.repaired, 3);
    EXPECT_EQ(repaired.skipped, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"repair started", "repair ended"}));
    EXPECT_TRUE(engine->findings().empty());
    EXPECT_TRUE(engine->summaryRows().empty());
    ASSERT_FALSE(repaired.backupFile.empty());
    EXPECT_EQ(engine->run().BackupFilePath, repaired.backupFile);
    EXPECT_NE(Dump(), before);

    BackupManager manager = LoadBackupManager(*app);
    ASSERT_EQ(manager.lvwBackUp.size(), 1u);
    manager.lvwBackUp[0].ticked = true;
    const RestoreOutcome restored = engine->Restore(manager);
    EXPECT_EQ(restored.restored, 3);
    EXPECT_TRUE(restored.failures.empty());
    EXPECT_EQ(Dump(), before) << "the restore puts every value back";
    EXPECT_TRUE(observer.questions.empty()) << "nothing to ask when all goes well";

    // What reached the disk comes back on a fresh opening too.
    const auto reopened = prefix.Open();
    EXPECT_EQ(test::DumpRegistry(reopened->registry(), HKEY_LOCAL_MACHINE) +
                  test::DumpRegistry(reopened->registry(), HKEY_CURRENT_USER),
              before);
}

TEST_F(EngineTest, ACancelFromTheObserverEndsTheScanAtItsNextStep) {
    observer.cancelAtFinding = 1;
    ASSERT_TRUE(engine->Scan());
    EXPECT_TRUE(engine->run().Cancelled());
    EXPECT_EQ(engine->findings().lvwErrors.size(), 1u) << "the run stopped inside the first section";
    EXPECT_TRUE(engine->summaryRows().empty());
    EXPECT_EQ(events.back(), "scan ended") << "a cancelled scan still ends";
    EXPECT_EQ(std::count(events.begin(), events.end(), "row 9"), 0) << "no row starts after the cancel";
}

TEST_F(EngineTest, ASecondRunWhileOneIsAtWorkDoesNothing) {
    bool tried = false;
    struct Nested : RecordingObserver {
        using RecordingObserver::RecordingObserver;
        std::function<void()> atYield;
        void Yield() override {
            if (atYield)
                std::exchange(atYield, nullptr)();
        }
    };
    std::vector<std::string> nestedEvents;
    Nested nested(nestedEvents);
    Engine inner(*app, nested);
    // The outer scan yields into the inner engine's attempt through the shared app's turn.
    struct Relay : RecordingObserver {
        using RecordingObserver::RecordingObserver;
        Nested* nested = nullptr;
        void Yield() override { nested->Yield(); }
    };
    std::vector<std::string> relayEvents;
    Relay relay(relayEvents);
    relay.nested = &nested;
    Engine outer(*app, relay);
    LoadlvwRegistryvaluesScanValues(outer);
    nested.atYield = [&] {
        tried = true;
        EXPECT_FALSE(inner.Scan()) << "the turn is held by the running scan";
        EXPECT_EQ(inner.Repair().error, std::string(kAnotherRunAtWork));
    };
    ASSERT_TRUE(outer.Scan());
    EXPECT_TRUE(tried);
    EXPECT_TRUE(nestedEvents.empty()) << "the refused scan told nothing";
    EXPECT_TRUE(inner.findings().empty());
}

} // namespace
} // namespace vx

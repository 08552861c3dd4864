// Scan, repair and restore over prefixes generated from seeds: the restore gives back every shortcut
// file exactly (bytes, mode, DOS attributes) and every registry file byte for byte, but for the change
// stamps of the keys repair and restore wrote ("[key] seconds" and "#time="): Wine records when a key was
// last written, and writing a value back is a write. Everything else of those keys, the notation of their
// other values included, comes back as it was.
//
// A few seeds run here; tools/round-trip.sh SEEDS FIRST runs as many as asked
// (VANTRELIX_ROUND_TRIP_SEEDS, VANTRELIX_ROUND_TRIP_FIRST; VANTRELIX_ROUND_TRIP_KEEP=DIR keeps a copy of each
// prefix as generated in DIR/seed-N). A seed that failed there and was mended is kept in kFoundSeeds.
#include "engine/repair.h"
#include "engine/scan_run.h"
#include "engine/section_list.h"
#include "platform/root_keys.h"
#include "results/backup_manager.h"
#include "support/generated_prefix.h"
#include "support/test_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sys/stat.h>
#include <sys/xattr.h>

namespace vx {
namespace {

using test::EngineOf;
using test::FindingsOf;
using test::ModelOf;
using test::WindowOf;

namespace fs = std::filesystem;
using test::GeneratedPrefix;
using test::GeneratorOptions;
using test::TempDir;
using test::TestApp;

// Seeds the long run found failing, each a fault since mended. (A change to the generator changes what a
// seed makes: find them again then, with the fault put back.)
const uint64_t kFoundSeeds[] = {
    10, // a class's value on the machine's side was emptied and restored in the user's key of that class
        // (RepairTest.AClassFindingIsChangedOnTheSideThatHoldsIt)
    11, // a finding's twin named "(DEFAULT)" came back as "(Default)"
    21, // the same with "(default)" (RepairTest.ATwinNamedDefaultComesBackInItsOwnLetterCase)
};

const char* kRegistryFiles[] = {"system.reg", "user.reg", "userdef.reg"};

struct FileState {
    std::string bytes; // "<folder>" for a folder
    unsigned mode = 0;
    std::string dosAttributes;
    bool operator==(const FileState&) const = default;
};

// Every file and folder below `root` (links not followed).
std::map<std::string, FileState> Snapshot(const fs::path& root) {
    std::map<std::string, FileState> files;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
        FileState state;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || S_ISLNK(st.st_mode))
            continue;
        state.mode = st.st_mode & 07777;
        if (S_ISDIR(st.st_mode)) {
            state.bytes = "<folder>";
        } else {
            std::ifstream in(it->path(), std::ios::binary);
            state.bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
            char attributes[32] = {};
            const ssize_t n = ::getxattr(it->path().c_str(), "user.DOSATTRIB", attributes, sizeof attributes);
            if (n > 0)
                state.dosAttributes.assign(attributes, static_cast<size_t>(n));
        }
        files[fs::relative(it->path(), root).string()] = state;
    }
    return files;
}

// The first line where two texts differ, with the line before it, for a message short enough to read.
std::string FirstDifference(const std::string& expected, const std::string& actual) {
    size_t start = 0, line = 1;
    size_t previous = 0;
    while (true) {
        const size_t endE = std::min(expected.find('\n', start), expected.size());
        const size_t endA = std::min(actual.find('\n', start), actual.size());
        if (expected.compare(start, endE - start, actual, start, endA - start) != 0 || endE != endA)
            return "line " + std::to_string(line) + ":\n  after   " +
                   expected.substr(previous, start - previous) + "  wanted  " +
                   expected.substr(start, endE - start) + "\n  got     " + actual.substr(start, endA - start);
        if (endE >= expected.size())
            return "the same";
        previous = start;
        start = endE + 1;
        ++line;
    }
}

std::set<std::string> SetOf(const std::vector<std::string>& items) {
    return {items.begin(), items.end()};
}

// One seed: scan everything, repair everything found, restore everything backed up.
void RoundTrip(uint64_t seed, const GeneratorOptions& options = {}) {
    SCOPED_TRACE("seed " + std::to_string(seed) + " (again: tools/round-trip.sh 1 " + std::to_string(seed) +
                 ")");
    GeneratedPrefix prefix(seed, options);
    if (const char* keep = std::getenv("VANTRELIX_ROUND_TRIP_KEEP"); keep && *keep) {
        const fs::path copy = fs::path(keep) / ("seed-" + std::to_string(seed));
        fs::remove_all(copy);
        fs::create_directories(copy);
        fs::copy(prefix.root(), copy, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
    }
    const auto before = Snapshot(prefix.root());
    TempDir backups;
    std::map<std::string, std::vector<std::string>> changedKeys; // by registry file
    {
        TestApp app(prefix.Open());
        ASSERT_TRUE(app.target);
        app->SaveSetting("txtBackup", backups.path().string());
        LoadlvwRegistryvaluesScanValues(EngineOf(*app));
        for (auto& row : EngineOf(*app).checkList().rows)
            row.checked = true;
        WindowOf(*app).ImgScanNowMouseMove_Click();

        std::vector<GeneratedPrefix::Place> found;
        for (const ProblemEntry& row : FindingsOf(*app).lvwErrors) {
            const auto place = prefix.PlaceOf(row.mainkeyname, row.FullKeyPath, row.valueName);
            ASSERT_TRUE(place) << "a finding the generator did not make: " << row.mainkeyname << "\\"
                               << row.FullKeyPath << " " << row.valueName;
            found.push_back(*place);
        }
        for (const auto& planted : prefix.PlantedFindings())
            EXPECT_NE(std::find(found.begin(), found.end(), planted), found.end())
                << "not found: " << planted.file << " " << planted.keyLine << " " << planted.valueName;
        std::vector<std::string> shortcuts;
        for (const auto& row : FindingsOf(*app).lvwShortcut)
            shortcuts.push_back(row.path);
        EXPECT_EQ(SetOf(shortcuts), SetOf(prefix.BrokenShortcuts()));

        for (const auto& made : prefix.HandMadeFindings()) {
            ProblemEntry row;
            row.MainKey = std::to_string(static_cast<int32_t>(HKEY_USERS));
            row.mainkeyname = "HKEY_USERS";
            row.FullKeyPath = made.keyPath;
            row.KeyName = row.valueName = made.valueName;
            row.KeyValue = made.keyValue;
            row.RegistryScanners = "Windows Startup";
            FindingsOf(*app).lvwErrors.push_back(row);
            found.push_back(*prefix.PlaceOf(row.mainkeyname, row.FullKeyPath, row.valueName));
        }
        if (!FindingsOf(*app).lvwErrors.empty() && EngineOf(*app).summaryRows().empty())
            EngineOf(*app).summaryRows().push_back("Windows Startup");
        for (const auto& place : found)
            changedKeys[place.file].push_back(place.keyLine);

        const int findings =
            static_cast<int>(FindingsOf(*app).lvwErrors.size() + FindingsOf(*app).lvwShortcut.size());
        const RepairOutcome outcome = WindowOf(*app).ImgRepairMouseMove_Click();
        ASSERT_EQ(outcome.skipped, 0) << RepairClosingMessage(outcome);
        ASSERT_EQ(outcome.repaired, findings) << RepairClosingMessage(outcome);
    }
    const auto repaired = Snapshot(prefix.root());
    for (const auto& shortcut : prefix.BrokenShortcuts())
        EXPECT_FALSE(fs::exists(prefix.HostPathOf(shortcut))) << shortcut << " was not removed";
    for (const auto& shortcut : prefix.WorkingShortcuts())
        EXPECT_TRUE(fs::exists(prefix.HostPathOf(shortcut))) << shortcut << " was removed";
    for (const auto& [file, keys] : changedKeys)
        EXPECT_NE(repaired.at(file).bytes, before.at(file).bytes)
            << file << " holds findings and did not change";
    {
        TestApp app(prefix.Open());
        app->SaveSetting("txtBackup", backups.path().string());
        BackupManager manager = LoadBackupManager(*app);
        for (auto& row : manager.lvwBackUp)
            row.ticked = true;
        const RestoreOutcome restored = EngineOf(*app).Restore(manager);
        EXPECT_TRUE(restored.failures.empty()) << restored.failures.front();
        EXPECT_TRUE(fs::is_empty(backups.path())) << "a complete restore removes its backup and copies";
    }
    auto after = Snapshot(prefix.root());
    auto expected = before;
    for (const char* file : kRegistryFiles) {
        const std::string wanted = test::WithoutStampsOf(expected[file].bytes, changedKeys[file]);
        const std::string got = test::WithoutStampsOf(after[file].bytes, changedKeys[file]);
        EXPECT_TRUE(wanted == got) << file << " differs at " << FirstDifference(wanted, got);
        expected[file].bytes = after[file].bytes = "";
    }
    for (const auto& [path, state] : expected) {
        const auto it = after.find(path);
        if (it == after.end())
            ADD_FAILURE() << path << " is gone";
        else
            EXPECT_TRUE(it->second == state)
                << path << " differs (mode " << std::oct << it->second.mode << " for " << state.mode
                << std::dec << ", attributes " << it->second.dosAttributes << " for " << state.dosAttributes
                << ")";
    }
    for (const auto& [path, state] : after)
        EXPECT_TRUE(expected.count(path)) << path << " was left behind";
}

uint64_t FromEnvironment(const char* name, uint64_t fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 10) : fallback;
}

TEST(RoundTrip, GeneratedPrefixesComeBackExactly) {
    const uint64_t count = FromEnvironment("VANTRELIX_ROUND_TRIP_SEEDS", 8);
    const uint64_t first = FromEnvironment("VANTRELIX_ROUND_TRIP_FIRST", 1);
    GeneratorOptions options;
    options.unpairedSurrogateNames = FromEnvironment("VANTRELIX_ROUND_TRIP_SURROGATE_NAMES", 1) != 0;
    options.highBmpNames = FromEnvironment("VANTRELIX_ROUND_TRIP_HIGH_BMP_NAMES", 1) != 0;
    std::vector<uint64_t> failed;
    for (uint64_t seed = first; seed < first + count; ++seed) {
        const bool failedBefore = ::testing::Test::HasFailure();
        RoundTrip(seed, options);
        if (::testing::Test::HasFailure() && !failedBefore)
            failed.push_back(seed);
        if (failed.size() >= 20)
            break; // enough to go on with
    }
    for (uint64_t seed : failed)
        std::printf("round trip failed: seed %llu; again: VANTRELIX_ROUND_TRIP_SURROGATE_NAMES=%d "
                    "VANTRELIX_ROUND_TRIP_HIGH_BMP_NAMES=%d tools/round-trip.sh 1 %llu\n",
                    static_cast<unsigned long long>(seed), options.unpairedSurrogateNames ? 1 : 0,
                    options.highBmpNames ? 1 : 0, static_cast<unsigned long long>(seed));
}

TEST(RoundTrip, SeedsFoundFailingStayMended) {
    for (uint64_t seed : kFoundSeeds)
        RoundTrip(seed);
}

} // namespace
} // namespace vx

// The scan's JSON: text that is not UTF-8 (a file name in another encoding) stays recoverable.
#include "cli/scan_output.h"
#include "support/test_app.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sstream>

namespace vx {
namespace {
using test::EngineOf;

using test::FindingsOf;

TEST(ScanJson, NamesThatAreNotUtf8KeepTheirBytes) {
    test::FixturePrefix prefix;
    test::TestApp app(prefix.WithWindowsBasics().WriteAndOpen());
    ProblemEntry problem;
    problem.KeyValue = "C:\\Old\\caf\xE9.dll"; // Latin-1
    problem.FullKeyPath = "SOFTWARE\\Fine";
    FindingsOf(*app).lvwErrors = {problem};
    FindingsOf(*app).lvwShortcut = {ShortcutEntry{"C:\\links\\ok.lnk"}, ShortcutEntry{"C:\\links\\\xFF.lnk"}};
    std::ostringstream out;
    PrintScanJson(EngineOf(*app), "prefix", out);
    const auto json = nlohmann::json::parse(out.str());
    const auto& row = json["problems"][0];
    EXPECT_EQ(row["KeyValue bytes"], "433a5c4f6c645c636166e92e646c6c");
    EXPECT_EQ(row["FullKeyPath"], "SOFTWARE\\Fine");
    EXPECT_FALSE(row.contains("FullKeyPath bytes")) << "valid text is left as it is";
    EXPECT_EQ(json["shortcuts"][0], "C:\\links\\ok.lnk");
    EXPECT_EQ(json["shortcut bytes"], nlohmann::json({{"1", "433a5c6c696e6b735cff2e6c6e6b"}}));
}

} // namespace
} // namespace vx

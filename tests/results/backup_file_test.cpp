// The backup file's encoding: any text survives, and older files still read.
#include "results/backup_file.h"

#include <gtest/gtest.h>

namespace vx {
namespace {

TEST(BackupFile, ShiftsEveryByteByTenWrappingAt256) {
    EXPECT_EQ(EncodeBackupText("abc"), "klm");
    EXPECT_EQ(EncodeBackupText("\xF6\xFF"), std::string("\x00\x09", 2));
    EXPECT_EQ(DecodeBackupText(std::string("\x00\x09", 2)), "\xF6\xFF");
}

TEST(BackupFile, FieldsHoldingEveryByteAndCaretsSurviveAFile) {
    std::string every;
    for (int c = 1; c < 256; ++c)
        every += static_cast<char>(c);
    const std::vector<std::string> fields = {"R",   every, "a^b^", "^",   std::string("\x03\x00\x0d\x0a", 4),
                                             "Yes", "1",   "1",    "00ff"};
    std::string file;
    for (int i = 0; i < 3; ++i)
        file += EncodeBackupText(JoinBackupFields(fields)) + "\r\n";
    const auto lines = SplitBackupLines(file);
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& line : lines)
        EXPECT_EQ(SplitBackupFields(DecodeBackupText(line)), fields);
}

TEST(BackupFile, ReadsTheSixFieldRecordsOfOlderFiles) {
    const std::string old =
        "R^HKEY_LOCAL_MACHINE^SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tool.exe^"
        "C:\\Tools\\tool.exe^(Default)^";
    const auto lines =
        SplitBackupLines(EncodeBackupText(old) + "\r\n" + EncodeBackupText("S^C:\\x\\y.lnk") + "\r\n");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(SplitBackupFields(DecodeBackupText(lines[0])),
              (std::vector<std::string>{"R", "HKEY_LOCAL_MACHINE",
                                        "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\tool.exe",
                                        "C:\\Tools\\tool.exe", "(Default)", ""}));
    EXPECT_EQ(SplitBackupFields(DecodeBackupText(lines[1])), (std::vector<std::string>{"S", "C:\\x\\y.lnk"}));
}

TEST(BackupFile, RecordsCarryTheValueForAnExactUndo) {
    RegistryBackup backup;
    backup.entry.mainkeyname = "HKEY_LOCAL_MACHINE";
    backup.entry.FullKeyPath = "K";
    backup.entry.KeyValue = "C:\\x.exe";
    backup.entry.KeyName = "v";
    backup.valueName = "v";
    backup.value = SavedValue{true, 2, {0x25, 0x00}};
    EXPECT_EQ(RegistryRecordFields(backup),
              (std::vector<std::string>{"R", "HKEY_LOCAL_MACHINE", "K", "C:\\x.exe", "v", "", "1", "2",
                                        "2500", "v"}));
    EXPECT_EQ(BytesOfHex("2500"), (std::vector<uint8_t>{0x25, 0}));
    EXPECT_FALSE(BytesOfHex("2g"));
}

} // namespace
} // namespace vx

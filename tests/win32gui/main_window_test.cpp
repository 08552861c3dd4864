// The main window on this computer's registry (a Wine prefix holding a fixture, under tools/
// test-windows.sh): Scan Now, the results and a row's details, Repair, the backup manager's restore, and
// ending the program, all driven through the window's messages. The script compares the summary with
// vantrelix-cli.exe's scan and the registry after the restore with the registry before the repair.
#include "win32gui/main_window.h"

#include "app/message_box.h"
#include "program_under_test.h"
#include "win32gui/backup_manager_dialog.h"
#include "win32gui/message_box_window.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>

namespace vx::win32gui {
namespace {

using testing::BoxAnswerer;

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!std::getenv("VANTRELIX_GUI_ROAD"))
            GTEST_SKIP() << "needs the fixture of tools/test-windows.sh (VANTRELIX_GUI_ROAD)";
        program_ = std::make_unique<testing::ProgramUnderTest>();
        ASSERT_TRUE(program_->window) << program_->error;
        app_ = program_->app.get();
        window_ = program_->window.get();
        // A desktop without a notification area: closing asks whether to end the program.
        window_->hasNotificationArea = [] { return false; };
    }
    HWND Control(int id) const { return program_->Control(id); }
    void Click(MainButton button) { program_->Click(button); }
    bool ended() const { return program_->ended; }

    std::unique_ptr<testing::ProgramUnderTest> program_;
    App* app_ = nullptr;
    MainWindow* window_ = nullptr;
};

TEST_F(MainWindowTest, ScansShowsDetailsRepairsAndEnds) {
    BoxAnswerer answerer([](HWND box) { testing::ClickButton(box, kOkId); });
    const auto& main = window_->rules().model();

    Click(MainButton::ScanNow);
    ASSERT_TRUE(testing::PumpUntil([&] { return main.PicResults && !main.PicScanning; }));
    EXPECT_TRUE(IsWindowVisible(GetParent(Control(kSummaryListId))));
    const std::vector<std::string> summary = testing::ListTexts(Control(kSummaryListId));
    ASSERT_FALSE(summary.empty());
    ASSERT_GT(window_->rules().engine().findings().lvwErrors.size(), 0u);
    std::vector<std::string> modelRows;
    for (const ListRow& row : main.lvwRegistryProblems.rows)
        modelRows.push_back(row.text);
    EXPECT_EQ(summary, modelRows);
    if (const char* out = std::getenv("VANTRELIX_GUI_SUMMARY")) {
        std::ofstream file(out, std::ios::binary);
        for (const std::string& row : summary)
            file << row << "\n";
    }

    // A summary row's details.
    testing::ClickRow(Control(kSummaryListId), 0);
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(testing::ListTexts(Control(kDetailListId)).empty());

    Click(MainButton::Repair);
    ASSERT_TRUE(testing::PumpUntil(
        [&] { return window_->rules().engine().findings().lvwErrors.empty() && main.ImgReturnNormal; }));
    ASSERT_FALSE(window_->rules().engine().run().BackupFilePath.empty());
    std::cout << "GUI backup: " << window_->rules().engine().run().BackupFilePath << std::endl;
    EXPECT_NE(std::find_if(answerer.seen().begin(), answerer.seen().end(),
                           [](const std::string& text) { return text == MessageOfKind(kFilesRepaired); }),
              answerer.seen().end());

    // The backup manager restores that backup: its row ticked, Restore, and OK once the list has let it
    // go (the script then requires the registry back exactly).
    const std::string& backupPath = window_->rules().engine().run().BackupFilePath;
    const std::string backupName = backupPath.substr(backupPath.find_last_of('\\') + 1);
    bool restoring = false, restored = false;
    testing::WindowAnswerer manager(kBackupManagerClass, [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kBackupListId);
        const std::vector<std::string> rows = testing::ListTexts(list);
        const auto row = std::find(rows.begin(), rows.end(), backupName);
        if (!restoring) {
            ASSERT_NE(row, rows.end()) << backupName;
            ListView_SetCheckState(list, static_cast<int>(row - rows.begin()), TRUE);
            testing::ClickButton(dialog, kBackupButtonId + static_cast<int>(BackupButton::Restore));
            restoring = true;
        } else if (row == rows.end() && !restored) {
            restored = true;
            testing::ClickButton(dialog, kBackupButtonId + static_cast<int>(BackupButton::OK));
        }
    });
    Click(MainButton::Restore);
    ASSERT_TRUE(testing::PumpUntil([&] { return restored && !FindWindowW(kBackupManagerClass, nullptr); },
                                   std::chrono::seconds(60)));

    // Without a notification area, closing the window asks whether to end the program; OK ends it.
    PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(testing::PumpUntil([&] { return ended(); }, std::chrono::seconds(10)));
}

TEST_F(MainWindowTest, ClosingAndCancellingKeepsTheProgram) {
    BoxAnswerer answerer([](HWND box) { testing::ClickButton(box, kCancelId); });
    PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(testing::PumpUntil([&] { return !answerer.seen().empty(); }, std::chrono::seconds(10)));
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(ended());
    EXPECT_TRUE(IsWindowVisible(window_->handle()));
}

TEST_F(MainWindowTest, ScanningPanelStaysOverTheCheckListWhenItRepaints) {
    auto& main = window_->rules().model();
    main.PicScanning = true;
    window_->Render();
    HWND panel = GetParent(Control(kStatusId));
    ASSERT_TRUE(IsWindowVisible(panel));
    HWND list = Control(kSectionListId);
    InvalidateRect(list, nullptr, TRUE);
    UpdateWindow(list);
    // A point of the panel over the list, away from the panel's labels and bars: the panel's art.
    HDC dc = GetDC(panel);
    const COLORREF seen = GetPixel(dc, 140, 284);
    ReleaseDC(panel, dc);
    EXPECT_NEAR(GetRValue(seen), 39, 3);
    EXPECT_NEAR(GetGValue(seen), 50, 3);
    EXPECT_NEAR(GetBValue(seen), 68, 3);
    main.PicScanning = false;
    window_->Render();
}

} // namespace
} // namespace vx::win32gui

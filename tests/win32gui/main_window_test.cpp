// The main window on this computer's registry (a Wine prefix holding a fixture, under tools/
// test-windows.sh): Scan Now, the results and a row's details, Repair, and ending the program, all driven
// through the window's messages. The script compares the summary with vantrelix-cli.exe's scan and
// checks the backup that the repair wrote.
#include "win32gui/main_window.h"

#include "app/message_box.h"
#include "ui/host_services.h"
#include "ui/target_options.h"
#include "win32gui/message_box_window.h"
#include "win32gui/win32_front_end.h"
#include "window_driver.h"

#include <gtest/gtest.h>

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
        opened_ = OpenTargetFromOptions({});
        ASSERT_TRUE(opened_.target) << opened_.error;
        settings_ = OpenSettingsStore(*opened_.target);
        sound_ = MakeSoundPlayer();
        app_ = std::make_unique<App>(*opened_.target, *settings_, frontEnd_, *sound_);
        window_ = std::make_unique<MainWindow>(*app_, frontEnd_);
        window_->endProgram = [this] { ended_ = true; };
        window_->Show();
    }
    HWND Control(int id) const {
        for (HWND parent = window_->handle(); parent;
             parent = GetWindow(parent, parent == window_->handle() ? GW_CHILD : GW_HWNDNEXT))
            if (HWND control = GetDlgItem(parent, id))
                return control;
        return nullptr;
    }
    void Click(MainButton button) {
        testing::ClickButton(GetParent(Control(ButtonId(button))), ButtonId(button));
    }

    Win32FrontEnd frontEnd_;
    OpenedTarget opened_;
    std::unique_ptr<SettingsStore> settings_;
    std::unique_ptr<SoundPlayer> sound_;
    std::unique_ptr<App> app_;
    std::unique_ptr<MainWindow> window_;
    bool ended_ = false;
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

    // Without a notification area, closing the window asks whether to end the program; OK ends it.
    PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(testing::PumpUntil([&] { return ended_; }, std::chrono::seconds(10)));
}

TEST_F(MainWindowTest, ClosingAndCancellingKeepsTheProgram) {
    BoxAnswerer answerer([](HWND box) { testing::ClickButton(box, kCancelId); });
    PostMessageW(window_->handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(testing::PumpUntil([&] { return !answerer.seen().empty(); }, std::chrono::seconds(10)));
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(ended_);
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

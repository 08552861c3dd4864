// Pictures of every window and panel of vantrelix.exe, for people to look at (tools/
// screenshots-windows.sh, which names the folder in VANTRELIX_SCREENSHOTS; skipped otherwise). Each is
// taken from the screen (Xvfb's), as the window shows it, and written as a BMP file.
#include "program_under_test.h"
#include "win32gui/backup_manager_dialog.h"
#include "win32gui/message_box_window.h"
#include "win32gui/notification_dialog.h"
#include "win32gui/settings_dialog.h"
#include "win32gui/splash_window.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace vx::win32gui {
namespace {

std::filesystem::path folder;

// The window as the screen shows it, into NAME.bmp.
void Capture(HWND window, const char* name) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    GdiFlush();
    // The drawing reaches the X server after the calls return: the picture waits for it.
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    RECT at{};
    GetWindowRect(window, &at);
    const int width = at.right - at.left, height = at.bottom - at.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, at.left, at.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const int stride = (width * 3 + 3) & ~3;
    std::string pixels(static_cast<size_t>(stride) * height, '\0');
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof(header) + sizeof(info);
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream file(folder / (std::string(name) + ".bmp"), std::ios::binary);
    file.write(reinterpret_cast<const char*>(&header), sizeof(header));
    file.write(reinterpret_cast<const char*>(&info), sizeof(info));
    file.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

// Lets the windows paint.
void Settle() {
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
}

// Takes the picture of the first window of `className` that shows, then closes it with `close`.
class CaptureWhenShown {
  public:
    CaptureWhenShown(const wchar_t* className, const char* name, std::function<void(HWND)> close)
        : answerer_(className, [this, name, close](HWND window) {
              if (window == taken_)
                  return;
              taken_ = window;
              Settle();
              Capture(window, name);
              close(window);
          }) {}

  private:
    HWND taken_ = nullptr;
    testing::WindowAnswerer answerer_;
};

TEST(Screenshots, EveryWindowAndPanel) {
    const char* out = std::getenv("VANTRELIX_SCREENSHOTS");
    if (!out)
        GTEST_SKIP() << "tools/screenshots-windows.sh names the folder (VANTRELIX_SCREENSHOTS)";
    folder = out;
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    program.window->hasNotificationArea = [] { return true; };
    program.app->SaveSetting("chkDoNotShowInFuture", "0");
    MainWindow& window = *program.window;
    const auto& main = program.window->rules().model();
    {
        SplashWindow splash([] {});
        splash.Start();
        Settle();
        Capture(splash.handle(), "splash");
    }
    Settle();
    Capture(window.handle(), "main-start");

    // The scanning panel, taken by a timer while the scan runs (its ticks come between the scan's steps).
    static std::function<void()> takeScanning;
    bool scanningTaken = false;
    takeScanning = [&] {
        if (main.PicScanning && !scanningTaken && main.PicProgress > 0) {
            scanningTaken = true;
            Capture(window.handle(), "main-scanning");
        }
    };
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR, DWORD) { takeScanning(); });
    program.Click(MainButton::ScanNow);
    testing::PumpUntil([&] { return !main.PicScanning && main.PicResults; });
    KillTimer(nullptr, timer);
    takeScanning = nullptr;
    if (main.PicResults) {
        testing::ClickRow(program.Control(kSummaryListId), 0);
        Settle();
        Capture(window.handle(), "main-results");
    }

    {
        CaptureWhenShown box(kMessageBoxClass, "message-box-question",
                             [](HWND box) { testing::ClickButton(box, kCancelId); });
        program.frontEnd.ShowMessageBox(*program.app, "Are you sure you want to stop the scanning ?", true);
    }
    {
        CaptureWhenShown box(kMessageBoxClass, "message-box-information",
                             [](HWND box) { testing::ClickButton(box, kOkId); });
        program.frontEnd.ShowMessageBox(*program.app, " All Problems were repaired sucessfully !", false);
    }
    {
        CaptureWhenShown settings(kSettingsDialogClass, "settings",
                                  [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
        program.Click(MainButton::Settings);
        testing::PumpUntil([] { return false; }, std::chrono::seconds(3));
    }
    {
        CaptureWhenShown backups(kBackupManagerClass, "backup-manager",
                                 [](HWND dialog) { PostMessageW(dialog, WM_CLOSE, 0, 0); });
        program.Click(MainButton::Restore);
        testing::PumpUntil([] { return false; }, std::chrono::seconds(3));
    }
    {
        CaptureWhenShown notice(kNotificationClass, "notice",
                                [](HWND dialog) { testing::ClickButton(dialog, kNoticeOkId); });
        PostMessageW(window.handle(), WM_CLOSE, 0, 0);
        ASSERT_TRUE(testing::PumpUntil([&] { return window.tray().bRunningInTray(); }));
        testing::PumpUntil([] { return false; }, std::chrono::seconds(1));
    }
    program.TrayMessage(WM_RBUTTONUP);
    ASSERT_TRUE(testing::PumpUntil(
        [&] { return window.popupMenu() && window.popupMenu()->rules().TmrEnablePopDown; }));
    const RECT item = window.popupMenu()->ItemRect(MenuItem::MenuScan);
    SendMessageW(window.popupMenu()->handle(), WM_MOUSEMOVE, 0, MAKELPARAM(item.left + 20, item.top + 10));
    Settle();
    Capture(window.popupMenu()->handle(), "tray-menu");
}

} // namespace
} // namespace vx::win32gui

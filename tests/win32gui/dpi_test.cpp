// The windows at the screen's DPI (tools/test-windows.sh runs these once more on a prefix at 144 DPI, as
// Windows' 150 % sets it, and names the DPI in VANTRELIX_EXPECT_DPI): the main window scaled by it with
// its controls inside it, apart and their text whole; a WM_DPICHANGED lays a window out again at the new
// DPI; the check-list's rows show their sections' icons, in the lists' colours. Pixels are read back from
// Xvfb's screen.
#include "program_under_test.h"
#include "win32gui/art.h"
#include "win32gui/backup_manager_dialog.h"
#include "win32gui/list_colours.h"
#include "win32gui/message_box_window.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace vx::win32gui {
namespace {

::testing::AssertionResult Near(COLORREF actual, COLORREF expected) {
    return testing::ColourNear(actual, expected, 8);
}

SIZE WindowSize(HWND window) {
    RECT all{};
    GetWindowRect(window, &all);
    return {all.right - all.left, all.bottom - all.top};
}

SIZE ClientSize(HWND window) {
    RECT all{};
    GetClientRect(window, &all);
    return {all.right, all.bottom};
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::vector<HWND> Children(HWND parent) {
    std::vector<HWND> children;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    return children;
}

RECT PlaceIn(HWND control, HWND parent) {
    RECT at{};
    GetWindowRect(control, &at);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&at), 2);
    return at;
}

// Every control of `parent` and of its panels lies inside its parent, none overlaps another of the same
// parent (the panels are laid over the start panel on purpose), and a label's text fits it.
void ExpectLaidOutWithin(HWND parent) {
    const SIZE size = ClientSize(parent);
    const std::vector<HWND> children = Children(parent);
    for (size_t i = 0; i < children.size(); ++i) {
        const RECT at = PlaceIn(children[i], parent);
        const int id = GetDlgCtrlID(children[i]);
        SCOPED_TRACE("control " + std::to_string(id));
        EXPECT_GE(at.left, 0);
        EXPECT_GE(at.top, 0);
        EXPECT_LE(at.right, size.cx);
        EXPECT_LE(at.bottom, size.cy);
        if (ClassOf(children[i]) == kPanelClass) {
            ExpectLaidOutWithin(children[i]);
            continue;
        }
        for (size_t j = i + 1; j < children.size(); ++j) {
            if (ClassOf(children[j]) == kPanelClass)
                continue;
            const RECT other = PlaceIn(children[j], parent);
            RECT both{};
            EXPECT_FALSE(IntersectRect(&both, &at, &other))
                << "overlaps control " << GetDlgCtrlID(children[j]);
        }
        const int length = GetWindowTextLengthW(children[i]);
        if (ClassOf(children[i]) != L"Static" || length == 0)
            continue;
        std::wstring text(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(children[i], text.data(), length + 1);
        HDC dc = GetDC(children[i]);
        HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(children[i], WM_GETFONT, 0, 0)));
        RECT needed{0, 0, at.right - at.left, 0};
        DrawTextW(dc, text.c_str(), length, &needed, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        ReleaseDC(children[i], dc);
        EXPECT_LE(needed.right, at.right - at.left);
        EXPECT_LE(needed.bottom, at.bottom - at.top) << "the text is cut off";
    }
}

// The DPI tools/test-windows.sh set up for the run, or 0.
unsigned ExpectedDpi() {
    const char* dpi = std::getenv("VANTRELIX_EXPECT_DPI");
    return dpi ? static_cast<unsigned>(std::atoi(dpi)) : 0;
}

TEST(Dpi, TheMainWindowIsLaidOutAtTheScreensDpi) {
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    HWND window = program.window->handle();
    const unsigned dpi = WindowDpi(window);
    if (const unsigned expected = ExpectedDpi()) {
        EXPECT_EQ(dpi, expected);
        if (expected == 144) {
            EXPECT_EQ(ArtScaleForDpi(dpi), 150);
        }
    }
    const SIZE size = ClientSize(window);
    EXPECT_EQ(size.cx, Scaled(720, dpi));
    EXPECT_EQ(size.cy, Scaled(480, dpi));
    const SIZE scanNow = ClientSize(program.Control(ButtonId(MainButton::ScanNow)));
    EXPECT_EQ(scanNow.cx, Scaled(220, dpi));
    EXPECT_EQ(scanNow.cy, Scaled(64, dpi));
    ExpectLaidOutWithin(window);
}

// The height of the font `control` draws in.
LONG FontHeight(HWND control) {
    LOGFONTW face{};
    GetObjectW(reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof(face), &face);
    return std::abs(face.lfHeight);
}

// Sends `window` the DPI change Windows sends when it moves onto a monitor of `dpi`.
void MoveToDpi(HWND window, unsigned from, unsigned dpi) {
    RECT at{};
    GetWindowRect(window, &at);
    RECT suggested{at.left, at.top,
                   at.left + MulDiv(at.right - at.left, static_cast<int>(dpi), static_cast<int>(from)),
                   at.top + MulDiv(at.bottom - at.top, static_cast<int>(dpi), static_cast<int>(from))};
    SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

TEST(Dpi, ADpiChangeLaysTheMainWindowOutAgain) {
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    HWND window = program.window->handle();
    HWND label = program.Control(kMyComputerId);
    HWND list = program.Control(kSectionListId);
    const unsigned first = WindowDpi(window);
    const LONG firstFont = FontHeight(label);
    for (unsigned dpi : {first * 2, first}) {
        SCOPED_TRACE(dpi);
        MoveToDpi(window, WindowDpi(window), dpi);
        EXPECT_EQ(WindowDpi(window), dpi);
        const SIZE size = ClientSize(window);
        EXPECT_EQ(size.cx, Scaled(720, dpi));
        EXPECT_EQ(size.cy, Scaled(480, dpi));
        EXPECT_EQ(ClientSize(program.Control(ButtonId(MainButton::ScanNow))).cx, Scaled(220, dpi));
        EXPECT_NEAR(FontHeight(label), MulDiv(firstFont, static_cast<int>(dpi), static_cast<int>(first)), 1);
        int side = 0, height = 0;
        ImageList_GetIconSize(ListView_GetImageList(list, LVSIL_SMALL), &side, &height);
        EXPECT_EQ(side, Scaled(16, dpi)); // the icons drawn again at the new DPI
        ExpectLaidOutWithin(window);
    }
}

TEST(Dpi, ADpiChangeLaysAMessageBoxOutAgain) {
    SIZE okAtFirst{}, okAtDouble{}, boxAtFirst{}, boxAtDouble{};
    unsigned first = 0;
    testing::BoxAnswerer answerer([&](HWND box) {
        first = WindowDpi(box);
        boxAtFirst = WindowSize(box);
        okAtFirst = ClientSize(GetDlgItem(box, kOkId));
        MoveToDpi(box, first, first * 2);
        boxAtDouble = WindowSize(box);
        okAtDouble = ClientSize(GetDlgItem(box, kOkId));
        testing::ClickButton(box, kOkId);
    });
    MessageBoxWindow box(nullptr, "At every DPI", true);
    EXPECT_TRUE(box.Run());
    ASSERT_NE(first, 0u);
    EXPECT_EQ(okAtFirst.cx, Scaled(120, first));
    EXPECT_EQ(okAtDouble.cx, Scaled(120, first * 2));
    EXPECT_EQ(okAtDouble.cy, Scaled(36, first * 2));
    EXPECT_EQ(boxAtDouble.cx, boxAtFirst.cx * 2); // the place the system suggested
    EXPECT_EQ(boxAtDouble.cy, boxAtFirst.cy * 2);
}

TEST(Dpi, ADpiChangeLaysTheBackupManagerOutAgain) {
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    std::vector<std::pair<int, int>> seen; // the first column's width and the marks' side, at each DPI
    unsigned first = 0;
    testing::WindowAnswerer answerer(kBackupManagerClass, [&](HWND dialog) {
        HWND list = GetDlgItem(dialog, kBackupListId);
        first = WindowDpi(dialog);
        for (unsigned dpi : {first, first * 2}) {
            if (dpi != first)
                MoveToDpi(dialog, first, dpi);
            int side = 0, height = 0;
            ImageList_GetIconSize(ListView_GetImageList(list, LVSIL_STATE), &side, &height);
            seen.emplace_back(ListView_GetColumnWidth(list, 0), side);
        }
        PostMessageW(dialog, WM_CLOSE, 0, 0);
    });
    BackupManagerDialog dialog(program.window->handle(), *program.app);
    dialog.Run();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(Scaled(250, first), Scaled(16, first)));
    EXPECT_EQ(seen[1], std::make_pair(Scaled(250, first * 2), Scaled(16, first * 2)));
}

// The colour a picture of the art has at (x, y) where it is opaque there; nullopt elsewhere.
std::optional<COLORREF> OpaqueColour(const Picture& picture, int x, int y) {
    DIBSECTION dib{};
    GetObjectW(picture.bitmap(), sizeof(dib), &dib);
    const BYTE* pixel = static_cast<const BYTE*>(dib.dsBm.bmBits) + (y * picture.size().cx + x) * 4;
    if (pixel[3] != 255)
        return std::nullopt;
    return RGB(pixel[2], pixel[1], pixel[0]);
}

TEST(Dpi, TheCheckListShowsEachSectionsIconInTheListsColours) {
    testing::ProgramUnderTest program;
    ASSERT_TRUE(program.window) << program.error;
    HWND list = program.Control(kSectionListId);
    const auto& rows = program.window->rules().model().lvwRegistryvaluesScan.rows;
    ASSERT_GE(rows.size(), 3u);
    const unsigned dpi = WindowDpi(list);
    RECT inside{};
    GetClientRect(list, &inside);
    ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
    testing::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    UpdateWindow(list);
    HDC dc = GetDC(list);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        SCOPED_TRACE("row " + std::to_string(row));
        ASSERT_GE(rows[static_cast<size_t>(row)].icon, 1);
        char name[16];
        std::snprintf(name, sizeof(name), "section_%02d", rows[static_cast<size_t>(row)].icon);
        const Picture* picture = ArtPicture(name, ArtScaleForDpi(dpi));
        ASSERT_NE(picture, nullptr);
        ASSERT_EQ(picture->size().cx, Scaled(16, dpi)) << "the art's own size at this DPI";
        RECT icon{};
        ASSERT_TRUE(ListView_GetItemRect(list, row, &icon, LVIR_ICON));
        int compared = 0;
        for (int y = 0; y < picture->size().cy; ++y)
            for (int x = 0; x < picture->size().cx; ++x)
                if (const std::optional<COLORREF> colour = OpaqueColour(*picture, x, y)) {
                    EXPECT_TRUE(Near(GetPixel(dc, icon.left + x, icon.top + y), *colour)) << x << ", " << y;
                    ++compared;
                }
        EXPECT_GT(compared, 0);
        // At the list's right edge, inside the row: the selected row in the accent, the others alternating.
        RECT whole{};
        ListView_GetItemRect(list, row, &whole, LVIR_BOUNDS);
        const COLORREF expected = row == 1 ? kListSelection : row % 2 ? kListAlternate : kListBackground;
        EXPECT_TRUE(Near(GetPixel(dc, inside.right - 2, (whole.top + whole.bottom) / 2), expected));
    }
    // Below the rows the list's own background; its header in the header's colour.
    EXPECT_TRUE(Near(GetPixel(dc, 4, inside.bottom - 4), kListBackground));
    ReleaseDC(list, dc);
    HWND header = ListView_GetHeader(list);
    RECT bar{};
    GetClientRect(header, &bar);
    HDC headerDc = GetDC(header);
    EXPECT_TRUE(Near(GetPixel(headerDc, bar.right - 2, bar.bottom / 2), kListHeader));
    ReleaseDC(header, headerDc);
}

} // namespace
} // namespace vx::win32gui

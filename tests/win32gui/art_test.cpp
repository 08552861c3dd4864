// The art built into the program: every drawing at every scale, decoded with its own colours and its
// transparency, the scale chosen from the DPI, and the pictures as the windows draw them on screen
// (pixels read back away from half-transparent edges: there is no compositor under Xvfb).
#include "win32gui/art.h"

#include "win32gui/art_check_box.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"
#include "win32gui/message_box_window.h"
#include "window_driver.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <string>

namespace vx::win32gui {
namespace {

// Colours of the drawings away from their edges, as the SVG files give them.
constexpr COLORREF kLargeButtonFace = RGB(41, 52, 71);
constexpr COLORREF kButtonFace = RGB(45, 57, 79);
constexpr COLORREF kButtonHoverFace = RGB(30, 140, 128);
constexpr COLORREF kTitleStrip = RGB(23, 29, 43);
constexpr COLORREF kRed = RGB(255, 0, 0);

::testing::AssertionResult Near(COLORREF actual, COLORREF expected) {
    return testing::ColourNear(actual, expected, 3);
}

// A memory DC over a 32-bit DIB of one colour.
class Canvas {
  public:
    Canvas(int width, int height, COLORREF colour) : dc_(CreateCompatibleDC(nullptr)) {
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(info.bmiHeader), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all{0, 0, width, height};
        SetDCBrushColor(dc_, colour);
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC dc() const { return dc_; }

  private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

TEST(Art, ScaleIsTheSmallestNotBelowTheDpi) {
    const std::pair<unsigned, int> cases[] = {{96, 100},  {110, 150}, {120, 150}, {144, 150},
                                              {168, 200}, {192, 200}, {288, 200}};
    for (const auto& [dpi, scale] : cases)
        EXPECT_EQ(ArtScaleForDpi(dpi), scale) << dpi << " DPI";
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    if (!IS_INTRESOURCE(name))
        reinterpret_cast<std::set<std::string>*>(names)->insert(win32::Narrow(name));
    return TRUE;
}

TEST(Art, EveryDrawingIsBuiltInAtEveryScaleInProportion) {
    std::set<std::string> names;
    EnumResourceNamesW(nullptr, MAKEINTRESOURCEW(10), CollectName, reinterpret_cast<LONG_PTR>(&names));
    std::map<std::string, std::set<int>> drawings; // BUTTON_LARGE_150: button_large at 150
    for (const std::string& name : names) {
        const size_t cut = name.rfind('_');
        ASSERT_NE(cut, std::string::npos) << name;
        std::string drawing = name.substr(0, cut);
        for (char& c : drawing)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        drawings[drawing].insert(std::stoi(name.substr(cut + 1)));
    }
    for (const char* used : {"background", "panel", "button", "button_hover", "button_large", "app_icon",
                             "title_strip", "progress_fill", "bug", "my_computer"})
        EXPECT_TRUE(drawings.count(used)) << used;
    for (const auto& [drawing, scales] : drawings) {
        SCOPED_TRACE(drawing);
        EXPECT_EQ(scales, (std::set<int>{100, 150, 200}));
        const Picture* base = ArtPicture(drawing, 100);
        ASSERT_NE(base, nullptr);
        for (int scale : {150, 200}) {
            const Picture* scaled = ArtPicture(drawing, scale);
            ASSERT_NE(scaled, nullptr) << scale;
            EXPECT_NEAR(scaled->size().cx, base->size().cx * scale / 100.0, 1.0) << scale;
            EXPECT_NEAR(scaled->size().cy, base->size().cy * scale / 100.0, 1.0) << scale;
        }
    }
    EXPECT_EQ(ArtPicture("no_such_drawing", 100), nullptr);
}

TEST(Art, ProgramIconHoldsSmallAndLargeSizes) {
    for (int side : {16, 32, 48, 256}) {
        HICON icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, side, side, 0));
        ASSERT_NE(icon, nullptr) << side;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(colour), &colour);
        EXPECT_EQ(colour.bmWidth, side);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

TEST(Art, DrawsItsColoursAndLeavesTransparentCornersAsTheyWere) {
    for (int scale : kArtScales) {
        SCOPED_TRACE(scale);
        const Picture* picture = ArtPicture("button_large", scale);
        ASSERT_NE(picture, nullptr);
        const SIZE size = picture->size();
        EXPECT_EQ(size.cx, 220 * scale / 100);
        EXPECT_EQ(size.cy, 64 * scale / 100);
        Canvas canvas(size.cx + 20, size.cy + 20, kRed);
        HDC dc = canvas.dc();
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, picture->bitmap());
        const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        ASSERT_TRUE(AlphaBlend(dc, 10, 10, size.cx, size.cy, source, 0, 0, size.cx, size.cy, blend));
        SelectObject(source, old);
        DeleteDC(source);
        EXPECT_TRUE(Near(GetPixel(dc, 10 + size.cx - 12 * scale / 100, 10 + size.cy / 2), kLargeButtonFace));
        EXPECT_EQ(GetPixel(dc, 10, 10), kRed); // the rounded corner
        EXPECT_EQ(GetPixel(dc, 5, 5), kRed);   // outside the picture
    }
    // DrawArt stretches the window's scale into the box it is given.
    Canvas canvas(300, 100, kRed);
    ASSERT_TRUE(DrawArt(canvas.dc(), nullptr, "button_large", {0, 0, 300, 100}));
    EXPECT_TRUE(Near(GetPixel(canvas.dc(), 280, 50), kLargeButtonFace));
    EXPECT_FALSE(DrawArt(canvas.dc(), nullptr, "no_such_drawing", {0, 0, 300, 100}));
    EXPECT_EQ(GetPixel(canvas.dc(), 0, 0), kRed);
}

// On screen: the message box's frame and its OK button, plain and then under the pointer.
TEST(Art, WindowsDrawTheirFramesAndButtonsFromTheArt) {
    COLORREF strip = 0, face = 0, hoverFace = 0, corner = 0, besideCorner = 0;
    testing::BoxAnswerer answerer([&](HWND box) {
        HWND ok = GetDlgItem(box, kOkId);
        UpdateWindow(box);
        RECT button{};
        GetClientRect(ok, &button);
        RECT all{};
        GetClientRect(box, &all);
        HDC boxDc = GetDC(box);
        strip = GetPixel(boxDc, all.right - 20, kStripHeight / 2); // right of the caption
        ReleaseDC(box, boxDc);
        HDC dc = GetDC(ok);
        face = GetPixel(dc, button.right - 12, button.bottom / 2);
        corner = GetPixel(dc, 0, 0);
        ReleaseDC(ok, dc);
        POINT outside{-1, 0};
        MapWindowPoints(ok, box, &outside, 1);
        boxDc = GetDC(box);
        besideCorner = GetPixel(boxDc, outside.x, outside.y);
        ReleaseDC(box, boxDc);
        SendMessageW(ok, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
        UpdateWindow(ok);
        dc = GetDC(ok);
        hoverFace = GetPixel(dc, button.right - 12, button.bottom / 2);
        ReleaseDC(ok, dc);
        testing::ClickButton(box, kOkId);
    });
    MessageBoxWindow box(nullptr, "Art", true);
    EXPECT_TRUE(box.Run());
    EXPECT_TRUE(Near(face, kButtonFace));
    EXPECT_TRUE(Near(hoverFace, kButtonHoverFace));
    EXPECT_TRUE(Near(corner, besideCorner)); // the button's transparent corner shows the box behind it
    EXPECT_TRUE(Near(strip, kTitleStrip));
}

// A check box in each of its states, set by code and by a click: the art's box, not the system's.
TEST(Art, CheckBoxesShowTheirStateFromTheArt) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 200, 60, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    // As tall as the windows make a check box at the screen's DPI.
    const unsigned dpi = WindowDpi(parent);
    HWND box = CreateWindowExW(0, L"BUTTON", L"Tick", WS_CHILD | WS_VISIBLE | BS_AUTO3STATE, 10, 10, 120,
                               Scaled(20, dpi), parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    DrawCheckBoxFromArt(box);
    // Inside each drawing's box, away from its edge and its mark.
    const auto inside = [box, dpi] {
        UpdateWindow(box);
        HDC dc = GetDC(box);
        const COLORREF seen = GetPixel(dc, Scaled(3, dpi), Scaled(5, dpi));
        ReleaseDC(box, dc);
        return seen;
    };
    const COLORREF clear = RGB(20, 26, 37), checked = RGB(43, 179, 163), partial = RGB(31, 95, 88);
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(Near(inside(), checked));
    SendMessageW(box, BM_SETCHECK, BST_INDETERMINATE, 0);
    EXPECT_TRUE(Near(inside(), partial));
    SendMessageW(box, BM_SETCHECK, BST_UNCHECKED, 0);
    EXPECT_TRUE(Near(inside(), clear));
    SendMessageW(box, BM_CLICK, 0, 0); // the native control ticks it and draws at once
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(Near(inside(), checked));
    DestroyWindow(parent);
}

} // namespace
} // namespace vx::win32gui

#pragma once
// The program's pictures: the SVG art rendered at build time into PNG at 100, 150 and 200 % and built
// into the program as resources (cmake/win32-art.cmake), decoded once with WIC and drawn with their
// transparency. The scale drawn is the one for the DPI of the monitor the window is on.
#include "win32gui/dpi.h"
#include "win32gui/windows_api.h"

#include <span>
#include <string>
#include <string_view>

#include <commctrl.h>

namespace vx::win32gui {

inline constexpr int kArtScales[] = {100, 150, 200};

// The scale of the art for `dpi` dots per inch: the smallest one not below it (a picture shrunk a little
// looks better than one stretched), 200 at most.
int ArtScaleForDpi(unsigned dpi);

// One decoded picture: a top-down 32-bit DIB of premultiplied BGRA, as AlphaBlend takes it.
class Picture {
  public:
    Picture(HBITMAP bitmap, SIZE size) : bitmap_(bitmap), size_(size) {}
    ~Picture();
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;
    HBITMAP bitmap() const { return bitmap_; }
    SIZE size() const { return size_; }

  private:
    HBITMAP bitmap_;
    SIZE size_;
};

// The drawing `name` (its SVG file's name without ".svg") at `scale`, decoded on first use and kept for
// the program's life; nullptr when the program holds no such picture or it cannot be decoded.
const Picture* ArtPicture(std::string_view name, int scale);

// Decodes every picture at `scale` now, so that no panel shown later (the scan's, at the click of Scan Now)
// waits for its pictures while the window should be answering.
void DecodeAllArt(int scale);

// Draws the drawing into `at` (the DC's pixels), at the scale for `window`'s DPI, with its transparency
// and `opacity` (255: as drawn); false, drawing nothing, when there is no such picture.
bool DrawArt(HDC dc, HWND window, std::string_view name, RECT at, BYTE opacity = 255);

// An image list of the drawings `names`, each `side` pixels square at 96 DPI, drawn at `dpi` with their
// transparency; the caller owns it.
HIMAGELIST MakeArtImageList(std::span<const std::string> names, int side, unsigned dpi);

} // namespace vx::win32gui

#pragma once
// Where a window stands on the screen: inside the screen's available area (without the desktop's panels),
// dialogs centred on the window that owns them. In pixels of the desktop's coordinates.
namespace vx {

struct ScreenRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// `wanted` moved the least that keeps it inside `available`. A window larger than the area keeps its
// top-right corner in view: the title strip's Close and Minimise buttons stand there.
ScreenRect PlaceInside(ScreenRect wanted, ScreenRect available);

// A window of `width` x `height` centred on `owner`, then placed inside `available`.
ScreenRect CentreOn(ScreenRect owner, int width, int height, ScreenRect available);

} // namespace vx

// Check boxes painted from the art by a subclass of the native control.
#include "win32gui/art_check_box.h"

#include "win32gui/art.h"

#include <commctrl.h>

#include <string>

namespace vx::win32gui {
namespace {

constexpr int kBoxSide = 16;
constexpr int kTextGap = 6;

const char* DrawingOf(LRESULT state) {
    return state == BST_CHECKED         ? "check_box_checked"
           : state == BST_INDETERMINATE ? "check_box_partial"
                                        : "check_box";
}

void Paint(HWND box, HDC dc) {
    RECT all{};
    GetClientRect(box, &all);
    // The window behind the box paints its background and chooses the text colour, as for its labels.
    const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(box), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(box)));
    if (brush && brush != GetStockObject(NULL_BRUSH))
        FillRect(dc, &all, brush);
    const unsigned dpi = WindowDpi(box);
    const int side = Scaled(kBoxSide, dpi);
    const int top = (all.bottom - side) / 2;
    const bool enabled = IsWindowEnabled(box) != FALSE;
    DrawArt(dc, box, DrawingOf(SendMessageW(box, BM_GETCHECK, 0, 0)), {0, top, side, top + side},
            enabled ? 255 : 90);
    const int length = GetWindowTextLengthW(box);
    RECT text = all;
    text.left = side + Scaled(kTextGap, dpi);
    if (length > 0) {
        std::wstring words(static_cast<size_t>(length) + 1, L'\0');
        GetWindowTextW(box, words.data(), length + 1);
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(box, WM_GETFONT, 0, 0)));
        DrawTextW(dc, words.c_str(), length, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE);
        if (GetFocus() == box) {
            RECT focus = text;
            DrawTextW(dc, words.c_str(), length, &focus, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_CALCRECT);
            focus.top = text.top + (text.bottom - text.top - (focus.bottom - focus.top)) / 2;
            focus.bottom = focus.top + (focus.bottom - focus.top);
            InflateRect(&focus, 2, 1);
            DrawFocusRect(dc, &focus);
        }
        SelectObject(dc, old);
    } else if (GetFocus() == box) {
        RECT focus{0, top, side, top + side};
        InflateRect(&focus, 2, 2);
        DrawFocusRect(dc, &focus);
    }
}

// The messages after which the native control draws itself at once, not through WM_PAINT.
bool DrawsAtOnce(UINT message) {
    switch (message) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_CLICK:
    case WM_ENABLE:
    case WM_SETTEXT:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP:
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_CHAR:
    case WM_UPDATEUISTATE:
    case WM_MOUSEMOVE:
    case WM_MOUSELEAVE:
        return true;
    default:
        return false;
    }
}

LRESULT CALLBACK Subclass(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(box, &paint);
        Paint(box, dc);
        EndPaint(box, &paint);
        return 0;
    }
    case WM_PRINTCLIENT:
        Paint(box, reinterpret_cast<HDC>(wParam));
        return 0;
    case WM_ERASEBKGND:
        return TRUE;
    case WM_NCDESTROY:
        RemoveWindowSubclass(box, Subclass, 1);
        return DefSubclassProc(box, message, wParam, lParam);
    default: {
        const LRESULT result = DefSubclassProc(box, message, wParam, lParam);
        if (DrawsAtOnce(message)) // what it drew gives way to the art at once
            RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    }
}

} // namespace

void DrawCheckBoxFromArt(HWND checkBox) {
    SetWindowSubclass(checkBox, Subclass, 1, 0);
    InvalidateRect(checkBox, nullptr, TRUE);
}

} // namespace vx::win32gui

// The lists' colours, set on the control and per row while it draws.
#include "win32gui/list_colours.h"

#include "win32gui/controls.h"

namespace vx::win32gui {
namespace {

void Fill(HDC dc, RECT box, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

// A header item: its face, the line below it, its bold text, and the order a sorted list keeps as a
// small triangle (the fonts lack the arrows).
void DrawHeaderItem(HWND header, HDC dc, int index, RECT box) {
    const unsigned dpi = WindowDpi(header);
    Fill(dc, box, kListHeader);
    Fill(dc, {box.left, box.bottom - 1, box.right, box.bottom}, kListLine);
    wchar_t text[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_FORMAT;
    item.pszText = text;
    item.cchTextMax = 128;
    Header_GetItem(header, index, &item);
    const int padding = Scaled(6, dpi);
    RECT words{box.left + padding, box.top, box.right - padding, box.bottom};
    if (item.fmt & (HDF_SORTUP | HDF_SORTDOWN)) {
        const int half = Scaled(4, dpi);
        const int x = words.right - half, y = (box.top + box.bottom) / 2;
        const int tip = item.fmt & HDF_SORTUP ? -half / 2 : half / 2;
        const POINT triangle[] = {{x - half, y - tip}, {x + half, y - tip}, {x, y + tip}};
        SetDCBrushColor(dc, kListText);
        SetDCPenColor(dc, kListText);
        HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
        HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
        Polygon(dc, triangle, 3);
        SelectObject(dc, oldPen);
        SelectObject(dc, oldBrush);
        words.right -= 3 * half;
    }
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kListText);
    HGDIOBJ old = SelectObject(dc, FontAt({0, true}, dpi));
    DrawTextW(dc, text, -1, &words,
              (item.fmt & HDF_RIGHT ? DT_RIGHT : DT_LEFT) | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX |
                  DT_END_ELLIPSIS);
    SelectObject(dc, old);
}

// The header's NM_CUSTOMDRAW: every item drawn here, and the stretch right of the last one.
LRESULT DrawHeader(HWND header, NMCUSTOMDRAW& draw) {
    switch (draw.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW | CDRF_NOTIFYPOSTPAINT;
    case CDDS_ITEMPREPAINT:
        DrawHeaderItem(header, draw.hdc, static_cast<int>(draw.dwItemSpec), draw.rc);
        return CDRF_SKIPDEFAULT;
    case CDDS_POSTPAINT: {
        RECT rest{};
        GetClientRect(header, &rest);
        RECT last{};
        if (const int count = Header_GetItemCount(header);
            count > 0 && Header_GetItemRect(header, count - 1, &last))
            rest.left = last.right;
        if (rest.left < rest.right) {
            Fill(draw.hdc, rest, kListHeader);
            Fill(draw.hdc, {rest.left, rest.bottom - 1, rest.right, rest.bottom}, kListLine);
        }
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

LRESULT CALLBACK HeaderColours(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_NOTIFY) {
        auto& header = *reinterpret_cast<NMHDR*>(lParam);
        if (header.code == NM_CUSTOMDRAW && header.hwndFrom == ListView_GetHeader(list))
            return DrawHeader(header.hwndFrom, reinterpret_cast<NMCUSTOMDRAW&>(header));
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(list, HeaderColours, 1);
    }
    return DefSubclassProc(list, message, wParam, lParam);
}

} // namespace

void ColourList(HWND list) {
    ListView_SetBkColor(list, kListBackground);
    ListView_SetTextBkColor(list, kListBackground);
    ListView_SetTextColor(list, kListText);
    SetWindowSubclass(list, HeaderColours, 1, 0);
}

bool DrawListRow(HWND list, const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list || header.code != NM_CUSTOMDRAW)
        return false;
    auto& draw = const_cast<NMLVCUSTOMDRAW&>(reinterpret_cast<const NMLVCUSTOMDRAW&>(header));
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        result = CDRF_NOTIFYITEMDRAW;
        return true;
    case CDDS_ITEMPREPAINT: {
        const auto row = static_cast<int>(draw.nmcd.dwItemSpec);
        // The system's selection colours would ignore ours: the row is drawn as plain in the accent.
        const bool selected = ListView_GetItemState(list, row, LVIS_SELECTED) != 0;
        if (selected) {
            draw.nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED | CDIS_FOCUS);
            draw.clrTextBk = kListSelection;
            draw.clrText = kListSelectionText;
        } else {
            draw.clrTextBk = row % 2 ? kListAlternate : kListBackground;
            draw.clrText = kListText;
        }
        result = CDRF_NEWFONT;
        return true;
    }
    default:
        result = CDRF_DODEFAULT;
        return true;
    }
}

} // namespace vx::win32gui

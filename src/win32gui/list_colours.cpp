// The lists' colours, set on the control and per row while it draws.
#include "win32gui/list_colours.h"

namespace vx::win32gui {

void ColourList(HWND list) {
    ListView_SetBkColor(list, kListBackground);
    ListView_SetTextBkColor(list, kListBackground);
    ListView_SetTextColor(list, kListText);
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

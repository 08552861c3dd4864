// Owner-data list views over the model's lists.
#include "win32gui/list_view.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"

#include <commctrl.h>

namespace vx::win32gui {

ListViewControl::ListViewControl(HWND parent, const ListView& list, std::string_view header,
                                 bool withCheckBoxes, RECT at, int id)
    : list_(AddControl(
          parent, WC_LISTVIEWW, "",
          LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, at, id)),
      model_(list), withCheckBoxes_(withCheckBoxes) {
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    if (withCheckBoxes)
        extended |= LVS_EX_CHECKBOXES;
    ListView_SetExtendedListViewStyle(list_, extended);
    if (withCheckBoxes) // owner data: the control asks for the marks too
        ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
    std::wstring title = win32::Wide(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = title.data();
    column.cx = at.right - at.left - GetSystemMetrics(SM_CXVSCROLL) - 4;
    ListView_InsertColumn(list_, 0, &column);
    Sync();
}

void ListViewControl::Sync() {
    const uint64_t now = model_.rows.Revision();
    if (now == seen_)
        return;
    seen_ = now;
    ListView_SetItemCountEx(list_, static_cast<int>(model_.rows.size()), LVSICF_NOSCROLL);
    InvalidateRect(list_, nullptr, FALSE);
    // The header shows the order the model keeps once a header click sorted it.
    if (model_.sorted || sortShown_) {
        sortShown_ = model_.sorted;
        HWND header = ListView_GetHeader(list_);
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        Header_GetItem(header, 0, &item);
        item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
        if (model_.sorted)
            item.fmt |= model_.descending ? HDF_SORTDOWN : HDF_SORTUP;
        Header_SetItem(header, 0, &item);
    }
}

bool ListViewControl::Notify(const NMHDR& header, LRESULT& result) {
    if (header.hwndFrom != list_ || header.code != LVN_GETDISPINFOW)
        return false;
    LVITEMW& item = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header)).item;
    if (item.iItem < 0 || static_cast<size_t>(item.iItem) >= model_.rows.size())
        return true;
    const ListRow& row = model_.rows[static_cast<size_t>(item.iItem)];
    if (item.mask & LVIF_TEXT) {
        text_ = win32::Wide(row.text);
        lstrcpynW(item.pszText, text_.c_str(), item.cchTextMax);
    }
    if (withCheckBoxes_ && (item.mask & LVIF_STATE)) {
        item.stateMask |= LVIS_STATEIMAGEMASK;
        item.state = (item.state & ~LVIS_STATEIMAGEMASK) | INDEXTOSTATEIMAGEMASK(row.checked ? 2 : 1);
    }
    result = 0;
    return true;
}

int ListViewControl::RowOf(const NMHDR& header) const {
    if (header.hwndFrom != list_)
        return -1;
    switch (header.code) {
    case NM_CLICK:
    case LVN_ITEMACTIVATE:
        return reinterpret_cast<const NMITEMACTIVATE&>(header).iItem;
    case LVN_KEYDOWN:
        if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey == VK_SPACE)
            return ListView_GetNextItem(list_, -1, LVNI_FOCUSED);
        return -1;
    default:
        return -1;
    }
}

} // namespace vx::win32gui

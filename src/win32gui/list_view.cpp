// Owner-data list views over the model's lists.
#include "win32gui/list_view.h"

#include "platform/win32/wide_text.h"
#include "win32gui/art.h"
#include "win32gui/controls.h"
#include "win32gui/list_colours.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <numeric>
#include <vector>

namespace vx::win32gui {
namespace {

constexpr int kIconSide = 16;
constexpr int kSectionIcons = 12; // section_01 to section_12, by the row's icon number

// Hands `list` an image list of its kind, letting go of the one it held.
void SetImages(HWND list, int kind, HIMAGELIST images) {
    if (HIMAGELIST old = ListView_SetImageList(list, images, kind))
        ImageList_Destroy(old);
}

} // namespace

void DrawListMarksFromArt(HWND list, unsigned dpi) {
    const std::array<std::string, 2> marks{"check_box", "check_box_checked"};
    SetImages(list, LVSIL_STATE, MakeArtImageList(marks, kIconSide, dpi));
    InvalidateRect(list, nullptr, TRUE);
}

ListViewControl::ListViewControl(HWND parent, const ListView& list, std::string_view header,
                                 bool withCheckBoxes, int id)
    : list_(AddControl(
          parent, WC_LISTVIEWW, "",
          LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP, {}, id)),
      model_(list), withCheckBoxes_(withCheckBoxes) {
    // A row wider than the list shows its whole text as the pointer rests on it.
    DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_INFOTIP;
    if (withCheckBoxes)
        extended |= LVS_EX_CHECKBOXES;
    ListView_SetExtendedListViewStyle(list_, extended);
    if (withCheckBoxes) // owner data: the control asks for the marks too
        ListView_SetCallbackMask(list_, LVIS_STATEIMAGEMASK);
    ColourList(list_);
    std::wstring title = win32::Wide(header);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT;
    column.pszText = title.data();
    ListView_InsertColumn(list_, 0, &column);
    Sync();
}

ListViewControl::~ListViewControl() {
    // The control lets go of the lists it holds when it goes; these are ours.
    SetImages(list_, LVSIL_SMALL, nullptr);
    SetImages(list_, LVSIL_STATE, nullptr);
}

void ListViewControl::Fit(unsigned dpi) {
    FitColumn();
    if (!withCheckBoxes_)
        return;
    std::array<std::string, kSectionIcons> icons;
    for (int i = 0; i < kSectionIcons; ++i) {
        char name[16];
        std::snprintf(name, sizeof(name), "section_%02d", i + 1);
        icons[static_cast<size_t>(i)] = name;
    }
    SetImages(list_, LVSIL_SMALL, MakeArtImageList(icons, kIconSide, dpi));
    DrawListMarksFromArt(list_, dpi);
}

void ListViewControl::FitColumn() const {
    // Across the rows as wide as the list shows them (beside its scroll bar when it has one), so that
    // their colours reach its edge; wider where a row's text needs it, which brings the horizontal scroll
    // bar, as no text is cut.
    RECT inside{};
    GetClientRect(list_, &inside);
    const int width = std::max<int>(inside.right, widestRow_);
    if (ListView_GetColumnWidth(list_, 0) != width)
        ListView_SetColumnWidth(list_, 0, width);
}

int ListViewControl::WidestRowWidth() const {
    if (withCheckBoxes_ || model_.rows.empty())
        return 0; // the check-list's names fit its width
    // The rows with the most characters are the widest in all but odd cases; measuring those few keeps a
    // section of tens of thousands of findings quick to show.
    constexpr size_t kMeasured = 16;
    std::vector<size_t> longest(model_.rows.size());
    std::iota(longest.begin(), longest.end(), size_t{0});
    const size_t measured = std::min(kMeasured, longest.size());
    std::nth_element(
        longest.begin(), longest.begin() + static_cast<std::ptrdiff_t>(measured - 1), longest.end(),
        [&](size_t a, size_t b) { return model_.rows[a].text.size() > model_.rows[b].text.size(); });
    longest.resize(measured);
    int widest = 0;
    for (size_t i : longest) {
        const std::wstring text = win32::Wide(model_.rows[i].text);
        widest = std::max(widest, ListView_GetStringWidth(list_, text.c_str()));
    }
    // The item's own margins on both sides of its text.
    return widest + 2 * GetSystemMetrics(SM_CXEDGE) + 12;
}

void ListViewControl::Sync() {
    const uint64_t now = model_.rows.Revision();
    if (now == seen_)
        return;
    seen_ = now;
    ListView_SetItemCountEx(list_, static_cast<int>(model_.rows.size()), LVSICF_NOSCROLL);
    widestRow_ = WidestRowWidth();
    FitColumn(); // the rows may have brought the scroll bar, or taken it away
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
    if (DrawListRow(list_, header, result))
        return true;
    if (header.hwndFrom == list_ && header.code == LVN_GETINFOTIPW) {
        auto& tip = const_cast<NMLVGETINFOTIPW&>(reinterpret_cast<const NMLVGETINFOTIPW&>(header));
        if (tip.iItem >= 0 && static_cast<size_t>(tip.iItem) < model_.rows.size() && tip.cchTextMax > 0) {
            text_ = win32::Wide(model_.rows[static_cast<size_t>(tip.iItem)].text);
            lstrcpynW(tip.pszText, text_.c_str(), tip.cchTextMax);
        }
        result = 0;
        return true;
    }
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
    if (item.mask & LVIF_IMAGE)
        item.iImage =
            withCheckBoxes_ && row.icon >= 1 && row.icon <= kSectionIcons ? row.icon - 1 : I_IMAGENONE;
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

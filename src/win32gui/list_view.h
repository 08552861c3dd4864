#pragma once
// A results or check-list list on screen: a SysListView32 with owner data over one of the model's
// ListViews. The rows stay in the model (sorted there: the control's own sorting is wrong under Wine);
// the control asks for the text of the rows it shows, and for their section icons and marks, drawn from
// the art at the window's DPI.
#include "ui/main_window_model.h"

#include "win32gui/windows_api.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vx::win32gui {

// The marks of a list with check boxes drawn from the art at `dpi` (state 1 clear, 2 ticked).
void DrawListMarksFromArt(HWND list, unsigned dpi);

class ListViewControl {
  public:
    // `withCheckBoxes`: the check-list's marks and section icons; the results lists show text alone.
    ListViewControl(HWND parent, const ListView& list, std::string_view header, bool withCheckBoxes, int id);
    ~ListViewControl();
    ListViewControl(const ListViewControl&) = delete;
    ListViewControl& operator=(const ListViewControl&) = delete;

    HWND handle() const { return list_; }
    // After the list was placed, or the window's DPI changed: the column across the list's width, the
    // icons and marks at `dpi`.
    void Fit(unsigned dpi);
    // Follows the model's rows, their count and their marks, when they changed.
    void Sync();
    // WM_NOTIFY from the control: answers its questions for text and draws its rows in the windows'
    // colours; returns true when handled.
    bool Notify(const NMHDR& header, LRESULT& result);
    // The row a click or a key chose (NM_CLICK, LVN_ITEMACTIVATE, Space), or -1.
    int RowOf(const NMHDR& header) const;

  private:
    void FitColumn() const;
    // The width the longest rows need (the results lists only), measured when the rows change.
    int WidestRowWidth() const;

    HWND list_;
    const ListView& model_;
    bool withCheckBoxes_;
    uint64_t seen_ = ~uint64_t{0};
    bool sortShown_ = false;
    int widestRow_ = 0;
    std::wstring text_; // the text handed to the control, alive until its next question
};

} // namespace vx::win32gui

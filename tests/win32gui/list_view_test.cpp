// The results lists on screen: no row's text is cut (the column as wide as the widest row, the list
// scrolling sideways), and a row shows its whole text as a tip.
#include "win32gui/list_view.h"

#include "platform/win32/wide_text.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace vx::win32gui {
namespace {

class ListViewControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent_ =
            CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_TRUE(parent_);
    }
    void TearDown() override { DestroyWindow(parent_); }

    // A results list 200 pixels wide over `model`.
    std::unique_ptr<ListViewControl> Shown(const ListView& model) {
        auto control = std::make_unique<ListViewControl>(parent_, model, "Details", false, 1);
        MoveWindow(control->handle(), 0, 0, 200, 150, FALSE);
        control->Fit(USER_DEFAULT_SCREEN_DPI);
        return control;
    }
    int ClientWidth(HWND list) const {
        RECT inside{};
        GetClientRect(list, &inside);
        return inside.right;
    }

    HWND parent_ = nullptr;
};

TEST_F(ListViewControlTest, TheColumnIsAsWideAsTheWidestRowOrTheList) {
    const std::string longRow = "This file could not be found on your hard drive:C:\\Program Files\\A Long "
                                "Vendor Name\\A Long Product Name\\bin\\plugins\\component.dll";
    ListView shortRows;
    shortRows.Add("short");
    shortRows.Add("rows");
    ListView withALongRow;
    withALongRow.Add("short");
    withALongRow.Add(longRow);
    withALongRow.Add("rows");

    auto fits = Shown(shortRows);
    EXPECT_EQ(ListView_GetColumnWidth(fits->handle(), 0), ClientWidth(fits->handle()));

    auto scrolls = Shown(withALongRow);
    HWND list = scrolls->handle();
    const int needed = ListView_GetStringWidth(list, win32::Wide(longRow).c_str());
    EXPECT_GT(ListView_GetColumnWidth(list, 0), needed);
    EXPECT_GT(ListView_GetColumnWidth(list, 0), ClientWidth(list));
}

TEST_F(ListViewControlTest, ARowsTipIsItsWholeText) {
    ListView model;
    model.Add("first");
    model.Add("This file could not be found on your hard drive:C:\\Programme\\Gr\xC3\xB6\xC3\x9F"
              "e\\fehlt.exe");
    auto control = Shown(model);
    wchar_t buffer[256] = L"cut off\x2026";
    NMLVGETINFOTIPW tip{};
    tip.hdr.hwndFrom = control->handle();
    tip.hdr.code = LVN_GETINFOTIPW;
    tip.pszText = buffer;
    tip.cchTextMax = static_cast<int>(std::size(buffer));
    tip.iItem = 1;
    LRESULT result = -1;
    ASSERT_TRUE(control->Notify(tip.hdr, result));
    EXPECT_EQ(std::wstring(buffer), win32::Wide(model.rows[1].text));
}

} // namespace
} // namespace vx::win32gui

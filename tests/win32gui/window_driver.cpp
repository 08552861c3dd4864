// The test side of the windows: message pumping, box answering, list reading.
#include "window_driver.h"

#include "platform/win32/wide_text.h"
#include "win32gui/message_box_window.h"
#include "win32gui/modal_loop.h"

#include <commctrl.h>

#include <cstdlib>

namespace vx::win32gui::testing {
namespace {

std::vector<WindowAnswerer*> answerers;

struct Search {
    const std::wstring* className;
    HWND found = nullptr;
};

BOOL CALLBACK FindShown(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && *search.className == name) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

bool PumpUntil(const std::function<bool()>& reached, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    MSG message{};
    while (!reached()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        Deliver(message, nullptr);
    }
    return true;
}

WindowAnswerer::WindowAnswerer(const wchar_t* className, std::function<void(HWND)> answer)
    : className_(className), answer_(std::move(answer)) {
    answerers.push_back(this);
    timer_ = SetTimer(nullptr, 0, 30, Look);
}

WindowAnswerer::~WindowAnswerer() {
    KillTimer(nullptr, timer_);
    std::erase(answerers, this);
}

void CALLBACK WindowAnswerer::Look(HWND, UINT, UINT_PTR timer, DWORD) {
    for (WindowAnswerer* answerer : answerers) {
        if (answerer->timer_ != timer)
            continue;
        Search search{&answerer->className_};
        EnumThreadWindows(GetCurrentThreadId(), FindShown, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            return;
        if (answerer->className_ == kMessageBoxClass) {
            wchar_t text[1024] = {};
            GetWindowTextW(GetDlgItem(search.found, 10), text, 1024);
            answerer->seen_.push_back(win32::Narrow(text));
        }
        answerer->answer_(search.found);
        return;
    }
}

BoxAnswerer::BoxAnswerer(std::function<void(HWND)> answer)
    : WindowAnswerer(kMessageBoxClass, std::move(answer)) {}

void ClickButton(HWND box, int id) {
    // Over the button first, as the pointer comes, then its click.
    HWND button = GetDlgItem(box, id);
    SendMessageW(button, WM_MOUSEMOVE, 0, MAKELPARAM(4, 4));
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PressKey(HWND box, WPARAM key) {
    PostMessageW(GetFocus() ? GetFocus() : box, WM_KEYDOWN, key, 0);
}

std::vector<std::string> ListTexts(HWND list) {
    std::vector<std::string> rows;
    const int count = ListView_GetItemCount(list);
    for (int i = 0; i < count; ++i) {
        wchar_t text[2048] = {};
        ListView_GetItemText(list, i, 0, text, 2048);
        rows.push_back(win32::Narrow(text));
    }
    return rows;
}

void ClickRow(HWND list, int row) {
    NMITEMACTIVATE click{};
    click.hdr.hwndFrom = list;
    click.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
    click.hdr.code = NM_CLICK;
    click.iItem = row;
    ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SendMessageW(GetParent(list), WM_NOTIFY, click.hdr.idFrom, reinterpret_cast<LPARAM>(&click));
}

::testing::AssertionResult ColourNear(COLORREF actual, COLORREF expected, int tolerance) {
    const auto off = [tolerance](int a, int b) { return std::abs(a - b) > tolerance; };
    if (off(GetRValue(actual), GetRValue(expected)) || off(GetGValue(actual), GetGValue(expected)) ||
        off(GetBValue(actual), GetBValue(expected)))
        return ::testing::AssertionFailure()
               << "got RGB(" << int(GetRValue(actual)) << ", " << int(GetGValue(actual)) << ", "
               << int(GetBValue(actual)) << "), expected RGB(" << int(GetRValue(expected)) << ", "
               << int(GetGValue(expected)) << ", " << int(GetBValue(expected)) << ")";
    return ::testing::AssertionSuccess();
}

} // namespace vx::win32gui::testing

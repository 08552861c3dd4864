// The test side of the windows: message pumping, box answering, list reading.
#include "window_driver.h"

#include "platform/win32/wide_text.h"
#include "win32gui/message_box_window.h"
#include "win32gui/modal_loop.h"

#include <commctrl.h>

namespace vx::win32gui::testing {
namespace {

std::function<void(HWND)> answer;
std::vector<std::string> texts;
UINT_PTR timer = 0;

BOOL CALLBACK AnswerOne(HWND window, LPARAM) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    if (IsWindowVisible(window) && std::wstring(name) == kMessageBoxClass) {
        wchar_t text[1024] = {};
        GetWindowTextW(GetDlgItem(window, 10), text, 1024);
        texts.push_back(win32::Narrow(text));
        answer(window);
        return FALSE;
    }
    return TRUE;
}

void CALLBACK LookForBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), AnswerOne, 0);
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

BoxAnswerer::BoxAnswerer(std::function<void(HWND)> how) {
    answer = std::move(how);
    texts.clear();
    timer = SetTimer(nullptr, 0, 30, LookForBoxes);
}

BoxAnswerer::~BoxAnswerer() {
    KillTimer(nullptr, timer);
    answer = nullptr;
}

const std::vector<std::string>& BoxAnswerer::seen() const {
    return texts;
}

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

} // namespace vx::win32gui::testing

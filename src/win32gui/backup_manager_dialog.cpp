// frmBackUpRestore on Windows: its list, its four buttons, and the rules' list followed on screen.
#include "win32gui/backup_manager_dialog.h"

#include "platform/win32/wide_text.h"
#include "win32gui/controls.h"
#include "win32gui/dialog_frame.h"
#include "win32gui/list_colours.h"
#include "win32gui/list_view.h"
#include "win32gui/modal_loop.h"
#include "win32gui/window_frame.h"

#include <commctrl.h>

namespace vx::win32gui {
namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

// The list's columns, their widths at 96 DPI.
const struct {
    const wchar_t* title;
    int width;
    int format;
} kColumns[] = {{L"Name", 250, LVCFMT_LEFT},
                {L"Date", 90, LVCFMT_LEFT},
                {L"Time", 80, LVCFMT_LEFT},
                {L"Size ( Bytes )", 110, LVCFMT_RIGHT}};

size_t Index(BackupButton b) {
    return static_cast<size_t>(b);
}

} // namespace

BackupManagerDialog::BackupManagerDialog(HWND owner, App& app) : rules_(app), owner_(owner) {
    RegisterWindowClass(kBackupManagerClass, Route<BackupManagerDialog>);
    window_ = MakeDialogWindow(kBackupManagerClass, "Backups", owner, kWidth, kHeight, this);
    layout_.Apply(WindowDpi(window_));
    list_ = layout_.Add(window_, WC_LISTVIEWW, "", LVS_REPORT | LVS_SHOWSELALWAYS | WS_BORDER | WS_TABSTOP,
                        {20, kStripHeight + 16, kWidth - 20, kHeight - 74}, kBackupListId);
    ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
    ColourList(list_);
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_FMT;
        column.pszText = const_cast<wchar_t*>(kColumns[i].title);
        column.fmt = kColumns[i].format;
        ListView_InsertColumn(list_, i, &column);
    }
    FitList();
    AddButton(BackupButton::Close, "X", {kWidth - 38, 6, kWidth - 10, 30});
    const int top = kHeight - 58;
    AddButton(BackupButton::Restore, "Restore", {20, top, 160, top + 40});
    AddButton(BackupButton::Delete, "Delete", {172, top, 312, top + 40});
    AddButton(BackupButton::OK, "OK", {kWidth - 160, top, kWidth - 20, top + 40});
    rules_.Form_Load();
    Render();
}

BackupManagerDialog::~BackupManagerDialog() {
    for (auto& button : buttons_)
        button.reset();
    DestroyWindow(window_);
}

void BackupManagerDialog::AddButton(BackupButton button, std::string_view text, RECT at) {
    buttons_[Index(button)] = std::make_unique<ImageButtonControl>(
        window_, text, kBackupButtonId + static_cast<int>(button),
        [this, button] { Forward([this, button] { rules_.MouseMove(button); }); });
    layout_.Place(buttons_[Index(button)]->handle(), at);
}

void BackupManagerDialog::FitList() {
    for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i)
        ListView_SetColumnWidth(list_, i, layout_.Px(kColumns[i].width));
    DrawListMarksFromArt(list_, layout_.dpi());
}

void BackupManagerDialog::Run() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(list_);
    RunModal(window_, owner_, [this] { return closed_; });
    ShowWindow(window_, SW_HIDE);
}

void BackupManagerDialog::Forward(const std::function<void()>& event) {
    event();
    Render();
}

void BackupManagerDialog::Press(BackupButton button) {
    // A click or Enter/Space reaches the button as the pointer does: over it, then its click.
    Forward([this, button] {
        rules_.MouseMove(button);
        if (rules_.Click(button))
            closed_ = true;
    });
}

void BackupManagerDialog::FillList() {
    filling_ = true;
    ListView_DeleteAllItems(list_);
    const auto& rows = rules_.manager().lvwBackUp;
    for (size_t i = 0; i < rows.size(); ++i) {
        const BackupRow& row = rows[i];
        std::wstring name = win32::Wide(row.name);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = name.data();
        const int at = ListView_InsertItem(list_, &item);
        const std::string* cells[] = {&row.date, &row.time, &row.size};
        for (int column = 0; column < 3; ++column) {
            std::wstring text = win32::Wide(*cells[column]);
            ListView_SetItemText(list_, at, column + 1, text.data());
        }
        ListView_SetCheckState(list_, at, row.ticked);
    }
    filling_ = false;
    shownList_ = rules_.listRevision();
}

void BackupManagerDialog::Render() {
    if (shownList_ != rules_.listRevision())
        FillList();
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const ImageButton& state = rules_.buttons()[static_cast<BackupButton>(i)];
        buttons_[i]->SetHighlighted(state.highlighted && state.enabled);
        buttons_[i]->SetEnabled(state.enabled);
    }
}

LRESULT BackupManagerDialog::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDCANCEL && lParam == 0) // Escape: Close
            Press(BackupButton::Close);
        else if (id >= kBackupButtonId && id < kBackupButtonId + static_cast<int>(BackupButton::Count) &&
                 HIWORD(wParam) == BN_CLICKED)
            Press(static_cast<BackupButton>(id - kBackupButtonId));
        return 0;
    }
    case WM_NOTIFY: {
        const auto& header = *reinterpret_cast<const NMHDR*>(lParam);
        if (LRESULT result = 0; DrawListRow(list_, header, result))
            return result;
        if (header.hwndFrom == list_ && header.code == LVN_ITEMCHANGED && !filling_) {
            const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
            if ((change.uChanged & LVIF_STATE) &&
                ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
                rules_.SetTicked(static_cast<size_t>(change.iItem),
                                 ListView_GetCheckState(list_, change.iItem) != FALSE);
        }
        return 0;
    }
    case WM_CLOSE:
        Press(BackupButton::Close);
        return 0;
    case WM_MOUSEMOVE:
        Forward([this] { rules_.Picture1_MouseMove(); });
        return 0;
    case WM_NCHITTEST:
        return HitTestFrame(window, wParam, lParam);
    case WM_DPICHANGED:
        FollowDpiChange(window, layout_, wParam, lParam);
        if (list_) // centring the dialog while it is built may move it onto another monitor
            FitList();
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const int index = static_cast<int>(item.CtlID) - kBackupButtonId;
        if (index >= 0 && index < static_cast<int>(BackupButton::Count))
            buttons_[static_cast<size_t>(index)]->Draw(item);
        return TRUE;
    }
    case WM_CTLCOLORSTATIC:
        return DialogControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
        PaintDialogFrame(window, reinterpret_cast<HDC>(wParam), "Backups");
        return TRUE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace vx::win32gui

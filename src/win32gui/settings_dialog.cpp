// frmSetings on Windows: building its controls, rendering its rules, forwarding events.
#include "win32gui/settings_dialog.h"

#include "platform/win32/wide_text.h"
#include "win32gui/art_check_box.h"
#include "win32gui/controls.h"
#include "win32gui/dialog_frame.h"
#include "win32gui/file_pickers.h"
#include "win32gui/modal_loop.h"
#include "win32gui/window_frame.h"

#include <commctrl.h>

namespace vx::win32gui {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 340;

size_t Index(SettingsOption o) {
    return static_cast<size_t>(o);
}
size_t Index(SettingsButton b) {
    return static_cast<size_t>(b);
}

} // namespace

SettingsDialog::SettingsDialog(HWND owner, App& app, StartupEntry& startup)
    : rules_(app, *this, startup), owner_(owner) {
    pickFolder = [](HWND parent, const std::string& start) {
        return PickFolder(parent, "Choose directory...", start);
    };
    pickWaveFile = [](HWND parent, const std::string& initial) { return PickWaveFile(parent, initial); };
    RegisterWindowClass(kSettingsDialogClass, Route<SettingsDialog>);
    window_ = MakeDialogWindow(kSettingsDialogClass, "Settings", owner, kWidth, kHeight, this);
    layout_.Apply(WindowDpi(window_));
    BuildOption(SettingsOption::PlaySound, 52, "Play sound whenever a problem is detected.");
    BuildPath(SettingsOption::PlaySound, 82, "Sound File :", SettingsButton::WaveFileBrowse);
    BuildOption(SettingsOption::MakeLogFile, 122, "Make report after every scan.");
    BuildPath(SettingsOption::MakeLogFile, 152, "Report Log :", SettingsButton::Browse);
    BuildOption(SettingsOption::MakeBackUp, 192, "Make Backup Before Repairing.");
    BuildPath(SettingsOption::MakeBackUp, 222, "BackUp's :", SettingsButton::BackUpBrowse);
    BuildOption(SettingsOption::RunAtStartup, 262, "Run Vantrelix on startup.");
    AddButton(SettingsButton::Close, "X", {kWidth - 38, 6, kWidth - 10, 30});
    AddButton(SettingsButton::OK, "OK", {kWidth - 160, kHeight - 52, kWidth - 20, kHeight - 12}, {11, true});
    rules_.Form_Load();
    Render();
}

SettingsDialog::~SettingsDialog() {
    for (auto& button : buttons_)
        button.reset();
    for (HWND label : labels_)
        RemoveWindowSubclass(label, LabelHover, 1);
    DestroyWindow(window_);
}

void SettingsDialog::BuildOption(SettingsOption option, int top, std::string_view label) {
    const int i = static_cast<int>(option);
    // The rules decide the box's state: it is not an automatic one.
    checks_[Index(option)] = layout_.Add(window_, L"BUTTON", "", BS_CHECKBOX | WS_TABSTOP,
                                         {24, top + 2, 44, top + 22}, kSettingsCheckId + i);
    DrawCheckBoxFromArt(checks_[Index(option)]);
    HWND text = layout_.Add(window_, L"STATIC", label, SS_LEFT | SS_NOPREFIX | SS_NOTIFY | SS_CENTERIMAGE,
                            {48, top, kWidth - 24, top + 24}, kSettingsLabelId + i);
    SetWindowSubclass(text, LabelHover, 1, reinterpret_cast<DWORD_PTR>(this));
    labels_[Index(option)] = text;
}

void SettingsDialog::BuildPath(SettingsOption option, int top, std::string_view caption,
                               SettingsButton browse) {
    layout_.Add(window_, L"STATIC", caption, SS_LEFT | SS_NOPREFIX | SS_CENTERIMAGE, {48, top, 138, top + 26},
                0);
    texts_[Index(option)] =
        layout_.Add(window_, L"EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP,
                    {140, top, kWidth - 64, top + 26}, kSettingsTextId + static_cast<int>(option));
    AddButton(browse, "...", {kWidth - 56, top + 1, kWidth - 24, top + 25});
}

void SettingsDialog::AddButton(SettingsButton button, std::string_view text, RECT at, FontKind font) {
    buttons_[Index(button)] = std::make_unique<ImageButtonControl>(
        window_, text, kSettingsButtonId + static_cast<int>(button),
        [this, button] { Forward([this, button] { rules_.MouseMove(button); }); });
    layout_.Place(buttons_[Index(button)]->handle(), at, font);
}

void SettingsDialog::Show() {
    ShowWindow(window_, SW_SHOW);
    SetForegroundWindow(window_);
    SetFocus(buttons_[Index(SettingsButton::OK)]->handle());
}

void SettingsDialog::Run() {
    Show();
    RunModal(window_, owner_, [this] { return closed_; });
    ShowWindow(window_, SW_HIDE);
}

std::string SettingsDialog::BrowseForFolder(const std::string& startFolder) {
    return pickFolder ? pickFolder(window_, startFolder) : std::string();
}

std::string SettingsDialog::ChooseWaveFile(const std::string& initialFolder) {
    return pickWaveFile ? pickWaveFile(window_, initialFolder) : std::string();
}

void SettingsDialog::Forward(const std::function<void()>& event) {
    event();
    Render();
}

void SettingsDialog::Press(SettingsButton button) {
    // A click or Enter/Space reaches the button as the pointer does: over it, then its click.
    Forward([this, button] {
        rules_.MouseMove(button);
        rules_.Click(button);
    });
}

void SettingsDialog::Command(int id, int code) {
    if (id == IDCANCEL) { // Escape: Close
        Press(SettingsButton::Close);
        return;
    }
    if (id >= kSettingsButtonId && id < kSettingsButtonId + static_cast<int>(SettingsButton::Count)) {
        if (code == BN_CLICKED)
            Press(static_cast<SettingsButton>(id - kSettingsButtonId));
        return;
    }
    if (id >= kSettingsCheckId && id < kSettingsCheckId + 4 && code == BN_CLICKED) {
        const auto option = static_cast<SettingsOption>(id - kSettingsCheckId);
        Forward([this, option] { rules_.SetCheck(option, rules_.option(option).check == 1 ? 0 : 1); });
        return;
    }
    if (id >= kSettingsLabelId && id < kSettingsLabelId + 4 && code == STN_CLICKED) {
        const auto option = static_cast<SettingsOption>(id - kSettingsLabelId);
        Forward([this, option] { rules_.Label_Click(option); });
        return;
    }
    if (id >= kSettingsTextId && id < kSettingsTextId + 3 && code == EN_CHANGE && !rendering_) {
        const auto option = static_cast<SettingsOption>(id - kSettingsTextId);
        rules_.SetText(option, GetText(texts_[Index(option)]));
    }
}

LRESULT CALLBACK SettingsDialog::LabelHover(HWND label, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR data) {
    if (message == WM_MOUSEMOVE) {
        auto* self = reinterpret_cast<SettingsDialog*>(data);
        const auto option = static_cast<SettingsOption>(GetDlgCtrlID(label) - kSettingsLabelId);
        self->Forward([self, option] { self->rules_.LabelMouseMove(option); });
    }
    return DefSubclassProc(label, message, wParam, lParam);
}

void SettingsDialog::Render() {
    rendering_ = true;
    for (size_t i = 0; i < checks_.size(); ++i) {
        const OptionControls& option = rules_.option(static_cast<SettingsOption>(i));
        const WPARAM state = option.check == 1 ? BST_CHECKED : BST_UNCHECKED;
        if (static_cast<WPARAM>(SendMessageW(checks_[i], BM_GETCHECK, 0, 0)) != state)
            SendMessageW(checks_[i], BM_SETCHECK, state, 0);
        const HFONT font = FontAt(option.labelBold ? FontKind{9, true} : FontKind{}, layout_.dpi());
        if (reinterpret_cast<HFONT>(SendMessageW(labels_[i], WM_GETFONT, 0, 0)) != font)
            SendMessageW(labels_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
        if (i < texts_.size()) {
            SetText(texts_[i], option.text);
            const bool readOnly = (GetWindowLongPtrW(texts_[i], GWL_STYLE) & ES_READONLY) != 0;
            if (readOnly == option.editable)
                SendMessageW(texts_[i], EM_SETREADONLY, option.editable ? FALSE : TRUE, 0);
        }
    }
    for (size_t i = 0; i < buttons_.size(); ++i) {
        const ImageButton& state = rules_.buttons()[static_cast<SettingsButton>(i)];
        buttons_[i]->SetHighlighted(state.highlighted && state.enabled);
        buttons_[i]->SetEnabled(state.enabled);
    }
    rendering_ = false;
}

LRESULT SettingsDialog::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        Command(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_CLOSE:
        Press(SettingsButton::Close);
        return 0;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: // the title strip resets too
        Forward([this] { rules_.Picture2_MouseMove(); });
        return 0;
    case WM_NCHITTEST:
        return HitTestFrame(window, wParam, lParam);
    case WM_DPICHANGED:
        FollowDpiChange(window, layout_, wParam, lParam);
        // The labels' weights come back after their fonts at the new DPI; centring the dialog while it is
        // built may already move it onto another monitor, before there is anything to render.
        if (buttons_[Index(SettingsButton::OK)])
            Render();
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const int index = static_cast<int>(item.CtlID) - kSettingsButtonId;
        if (index >= 0 && index < static_cast<int>(SettingsButton::Count))
            buttons_[static_cast<size_t>(index)]->Draw(item);
        return TRUE;
    }
    case WM_CTLCOLOREDIT:
        return TextBoxColours(reinterpret_cast<HDC>(wParam), false);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        // A read-only text box asks as a static does: it keeps the look of a text box.
        if (GetWindowLongPtrW(reinterpret_cast<HWND>(lParam), GWL_STYLE) & ES_READONLY &&
            GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) >= kSettingsTextId &&
            GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) < kSettingsTextId + 3)
            return TextBoxColours(reinterpret_cast<HDC>(wParam), true);
        return DialogControlColours(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam));
    case WM_ERASEBKGND:
        PaintDialogFrame(window, reinterpret_cast<HDC>(wParam), "Settings");
        return TRUE;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace vx::win32gui

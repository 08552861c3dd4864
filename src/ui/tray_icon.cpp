// clsTray: the program's icon in the notification area, and the tray clicks the main window reacts to.
#include "ui/tray_icon.h"

namespace vx {
namespace {

// The record's szTip holds kTipField characters with the zero that ends the text, so 63 of text at most.
// The tooltip is UTF-8 here: it is cut at 63 bytes, but never inside a character's sequence (the cut moves
// back to the start of that character), so that the platform never sees half a character. A zero inside
// the text ends it, as the zero after the text does.
std::string CutTip(std::string_view text) {
    if (const size_t zero = text.find('\0'); zero != std::string_view::npos)
        text = text.substr(0, zero);
    constexpr size_t kMax = clsTray::kTipField - 1;
    if (text.size() <= kMax)
        return std::string(text);
    size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(text.substr(0, cut));
}

} // namespace

bool IsTrayMenuClick(bool runningInTray, int xTwips) {
    return runningInTray && (xTwips == TrayMessageAsTwips(kTrayLeftDoubleClick) ||
                             xTwips == TrayMessageAsTwips(kTrayRightButtonUp));
}

void clsTray::SetTip(std::string_view text) {
    tip_ = CutTip(text);
}

void clsTray::ShowIcon(const TrayForm& form) {
    callbackMessage_ = kTrayMouseMove;
    SetTip(form.caption);
    area_.Add(tip_);
    running_ = true;
}

void clsTray::RemoveIcon(const TrayForm&) {
    callbackMessage_ = 1;
    SetTip("");
    area_.Delete();
    running_ = false;
}

void clsTray::ChangeToolTip(const TrayForm&, std::string_view text) {
    if (!running_)
        return;
    SetTip(text);
    area_.Modify(tip_);
}

} // namespace vx

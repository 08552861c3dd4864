#pragma once
// clsTray: the program's icon in the notification area. It keeps one record between calls (as the
// platform's notify-icon record is kept), follows ShowIcon and RemoveIcon with bRunningInTray whatever
// the platform answered, and cuts the tooltip as the record's 64-character field cuts it.
#include <cstdint>
#include <string>
#include <string_view>

namespace vx {

// The mouse messages the icon reports, by their Windows numbers.
enum TrayMessage : uint32_t {
    kTrayMouseMove = 0x200,
    kTrayLeftButtonDown = 0x201,
    kTrayLeftButtonUp = 0x202,
    kTrayLeftDoubleClick = 0x203,
    kTrayRightButtonDown = 0x204,
    kTrayRightButtonUp = 0x205,
    kTrayMiddleButtonUp = 0x208,
};

// The icon's message arrives at the main window as a mouse movement whose X is the message in twips.
inline constexpr int TrayMessageAsTwips(uint32_t message) { return static_cast<int>(message) * 15; }
// Whether a mouse movement over the main window is a tray click that opens the pop-up menu: a left
// double click (7725) or a right-button release (7755), while the icon is shown.
bool IsTrayMenuClick(bool runningInTray, int xTwips);

// What the platform does with the record (the notification area).
class NotificationArea {
  public:
    virtual ~NotificationArea() = default;
    virtual void Add(std::string_view tip) = 0;    // NIM_ADD
    virtual void Modify(std::string_view tip) = 0; // NIM_MODIFY
    virtual void Delete() = 0;                     // NIM_DELETE
};

// The form a call is made with: its caption (ShowIcon's tooltip).
struct TrayForm {
    std::string caption;
};

class clsTray {
  public:
    static constexpr size_t kTipField = 64; // characters, the zero that ends the text included

    explicit clsTray(NotificationArea& area) : area_(area) {}

    bool bRunningInTray() const { return running_; }
    void ShowIcon(const TrayForm& form);
    void RemoveIcon(const TrayForm& form);
    // Only while the icon is shown.
    void ChangeToolTip(const TrayForm& form, std::string_view text);

    // The record's tooltip as the platform reads it: the text up to the zero, at most 63 characters.
    const std::string& szTip() const { return tip_; }
    uint32_t uCallbackMessage() const { return callbackMessage_; }

  private:
    void SetTip(std::string_view text);

    NotificationArea& area_;
    bool running_ = false;
    std::string tip_;
    uint32_t callbackMessage_ = 0;
};

} // namespace vx

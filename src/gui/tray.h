#pragma once
// The notification area on the desktop: the record's calls over Qt's tray icon, and the icon's
// activations turned into the mouse messages the main window recognises (a left double click 0x203, a
// right-button release 0x205, a single left click 0x202, a middle click 0x208). Trays of today
// (StatusNotifierItem: Plasma, GNOME's extension, every Wayland desktop) report a left click as a plain
// activation and never a double click: there, that activation is the click that opens the menu.
#include "ui/tray_icon.h"

#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>

#include <functional>
#include <optional>

namespace vx::gui {

class QtNotificationArea : public QObject, public NotificationArea {
    Q_OBJECT
  public:
    explicit QtNotificationArea(QObject* parent);

    void Add(std::string_view tip) override;
    void Modify(std::string_view tip) override;
    void Delete() override;

    // Whether the desktop has a notification area now: asked each time, since the panel may start after
    // the program (autostart) or go away. Tests decide it with `forcedAvailable`.
    bool Available() const;
    std::optional<bool> forcedAvailable;
    // Where the icon's mouse messages go.
    std::function<void(uint32_t message)> onMessage;
    // An activation of the icon, as Qt reports it (tests call it as the desktop would).
    void Activate(QSystemTrayIcon::ActivationReason reason);
    bool shown() const { return icon_.isVisible(); }
    QString toolTip() const { return icon_.toolTip(); }
    // Whether the icon is shown over StatusNotifierItem (decided as Qt decides, when the icon is made);
    // tests decide it with `forcedStatusNotifier`.
    bool StatusNotifier() const;
    std::optional<bool> forcedStatusNotifier;
    // The tray's own menu (where the sliding one cannot be placed); null: none.
    void SetContextMenu(QMenu* menu) { icon_.setContextMenu(menu); }
    QMenu* contextMenu() const { return icon_.contextMenu(); }

  private:
    QSystemTrayIcon icon_;
    bool statusNotifier_ = false;
};

// The Windows mouse message an activation stands for.
uint32_t TrayMessageOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifier);

} // namespace vx::gui

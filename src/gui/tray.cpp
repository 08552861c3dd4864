// The notification area over Qt's tray icon, and the icon's activations as mouse messages.
#include "gui/tray.h"

#include "gui/qt_text.h"
#include "gui/svg_picture.h"

#include <QDBusConnection>
#include <QDBusInterface>

namespace vx::gui {
namespace {

// Whether a StatusNotifierItem host runs on the session bus: then Qt shows its tray icons there.
bool StatusNotifierHostRegistered() {
    QDBusInterface watcher("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
                           "org.kde.StatusNotifierWatcher", QDBusConnection::sessionBus());
    return watcher.isValid() && watcher.property("IsStatusNotifierHostRegistered").toBool();
}

} // namespace

uint32_t TrayMessageOf(QSystemTrayIcon::ActivationReason reason, bool statusNotifier) {
    if (reason == QSystemTrayIcon::Trigger && statusNotifier)
        return kTrayLeftDoubleClick; // the only left click such a tray reports
    switch (reason) {
    case QSystemTrayIcon::DoubleClick:
        return kTrayLeftDoubleClick;
    case QSystemTrayIcon::Context:
        return kTrayRightButtonUp;
    case QSystemTrayIcon::MiddleClick:
        return kTrayMiddleButtonUp;
    case QSystemTrayIcon::Trigger:
    case QSystemTrayIcon::Unknown:
        break;
    }
    return kTrayLeftButtonUp;
}

QtNotificationArea::QtNotificationArea(QObject* parent) : QObject(parent), icon_(QIcon(Art("app_icon"))) {
    icon_.setObjectName("clsTray");
    statusNotifier_ = StatusNotifierHostRegistered();
    connect(&icon_, &QSystemTrayIcon::activated, this, &QtNotificationArea::Activate);
}

bool QtNotificationArea::Available() const {
    return forcedAvailable ? *forcedAvailable : QSystemTrayIcon::isSystemTrayAvailable();
}

bool QtNotificationArea::StatusNotifier() const {
    return forcedStatusNotifier ? *forcedStatusNotifier : statusNotifier_;
}

void QtNotificationArea::Add(std::string_view tip) {
    icon_.setToolTip(Text(tip));
    if (Available())
        icon_.show();
}

void QtNotificationArea::Modify(std::string_view tip) {
    icon_.setToolTip(Text(tip));
}

void QtNotificationArea::Delete() {
    icon_.hide();
}

void QtNotificationArea::Activate(QSystemTrayIcon::ActivationReason reason) {
    if (onMessage)
        onMessage(TrayMessageOf(reason, StatusNotifier()));
}

} // namespace vx::gui

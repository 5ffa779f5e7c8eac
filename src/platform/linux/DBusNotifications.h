#pragma once

#include "platform/Notifications.h"

#include <QObject>

namespace fray {

// org.freedesktop.Notifications on the session bus.
class DBusNotifications : public QObject, public Notifications {
    Q_OBJECT
  public:
    DBusNotifications();

    void notify(const Notification& n, std::uint32_t replaces,
                std::function<void(std::uint32_t)> shown) override;
    void close(std::uint32_t id) override;

  private slots:
    void onActionInvoked(uint id, const QString& key);

  private:
    void unavailable(const QString& why);
    bool saidUnavailable_ = false;
};

} // namespace fray

#include "DBusNotifications.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include <cstdio>

namespace fray {

namespace {
const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
} // namespace

DBusNotifications::DBusNotifications() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected())
        bus.connect(service, path, interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
}

void DBusNotifications::unavailable(const QString& why) {
    if (saidUnavailable_) return;
    saidUnavailable_ = true;
    std::fprintf(stderr, "fraymark: no desktop notification service answers (%s); notifications stay off\n",
                 qPrintable(why));
}

void DBusNotifications::notify(const Notification& n, std::uint32_t replaces,
                               std::function<void(std::uint32_t)> shown) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        unavailable(QStringLiteral("no session bus"));
        if (shown) shown(0);
        return;
    }
    QStringList actions;
    for (const auto& [key, label] : n.actions)
        actions << QString::fromStdString(key) << QString::fromStdString(label);
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(n.urgency)));
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("io.fraymark.Fraymark"));
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("Notify"));
    call << QStringLiteral("Fraymark") << uint(replaces) << QStringLiteral("io.fraymark.Fraymark")
         << QString::fromStdString(n.title) << QString::fromStdString(n.body) << actions << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 5000), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, shown = std::move(shown)](QDBusPendingCallWatcher* w) {
                QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (reply.isError()) unavailable(reply.error().message());
                if (shown) shown(reply.isError() ? 0 : reply.value());
            });
}

void DBusNotifications::close(std::uint32_t id) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || id == 0) return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(service, path, interface, QStringLiteral("CloseNotification"));
    call << uint(id);
    bus.asyncCall(call, 5000);
}

void DBusNotifications::onActionInvoked(uint id, const QString& key) {
    actionInvoked(id, key.toStdString());
}

} // namespace fray

// A notification service of our own on the session bus, for the end-to-end tests: prints
// "notify ID REPLACES URGENCY SUMMARY|BODY|ACTIONS" and "close ID" lines, and picks the
// "default" action of the first notification half a second after showing it.
#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTimer>
#include <QVariantMap>

#include <cstdio>

class Service : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    uint next = 1;

  public slots:
    uint Notify(const QString&, uint replaces, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap& hints, int) {
        const uint id = replaces ? replaces : next++;
        std::printf("notify %u %u %d %s|%s|%s\n", id, replaces, hints.value("urgency").toInt(),
                    qPrintable(summary), qPrintable(body), qPrintable(actions.join(',')));
        std::fflush(stdout);
        if (id == 1 && !replaces)
            QTimer::singleShot(500, [id] {
                auto signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                         "org.freedesktop.Notifications", "ActionInvoked");
                signal << id << QStringLiteral("default");
                QDBusConnection::sessionBus().send(signal);
            });
        return id;
    }
    void CloseNotification(uint id) {
        std::printf("close %u\n", id);
        std::fflush(stdout);
    }
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Service service;
    auto bus = QDBusConnection::sessionBus();
    if (!bus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots) ||
        !bus.registerService("org.freedesktop.Notifications"))
        return 1;
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "FakeNotifications.moc"

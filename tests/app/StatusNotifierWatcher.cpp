// A desktop's tray as the StatusNotifierItem protocol sees it, for tests: it owns the watcher's
// name on the session bus, says that a host shows the items, and prints the bus name of every item
// that registers, one a line.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <cstdio>

class TStatusNotifierWatcher : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
    Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
    Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
    Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)

public:
    bool IsStatusNotifierHostRegistered() const { return true; }
    int ProtocolVersion() const { return 0; }
    QStringList RegisteredStatusNotifierItems() const { return m_items; }

public slots:
    // An item names its bus name, or only its object path, in which case the caller is the item.
    void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
        const QString name = service.startsWith(QLatin1Char('/')) ? message.service() : service;
        m_items.append(name);
        std::printf("%s\n", name.toUtf8().constData());
        std::fflush(stdout);
        emit StatusNotifierItemRegistered(name);
    }
    void RegisterStatusNotifierHost(const QString&) {}

signals:
    void StatusNotifierItemRegistered(const QString& service);
    void StatusNotifierItemUnregistered(const QString& service);
    void StatusNotifierHostRegistered();

private:
    QStringList m_items;
};

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TStatusNotifierWatcher watcher;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/StatusNotifierWatcher"), &watcher,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals |
                                QDBusConnection::ExportAllProperties) ||
        !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
        std::fprintf(stderr, "cannot register the watcher on the session bus\n");
        return 1;
    }
    return app.exec();
}

#include "StatusNotifierWatcher.moc"

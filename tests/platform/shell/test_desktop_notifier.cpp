// Desktop notifications against a real message bus: a private dbus-daemon with a stand-in
// notification service. What the service receives, the caller's text escaped for a service that
// reads markup, and the fallback when no service is on the bus.
#include "platform/shell/desktop_notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QVariantMap>

#include <gtest/gtest.h>

using qlnrec::platform::DesktopNotifier;

namespace {

class FakeNotificationService : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList received;

public slots:
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("body-markup")}; }
    uint Notify(const QString& appName, uint, const QString&, const QString& summary, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        received << appName + QLatin1Char('|') + summary + QLatin1Char('|') + body;
        return static_cast<uint>(received.size());
    }
};

// A session bus of the test's own; stopped at the end.
class PrivateBus {
public:
    PrivateBus()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            return;
        }
        daemon_.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                      QStringLiteral("--print-address")});
        daemon_.waitForReadyRead(-1);
        address = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        daemon_.terminate();
        daemon_.waitForFinished(-1);
    }
    QString address;

private:
    QProcess daemon_;
};

void processUntil(const std::function<bool()>& done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
}

} // namespace

TEST(DesktopNotifier, TheServiceOnTheBusShowsTheMessageEscapedAndWithoutOneTheFallbackDoes)
{
    PrivateBus bus;
    if (bus.address.isEmpty()) {
        GTEST_SKIP() << "dbus-daemon is not installed";
    }
    QDBusConnection client = QDBusConnection::connectToBus(bus.address, QStringLiteral("client"));
    ASSERT_TRUE(client.isConnected());
    QStringList fellBack;
    DesktopNotifier notifier(client, [&](const QString& title, const QString& body) {
        fellBack << title + QLatin1Char('|') + body;
    });

    // No service yet: the fallback shows it.
    notifier.notify(QStringLiteral("Incoming call"), QStringLiteral("5551234"));
    processUntil([&] { return !fellBack.isEmpty(); });
    EXPECT_EQ(fellBack, QStringList{QStringLiteral("Incoming call|5551234")});

    QDBusConnection server = QDBusConnection::connectToBus(bus.address, QStringLiteral("server"));
    FakeNotificationService service;
    ASSERT_TRUE(server.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                      QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(server.registerService(QStringLiteral("org.freedesktop.Notifications")));

    // A name from the line cannot format the message: the service reads markup, so it is escaped.
    notifier.notify(QStringLiteral("Incoming call"), QStringLiteral("5551234\n<b>Ann</b> & Co"));
    processUntil([&] { return !service.received.isEmpty(); });
    EXPECT_EQ(service.received,
              QStringList{
                  QStringLiteral("Quillon Recorder|Incoming call|5551234\n&lt;b&gt;Ann&lt;/b&gt; &amp; Co")});
    EXPECT_EQ(fellBack.size(), 1);

    QDBusConnection::disconnectFromBus(QStringLiteral("server"));
    QDBusConnection::disconnectFromBus(QStringLiteral("client"));
}

#include "test_desktop_notifier.moc"

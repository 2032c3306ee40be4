#include "platform/shell/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace qlnrec::platform {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
// A desktop that keeps the bus busy must not hold a call's notification for long.
constexpr int kCallTimeoutMs = 3000;
constexpr int kShownMs = 10000;

QDBusMessage methodCall(const QString& method)
{
    return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

} // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, Fallback fallback)
    : bus_(std::make_unique<QDBusConnection>(std::move(bus))), fallback_(std::move(fallback))
{
}

DesktopNotifier::~DesktopNotifier() = default;

QString DesktopNotifier::bodyFor(const QString& body, bool serviceReadsMarkup)
{
    return serviceReadsMarkup ? body.toHtmlEscaped() : body;
}

void DesktopNotifier::notify(const QString& title, const QString& body)
{
    if (!bus_->isConnected()) {
        fallback_(title, body);
        return;
    }
    if (readsMarkup_) {
        send(title, body);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(
        bus_->asyncCall(methodCall(QStringLiteral("GetCapabilities")), kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, title, body] {
        watcher->deleteLater();
        const QDBusPendingReply<QStringList> reply = *watcher;
        if (reply.isError()) {
            // No service on the bus (or none that answers): the next message asks again.
            fallback_(title, body);
            return;
        }
        readsMarkup_ = reply.value().contains(QStringLiteral("body-markup"));
        send(title, body);
    });
}

void DesktopNotifier::send(const QString& title, const QString& body)
{
    QDBusMessage call = methodCall(QStringLiteral("Notify"));
    call << QStringLiteral("Quillon Recorder") << 0u << QStringLiteral("qlnrec") << title
         << bodyFor(body, readsMarkup_.value_or(false)) << QStringList{}
         << QVariantMap{{QStringLiteral("desktop-entry"), QStringLiteral("org.qlnrec.Qlnrec")}} << kShownMs;
    auto* watcher = new QDBusPendingCallWatcher(bus_->asyncCall(call, kCallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, title, body] {
        watcher->deleteLater();
        if (watcher->isError()) {
            readsMarkup_.reset();
            fallback_(title, body);
        }
    });
}

} // namespace qlnrec::platform

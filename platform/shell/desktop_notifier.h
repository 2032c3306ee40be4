#pragma once
// Desktop notifications through the freedesktop notification service on the session bus. The
// service's answer comes later: where no service answers, the fallback shows the message instead.
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QDBusConnection;

namespace qlnrec::platform {

class DesktopNotifier : public QObject {
public:
    using Fallback = std::function<void(const QString& title, const QString& body)>;

    DesktopNotifier(QDBusConnection bus, Fallback fallback);
    ~DesktopNotifier() override;

    void notify(const QString& title, const QString& body);

    // The body as sent: a service that reads markup gets the caller's text escaped, so a name
    // from the line cannot format, link or hide the message.
    static QString bodyFor(const QString& body, bool serviceReadsMarkup);

private:
    void send(const QString& title, const QString& body);

    std::unique_ptr<QDBusConnection> bus_;
    Fallback fallback_;
    std::optional<bool> readsMarkup_; // asked once per run
};

} // namespace qlnrec::platform

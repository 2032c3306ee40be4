#pragma once
// The shell services' implementations: DesktopShellService for the program, RecordingShellService
// for tests. The interface is platform/core/shell_service.h.
#include "platform/core/shell_service.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class QSystemTrayIcon;

namespace qlnrec::platform {

class DesktopNotifier;

class DesktopShellService final : public ShellService {
public:
    // autoStartArguments follow the program in the start-at-login entry (e.g. its --home).
    explicit DesktopShellService(QStringList autoStartArguments = {});
    ~DesktopShellService() override;
    bool openDocument(const QString& pathOrUrl) override;
    bool exploreFolder(const QString& folderPath) override;
    bool startProgram(const QString& program, const QStringList& arguments = {}) override;
    bool setAutoStart(bool on, const QString& programPath) override;
    bool printLines(const QStringList& lines, const QString& pdfPath = {}) override;
    void sendMail(const MailRequest& mail, std::function<void(int result)> done) override;
    bool trayAvailable() const override;
    void addTrayIcon(const QString& tip, std::function<void(TrayClick)> clicked) override;
    void removeTrayIcon() override;
    // Through the desktop's notification service (org.freedesktop.Notifications on the session
    // bus); where there is none, as a balloon of the tray icon.
    void notify(const QString& title, const QString& body) override;

private:
    void showBalloon(const QString& title, const QString& body);

    QStringList autoStartArguments_;
    std::unique_ptr<QSystemTrayIcon> tray_;
    // The icon shown only to carry a balloon while the window is not in the tray.
    std::unique_ptr<QSystemTrayIcon> balloonIcon_;
    int balloonsShown_ = 0;
    std::unique_ptr<DesktopNotifier> notifier_;
};

// Test backend: records every request. setAutoStart and printLines do the real work (they only
// touch the XDG config folder and PDF files); printing to the default printer is recorded and
// answered with printerAvailable.
class RecordingShellService final : public ShellService {
public:
    struct Request {
        QString kind; // "open", "explore", "start", "autostart", "print", "mail", "notify"
        QString target;
        QStringList arguments;
    };

    bool openDocument(const QString& pathOrUrl) override;
    bool exploreFolder(const QString& folderPath) override;
    bool startProgram(const QString& program, const QStringList& arguments = {}) override;
    bool setAutoStart(bool on, const QString& programPath) override;
    bool printLines(const QStringList& lines, const QString& pdfPath = {}) override;
    void sendMail(const MailRequest& mail, std::function<void(int result)> done) override;
    bool trayAvailable() const override { return trayAvailableAnswer; }
    void addTrayIcon(const QString& tip, std::function<void(TrayClick)> clicked) override;
    void removeTrayIcon() override;
    void notify(const QString& title, const QString& body) override;

    // The tray icon as the desktop would show it: its tip while shown, and a click on it.
    bool trayIconShown() const { return trayShown_; }
    const QString& trayTip() const { return trayTip_; }
    void clickTray(TrayClick click);

    const std::vector<Request>& requests() const { return requests_; }
    const std::vector<QStringList>& printedJobs() const { return printedJobs_; }
    const std::vector<MailRequest>& mails() const { return mails_; }
    struct Notification {
        QString title;
        QString body;
    };
    const std::vector<Notification>& notifications() const { return notifications_; }
    void clear();

    QStringList autoStartArguments;
    bool printerAvailable = true;
    bool programsAvailable = true;
    int mailResult = kMailSuccess;
    bool trayAvailableAnswer = true;

private:
    std::vector<Request> requests_;
    std::vector<QStringList> printedJobs_;
    std::vector<MailRequest> mails_;
    std::vector<Notification> notifications_;
    bool trayShown_ = false;
    QString trayTip_;
    std::function<void(TrayClick)> trayClicked_;
};

// The XDG autostart entry file: $XDG_CONFIG_HOME/autostart/qlnrec.desktop.
QString autoStartEntryPath();

// Lays the lines out on a printer-like device, one printed line per entry: a long entry is
// drawn in a smaller font so that it still fits its one line. Returns false when the job
// cannot be started. Shared by both shell backends.
bool printLinesTo(const QStringList& lines, const QString& pdfPath);

} // namespace qlnrec::platform

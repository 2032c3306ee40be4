#include "platform/shell/shell_service.h"

#include "platform/shell/desktop_notifier.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>

namespace qlnrec::platform {

namespace {

bool looksLikeUrl(const QString& text)
{
    // "c:/x" is not a URL; a scheme has at least two letters before the colon.
    static const QStringList kSchemes{QStringLiteral("http:"), QStringLiteral("https:"),
                                      QStringLiteral("mailto:"), QStringLiteral("file:"),
                                      QStringLiteral("ftp:")};
    for (const QString& scheme : kSchemes) {
        if (text.startsWith(scheme, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

// The helper programs the program was written to start, and what stands in for them here.
struct ProgramAlias {
    const char* name;
    std::array<const char*, 4> candidates;
};
constexpr std::array kAliases{
    ProgramAlias{"sndvol32", {"pavucontrol", "pavucontrol-qt", "kmix", "mate-volume-control"}},
    ProgramAlias{"sndrec32", {"gnome-sound-recorder", "audacity", "kwave", nullptr}},
};

QString findProgram(const QString& program)
{
    if (program.contains(QLatin1Char('/'))) {
        const QFileInfo info(program);
        return info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    QString base = program;
    if (base.endsWith(QStringLiteral(".exe"), Qt::CaseInsensitive)) {
        base.chop(4);
    }
    const QString direct = QStandardPaths::findExecutable(base);
    if (!direct.isEmpty()) {
        return direct;
    }
    for (const ProgramAlias& alias : kAliases) {
        if (base.compare(QLatin1String(alias.name), Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const char* candidate : alias.candidates) {
            if (candidate) {
                const QString found = QStandardPaths::findExecutable(QLatin1String(candidate));
                if (!found.isEmpty()) {
                    return found;
                }
            }
        }
    }
    return {};
}

// One argument of a desktop entry's Exec= value: quoted when needed, with the entry's own escapes.
QString desktopExecArgument(const QString& argument)
{
    static const QString kReserved = QStringLiteral(" \t\"'\\><~|&;$*?#()`");
    bool needsQuotes = argument.isEmpty();
    for (const QChar c : argument) {
        if (kReserved.contains(c)) {
            needsQuotes = true;
        }
    }
    QString value = argument;
    value.replace(QLatin1Char('%'), QStringLiteral("%%"));
    if (needsQuotes) {
        QString quoted;
        for (const QChar c : value) {
            if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
                c == QLatin1Char('\\')) {
                quoted += QLatin1Char('\\');
            }
            quoted += c;
        }
        value = QLatin1Char('"') + quoted + QLatin1Char('"');
    }
    // The string escape of the entry format applies on top of the quoting.
    value.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return value;
}

QString desktopExecValue(const QString& programPath, const QStringList& arguments)
{
    QStringList parts{desktopExecArgument(programPath)};
    for (const QString& argument : arguments) {
        parts << desktopExecArgument(argument);
    }
    return parts.join(QLatin1Char(' '));
}

bool hasControlCharacter(const QString& text)
{
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control) {
            return true;
        }
    }
    return false;
}

bool writeAutoStartEntry(bool on, const QString& programPath, const QStringList& arguments)
{
    if (on && (programPath.isEmpty() || hasControlCharacter(programPath) ||
               std::any_of(arguments.begin(), arguments.end(), hasControlCharacter))) {
        return false;
    }
    const QString path = autoStartEntryPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        return false;
    }
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Quillon Recorder\n"
                                  "Comment=Telephone call recorder and answering machine\n");
    text += QStringLiteral("Exec=") + (on ? desktopExecValue(programPath, arguments) : QString()) +
            QLatin1Char('\n');
    text += on ? QStringLiteral("Hidden=false\nX-GNOME-Autostart-enabled=true\n")
               : QStringLiteral("Hidden=true\nX-GNOME-Autostart-enabled=false\n");
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.write(text.toUtf8());
    return file.commit();
}

bool localDocumentExists(const QString& pathOrUrl)
{
    return looksLikeUrl(pathOrUrl) || QFileInfo::exists(pathOrUrl);
}

// The session bus is announced by its address, or by the per-user socket a systemd login provides
// (where the bus library looks when no address is set).
bool sessionBusAnnounced()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        return true;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

} // namespace

QString autoStartEntryPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config)) {
        config = QDir::homePath() + QStringLiteral("/.config");
    }
    return config + QStringLiteral("/autostart/qlnrec.desktop");
}

// ---- DesktopShellService ----

DesktopShellService::DesktopShellService(QStringList autoStartArguments)
    : autoStartArguments_(std::move(autoStartArguments))
{
}

DesktopShellService::~DesktopShellService() = default;

bool DesktopShellService::openDocument(const QString& pathOrUrl)
{
    if (looksLikeUrl(pathOrUrl)) {
        return QDesktopServices::openUrl(QUrl(pathOrUrl));
    }
    if (!QFileInfo::exists(pathOrUrl)) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(pathOrUrl).absoluteFilePath()));
}

bool DesktopShellService::exploreFolder(const QString& folderPath)
{
    const QFileInfo info(folderPath);
    if (!info.isDir()) {
        return false;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()));
}

bool DesktopShellService::startProgram(const QString& program, const QStringList& arguments)
{
    const QString path = findProgram(program);
    if (path.isEmpty()) {
        return false;
    }
    return QProcess::startDetached(path, arguments);
}

bool DesktopShellService::setAutoStart(bool on, const QString& programPath)
{
    return writeAutoStartEntry(on, programPath, autoStartArguments_);
}

bool DesktopShellService::printLines(const QStringList& lines, const QString& pdfPath)
{
    return printLinesTo(lines, pdfPath);
}

void DesktopShellService::sendMail(const MailRequest& mail, std::function<void(int result)> done)
{
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    if (tool.isEmpty()) {
        done(kMailNoHandOver);
        return;
    }
    QStringList args{QStringLiteral("--utf8"), QStringLiteral("--subject"), mail.subject};
    if (!mail.attachmentPath.isEmpty()) {
        args << QStringLiteral("--attach") << mail.attachmentPath;
    }
    // The placeholder address is given as-is; the user replaces it in the compose window.
    args << (mail.recipientAddress.isEmpty() ? QStringLiteral("@") : mail.recipientAddress);
    // The hand-over may take as long as the mail program keeps it; the program goes on meanwhile
    // (calls keep being answered) and hears the outcome when it ends.
    auto* process = new QProcess;
    QObject::connect(process, &QProcess::finished, process,
                     [process, done](int exitCode, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (status != QProcess::NormalExit) {
                             done(kMailFailure);
                         } else {
                             done(exitCode == 0 ? kMailSuccess : exitCode);
                         }
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, done](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             process->deleteLater();
                             done(kMailFailure);
                         }
                     });
    process->start(tool, args);
}

bool DesktopShellService::trayAvailable() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void DesktopShellService::addTrayIcon(const QString& tip, std::function<void(TrayClick)> clicked)
{
    if (balloonIcon_) {
        balloonIcon_->hide();
    }
    tray_ = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
    tray_->setToolTip(tip);
    QObject::connect(tray_.get(), &QSystemTrayIcon::activated, tray_.get(),
                     [clicked](QSystemTrayIcon::ActivationReason reason) {
                         switch (reason) {
                         case QSystemTrayIcon::Trigger:
                             clicked(TrayClick::Left);
                             break;
                         case QSystemTrayIcon::Context:
                             clicked(TrayClick::Right);
                             break;
                         case QSystemTrayIcon::DoubleClick:
                             clicked(TrayClick::Double);
                             break;
                         case QSystemTrayIcon::MiddleClick:
                             clicked(TrayClick::Middle);
                             break;
                         case QSystemTrayIcon::Unknown:
                             break;
                         }
                     });
    tray_->show();
}

void DesktopShellService::removeTrayIcon()
{
    // Dropped later: the click that removes it is still being delivered by it.
    if (tray_) {
        tray_->hide();
        tray_.release()->deleteLater();
    }
}

void DesktopShellService::notify(const QString& title, const QString& body)
{
    // The bus is joined on the first message only: a run that tells nothing never touches it.
    // Where no session bus is announced, the balloon serves at once: asking the bus library would
    // only try to launch a bus of its own (X11 autolaunch) and leave its thread behind.
    if (!sessionBusAnnounced()) {
        showBalloon(title, body);
        return;
    }
    if (!notifier_) {
        notifier_ = std::make_unique<DesktopNotifier>(
            QDBusConnection::sessionBus(), [this](const QString& balloonTitle, const QString& balloonBody) {
                showBalloon(balloonTitle, balloonBody);
            });
    }
    notifier_->notify(title, body);
}

void DesktopShellService::showBalloon(const QString& title, const QString& body)
{
    constexpr int kBalloonMs = 10000;
    if (!QSystemTrayIcon::isSystemTrayAvailable()) {
        return;
    }
    QSystemTrayIcon* icon = tray_.get();
    if (!icon) {
        // The window is not in the tray: an icon of its own carries the balloon for a while.
        if (!balloonIcon_) {
            balloonIcon_ = std::make_unique<QSystemTrayIcon>(QApplication::windowIcon());
        }
        icon = balloonIcon_.get();
        icon->show();
        const int shown = ++balloonsShown_;
        QTimer::singleShot(kBalloonMs, icon, [this, icon, shown] {
            if (shown == balloonsShown_) {
                icon->hide();
            }
        });
    }
    icon->showMessage(title, body, QSystemTrayIcon::Information, kBalloonMs);
}

// ---- RecordingShellService ----

bool RecordingShellService::openDocument(const QString& pathOrUrl)
{
    requests_.push_back({QStringLiteral("open"), pathOrUrl, {}});
    return localDocumentExists(pathOrUrl);
}

bool RecordingShellService::exploreFolder(const QString& folderPath)
{
    requests_.push_back({QStringLiteral("explore"), folderPath, {}});
    return QFileInfo(folderPath).isDir();
}

bool RecordingShellService::startProgram(const QString& program, const QStringList& arguments)
{
    requests_.push_back({QStringLiteral("start"), program, arguments});
    return programsAvailable;
}

bool RecordingShellService::setAutoStart(bool on, const QString& programPath)
{
    requests_.push_back(
        {QStringLiteral("autostart"), programPath, {on ? QStringLiteral("on") : QStringLiteral("off")}});
    return writeAutoStartEntry(on, programPath, autoStartArguments);
}

bool RecordingShellService::printLines(const QStringList& lines, const QString& pdfPath)
{
    requests_.push_back({QStringLiteral("print"), pdfPath, lines});
    if (pdfPath.isEmpty()) {
        if (!printerAvailable) {
            return false;
        }
        printedJobs_.push_back(lines);
        return true;
    }
    const bool ok = printLinesTo(lines, pdfPath);
    if (ok) {
        printedJobs_.push_back(lines);
    }
    return ok;
}

void RecordingShellService::sendMail(const MailRequest& mail, std::function<void(int result)> done)
{
    requests_.push_back({QStringLiteral("mail"), mail.subject, {mail.attachmentPath}});
    mails_.push_back(mail);
    done(mailResult);
}

void RecordingShellService::addTrayIcon(const QString& tip, std::function<void(TrayClick)> clicked)
{
    requests_.push_back({QStringLiteral("tray add"), tip, {}});
    trayShown_ = true;
    trayTip_ = tip;
    trayClicked_ = std::move(clicked);
}

void RecordingShellService::removeTrayIcon()
{
    requests_.push_back({QStringLiteral("tray remove"), trayTip_, {}});
    trayShown_ = false;
    trayTip_.clear();
    trayClicked_ = nullptr;
}

void RecordingShellService::notify(const QString& title, const QString& body)
{
    requests_.push_back({QStringLiteral("notify"), title, {body}});
    notifications_.push_back({title, body});
}

void RecordingShellService::clickTray(TrayClick click)
{
    if (trayShown_ && trayClicked_) {
        auto clicked = trayClicked_; // the click may remove the icon
        clicked(click);
    }
}

void RecordingShellService::clear()
{
    requests_.clear();
    printedJobs_.clear();
    mails_.clear();
    notifications_.clear();
}

} // namespace qlnrec::platform

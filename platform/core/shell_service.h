#pragma once
// The desktop services the program only starts or calls: opening documents and folders,
// starting helper programs, the start-at-login entry, printing, handing a mail to the user's
// mail program and desktop notifications. Only the interface lives here, so code that calls the shell needs
// neither widgets nor printing; the implementations are in platform/shell.
#include <QString>
#include <QStringList>

#include <functional>

namespace qlnrec::platform {

// A mail handed to the user's mail program with its compose window shown. The user types the
// recipient and sends; nothing is sent without the user.
struct MailRequest {
    QString subject;
    QString recipientAddress; // a placeholder the user replaces, e.g. "@"
    QString attachmentPath;   // empty: no attachment
    QString attachmentName;
    bool receiptRequested = false;
};

// Results of sendMail, as the mail interface the program was written for numbers them. A mail
// program that failed otherwise reports its own non-zero exit status.
enum MailResult : int { kMailNoHandOver = -1, kMailSuccess = 0, kMailUserAbort = 1, kMailFailure = 2 };

// A click on the program's icon in the desktop's notification area.
enum class TrayClick { Left, Right, Double, Middle };

class ShellService {
public:
    virtual ~ShellService() = default;

    // Opens a document (file path or URL) with the desktop's default handler.
    virtual bool openDocument(const QString& pathOrUrl) = 0;
    // Shows a folder in the desktop's file manager.
    virtual bool exploreFolder(const QString& folderPath) = 0;
    // Starts a helper program detached. A program that cannot be found or started returns false.
    virtual bool startProgram(const QString& program, const QStringList& arguments = {}) = 0;
    // The start-at-login entry: on runs programPath at login; off leaves the entry present but
    // disabled. Returns false when the entry cannot be written.
    virtual bool setAutoStart(bool on, const QString& programPath) = 0;
    // Prints one printed line per entry, top to bottom, pages broken as needed, as one job: to
    // the default printer, or to a PDF file when pdfPath is given. False when there is no
    // printer or the job cannot be started.
    virtual bool printLines(const QStringList& lines, const QString& pdfPath = {}) = 0;
    // Opens the mail program's compose window without waiting for it on the caller's thread;
    // done gets a MailResult code, or the hand-over's exit status when it failed, once the
    // hand-over has ended.
    virtual void sendMail(const MailRequest& mail, std::function<void(int result)> done) = 0;

    // The program's icon in the desktop's notification area, with the program's window icon.
    // trayAvailable: the desktop has a notification area at all.
    virtual bool trayAvailable() const = 0;
    // Shows the icon with a tip; clicked hears every click on it until it is removed.
    virtual void addTrayIcon(const QString& tip, std::function<void(TrayClick)> clicked) = 0;
    virtual void removeTrayIcon() = 0;

    // A short message the desktop shows outside the program's window (an incoming call, a new
    // message). Best effort: nothing is said when the desktop can show nothing.
    virtual void notify(const QString& title, const QString& body) = 0;
};

} // namespace qlnrec::platform

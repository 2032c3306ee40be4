#include "platform/shell/shell_service.h"
#include "tests/support/temp_home.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using qlnrec::platform::DesktopShellService;
using qlnrec::platform::MailRequest;
using qlnrec::test::TempHome;

namespace {

// Puts a stand-in xdg-email first on PATH that writes its arguments, one per line, and exits
// with the given code.
class FakeMailTool {
public:
    FakeMailTool(const TempHome& home, int exitCode) : oldPath_(qgetenv("PATH"))
    {
        const QString bin = home.path(QStringLiteral("bin"));
        QDir().mkpath(bin);
        argsFile_ = home.path(QStringLiteral("mail-args.txt"));
        const QString script =
            QStringLiteral("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '") + argsFile_ +
            QStringLiteral("'\nexit ") + QString::number(exitCode) + QLatin1Char('\n');
        const QString tool = bin + QStringLiteral("/xdg-email");
        qlnrec::test::writeFile(tool, script.toUtf8());
        QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("PATH", bin.toUtf8() + ':' + oldPath_);
    }
    ~FakeMailTool() { qputenv("PATH", oldPath_); }
    QStringList arguments() const
    {
        return QString::fromUtf8(qlnrec::test::readFile(argsFile_))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    QByteArray oldPath_;
    QString argsFile_;
};

// Hands the mail over and waits (bounded) for the hand-over to end.
int sendAndWait(DesktopShellService& shell, const MailRequest& mail)
{
    int result = -100;
    shell.sendMail(mail, [&](int code) { result = code; });
    QDeadlineTimer deadline(30000);
    while (result == -100 && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    return result;
}

} // namespace

TEST(SendMail, HandsSubjectAttachmentAndPlaceholderToTheMailProgramUnchanged)
{
    TempHome home;
    FakeMailTool tool(home, 0);
    MailRequest mail;
    mail.subject = QStringLiteral("A~L 0~2026-12-07~14-05-09~5551234 Anna Smith.wav");
    mail.recipientAddress = QStringLiteral("@");
    mail.attachmentPath = home.path(QStringLiteral("rec dir/") + mail.subject);
    mail.attachmentName = mail.subject;
    DesktopShellService shell;
    EXPECT_EQ(sendAndWait(shell, mail), qlnrec::platform::kMailSuccess);
    EXPECT_EQ(tool.arguments(),
              (QStringList{QStringLiteral("--utf8"), QStringLiteral("--subject"), mail.subject,
                           QStringLiteral("--attach"), mail.attachmentPath, QStringLiteral("@")}));
}

TEST(SendMail, AMailProgramThatFailsIsReportedWithItsExitStatus)
{
    TempHome home;
    FakeMailTool tool(home, 3);
    MailRequest mail;
    mail.subject = QStringLiteral("x.wav");
    DesktopShellService shell;
    EXPECT_EQ(sendAndWait(shell, mail), 3);
    // Without an attachment no --attach is passed.
    EXPECT_FALSE(tool.arguments().contains(QStringLiteral("--attach")));
}

TEST(SendMail, NoHandOverInstalledIsToldApart)
{
    const QByteArray oldPath = qgetenv("PATH");
    TempHome home;
    qputenv("PATH", home.path(QStringLiteral("empty")).toUtf8());
    DesktopShellService shell;
    MailRequest mail;
    mail.subject = QStringLiteral("x.wav");
    EXPECT_EQ(sendAndWait(shell, mail), qlnrec::platform::kMailNoHandOver);
    qputenv("PATH", oldPath);
}

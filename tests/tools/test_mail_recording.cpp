// "Mail To..." over the recording shell: what reaches the mail program, and what the user is told.
#include "tools/mail_recording.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/shell/shell_service.h"
#include "tests/support/temp_home.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace qlnrec;

TEST(MailRecording, TheRecordingGoesOutUnderItsOwnNameAndEveryFailureIsSaid)
{
    test::TempHome home;
    const QString folder = home.path(QStringLiteral("my recordings/"));
    QDir().mkpath(folder);
    const QString name = QStringLiteral("A~L 0~2026-12-08~10-00-00~5551234 Zoë Müller.wav");
    test::writeFile(folder + name, QByteArray(100, 'x'));
    platform::RecordingShellService shell;
    platform::ScriptedDialogService dialogs;
    const core::Strings strings;

    tools::mailRecording(folder, name, shell, dialogs, strings);
    ASSERT_EQ(shell.mails().size(), 1u);
    const platform::MailRequest& mail = shell.mails().front();
    EXPECT_EQ(mail.subject, name);
    EXPECT_EQ(mail.attachmentName, name);
    EXPECT_EQ(mail.attachmentPath, folder + name);
    EXPECT_EQ(mail.recipientAddress, QStringLiteral("@"));
    EXPECT_TRUE(mail.receiptRequested);
    EXPECT_TRUE(dialogs.messages().empty());

    // The user closes the compose window without sending.
    shell.mailResult = platform::kMailUserAbort;
    tools::mailRecording(folder, name, shell, dialogs, strings);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text,
              QStringLiteral("Error sending message. Message has not been sent.\n\n"
                             "MAPISendMessage returned with error 1"));
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Send Mail"));

    // No mail program at all is told as such, not as a number.
    dialogs.clear();
    shell.mailResult = platform::kMailNoHandOver;
    tools::mailRecording(folder, name, shell, dialogs, strings);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QStringLiteral("xdg-email")));

    // A recording deleted meanwhile: said, and no mail without its attachment.
    dialogs.clear();
    shell.clear();
    tools::mailRecording(folder, QStringLiteral("gone.wav"), shell, dialogs, strings);
    EXPECT_TRUE(shell.mails().empty());
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("File Not Found ('gone.wav')"));
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Mail To..."));
    EXPECT_EQ(dialogs.messages()[0].icon, platform::MessageIcon::Critical);
}

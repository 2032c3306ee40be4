#include "tools/mail_recording.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/shell_service.h"

#include <QDir>
#include <QFileInfo>

namespace qlnrec::tools {

void mailRecording(const QString& recordingsFolder, const QString& name, platform::ShellService& shell,
                   platform::DialogService& dialogs, const core::Strings& strings)
{
    platform::MailRequest mail;
    mail.subject = name;
    mail.recipientAddress = QStringLiteral("@");
    mail.receiptRequested = true;
    const QString path = QDir(recordingsFolder).filePath(name);
    if (!QFileInfo(path).isFile()) {
        // A mail without the recording it was meant to carry helps nobody: stop at the message.
        dialogs.messageBox(QStringLiteral("File Not Found ('") + name + QStringLiteral("')"),
                           QStringLiteral("Mail To..."), platform::MessageIcon::Critical);
        return;
    }
    mail.attachmentPath = path;
    mail.attachmentName = name;
    platform::DialogService* box = &dialogs;
    const QString noProgram = strings.text(core::ProgramText::MailNoProgram);
    shell.sendMail(mail, [box, noProgram](int result) {
        if (result == platform::kMailSuccess) {
            return;
        }
        if (result == platform::kMailNoHandOver) {
            box->messageBox(noProgram, QStringLiteral("Send Mail"), platform::MessageIcon::Critical);
            return;
        }
        box->messageBox(QStringLiteral("Error sending message. Message has not been sent.\n\n"
                                       "MAPISendMessage returned with error ") +
                            QString::number(result),
                        QStringLiteral("Send Mail"), platform::MessageIcon::Critical);
    });
}

} // namespace qlnrec::tools

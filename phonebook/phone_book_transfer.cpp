#include "phonebook/phone_book_transfer.h"

#include "core/strings.h"
#include "phonebook/phone_book_csv.h"
#include "platform/core/dialog_service.h"
#include "platform/core/text_helpers.h"

#include <QFile>
#include <QSaveFile>

#include <utility>

namespace qlnrec::phonebook {

namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

const QString kTitle = QStringLiteral("Quillon");
constexpr auto kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

} // namespace

PhoneBookTransfer::PhoneBookTransfer(PhoneBookLists& lists, platform::DialogService& dialogs,
                                     QString programFolder, const core::Strings& strings)
    : lists_(lists), dialogs_(dialogs), programFolder_(std::move(programFolder)), strings_(strings)
{
}

QString PhoneBookTransfer::unreachablePath() const
{
    return programFolder_ + QStringLiteral("/unreach.csv");
}

void PhoneBookTransfer::reportFileError(const QString& path)
{
    dialogs_.messageBox(strings_.text(core::ProgramText::PhoneBookFileError).arg(path), kTitle,
                        MessageIcon::Critical);
}

bool PhoneBookTransfer::importPhoneBook()
{
    const QString chosen =
        platform::stripTrailing(dialogs_.openFileName(QStringLiteral("Import From File"), programFolder_,
                                                      QStringLiteral("CSV File(*.csv);;TXT File(*.txt)")));
    if (chosen.isEmpty()) {
        return false;
    }
    if (dialogs_.messageBox(QStringLiteral("Append to the current list?"), kTitle, MessageIcon::None,
                            MessageButtons::YesNo) == MessageResult::No) {
        lists_.clear();
    }
    QFile file(chosen);
    if (!file.open(QIODevice::ReadOnly)) {
        reportFileError(chosen);
        return false;
    }
    int dropped = 0;
    for (const PhoneBookEntry& entry : parseCsv(file.readAll(), strings_.legacyEncoding())) {
        dropped += lists_.addUnsaved(entry) ? 0 : 1;
    }
    if (dropped > 0) {
        dialogs_.messageBox(
            strings_.text(core::ProgramText::PhoneBookFull).arg(PhoneBookLists::kMaxEntries).arg(dropped),
            kTitle, MessageIcon::Exclamation);
    }
    if (dialogs_.messageBox(QStringLiteral("Finish Importing!\rDo you want to save the phonebook?"), kTitle,
                            MessageIcon::None, MessageButtons::YesNo) == MessageResult::Yes &&
        !lists_.save()) {
        reportFileError(QStringLiteral("PhoneBook.txt"));
    }
    return true;
}

bool PhoneBookTransfer::exportPhoneBook()
{
    QString chosen = platform::stripTrailing(dialogs_.saveFileName(
        QStringLiteral("Export To File"), programFolder_, QStringLiteral("CSV File(*.csv)")));
    if (chosen.isEmpty()) {
        return false;
    }
    if (!chosen.endsWith(QStringLiteral("csv"), Qt::CaseSensitive)) {
        chosen += QStringLiteral(".csv");
    }
    QSaveFile file(chosen);
    if (!file.open(QIODevice::WriteOnly)) {
        reportFileError(chosen);
        return false;
    }
    if (lists_.count() == 0) {
        file.commit(); // the chosen file is left empty, as asked
        dialogs_.messageBox(QStringLiteral("There no record in your phonebook!"), kTitle,
                            MessageIcon::Critical);
        return false;
    }
    const QByteArray bytes = toCsv(lists_.entries());
    if (file.write(bytes) != bytes.size() || !file.commit()) {
        reportFileError(chosen);
        return false;
    }
    dialogs_.messageBox(QStringLiteral("Finish"), kTitle, MessageIcon::Information);
    return true;
}

bool PhoneBookTransfer::appendUnreachable(int index)
{
    if (index < 0 || index >= lists_.count() || lists_.at(index).telephone.isEmpty()) {
        return false;
    }
    const PhoneBookEntry entry = lists_.at(index);
    if (!lists_.addUnsaved({QStringLiteral("* ") + entry.name, entry.telephone})) {
        return false;
    }
    QFile file(unreachablePath());
    const bool existed = file.exists();
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        reportFileError(unreachablePath());
        return false;
    }
    if (!existed) {
        file.setPermissions(kPrivate);
    }
    const QByteArray line = (QStringLiteral("* ") + entry.name + QLatin1Char(',') + entry.telephone).toUtf8();
    return file.write(line + "\r\n") == line.size() + 2;
}

void PhoneBookTransfer::deleteUnreachableFile()
{
    if (QFile::exists(unreachablePath()) && QFile::remove(unreachablePath())) {
        dialogs_.messageBox(QStringLiteral("unreach.csv 文件已清空！"), kTitle, MessageIcon::Information);
    }
}

} // namespace qlnrec::phonebook

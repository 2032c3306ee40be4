#include "phonebook/phone_book_file.h"

#include <QFile>
#include <QSaveFile>

namespace qlnrec::phonebook {

namespace {
constexpr auto kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
}

PhoneBookFile::PhoneBookFile(const QString& programFolder, const PhoneBookRecordCodec& codec)
    : path_(programFolder + QStringLiteral("/PhoneBook.txt")), codec_(codec)
{
}

bool PhoneBookFile::exists() const
{
    return QFile::exists(path_);
}

bool PhoneBookFile::createIfMissing() const
{
    if (exists()) {
        return true;
    }
    QFile file(path_);
    return file.open(QIODevice::WriteOnly) && file.setPermissions(kPrivate);
}

qint64 PhoneBookFile::recordCount() const
{
    return QFile(path_).size() / kRecordBytes;
}

std::vector<PhoneBookEntry> PhoneBookFile::readRecords(int maxCount) const
{
    std::vector<PhoneBookEntry> entries;
    QFile file(path_);
    if (!file.open(QIODevice::ReadOnly)) {
        return entries;
    }
    while (static_cast<int>(entries.size()) < maxCount) {
        const QByteArray record = file.read(kRecordBytes);
        if (record.isEmpty()) {
            break;
        }
        entries.push_back(codec_.decode(record));
    }
    return entries;
}

bool PhoneBookFile::rewrite(const std::vector<PhoneBookEntry>& entries) const
{
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    file.setPermissions(kPrivate);
    for (const PhoneBookEntry& entry : entries) {
        if (file.write(codec_.encode(entry)) != kRecordBytes) {
            file.cancelWriting();
            return false;
        }
    }
    return file.commit();
}

bool PhoneBookFile::writeRecord(qint64 index, const PhoneBookEntry& entry) const
{
    if (index < 0 || index > recordCount()) {
        return false;
    }
    QFile file(path_);
    if (!file.open(QIODevice::ReadWrite)) {
        return false;
    }
    return file.seek(index * kRecordBytes) && file.write(codec_.encode(entry)) == kRecordBytes;
}

} // namespace qlnrec::phonebook

#include "phonebook/phone_book_csv.h"

#include "platform/core/text_helpers.h"

namespace qlnrec::phonebook {

QStringList splitCsvLine(const QString& line)
{
    return platform::splitCsvFields(line);
}

QString csvLine(const PhoneBookEntry& entry)
{
    return platform::csvField(platform::stripTrailing(entry.name)) + QLatin1Char(',') +
           platform::csvField(platform::stripTrailing(entry.telephone));
}

std::vector<PhoneBookEntry> parseCsv(const QByteArray& bytes, const QByteArray& legacyEncoding)
{
    std::vector<PhoneBookEntry> entries;
    for (QByteArray raw : bytes.split('\n')) {
        if (raw.endsWith('\r')) {
            raw.chop(1);
        }
        if (raw.isEmpty()) {
            continue;
        }
        const QStringList fields = splitCsvLine(platform::decodeUtf8OrLegacy(raw, legacyEncoding));
        entries.push_back(makeEntry(fields.value(0), fields.value(1)));
    }
    return entries;
}

QByteArray toCsv(const std::vector<PhoneBookEntry>& entries)
{
    QByteArray out;
    for (const PhoneBookEntry& entry : entries) {
        out += csvLine(entry).toUtf8() + "\r\n";
    }
    return out;
}

} // namespace qlnrec::phonebook

#include "phonebook/phone_book_csv.h"

#include "platform/core/text_helpers.h"

namespace qlnrec::phonebook {

namespace {

const QLatin1Char kQuote('"');
const QLatin1Char kComma(',');

QString quotedIfNeeded(const QString& field)
{
    if (!field.contains(kComma) && !field.contains(kQuote)) {
        return field;
    }
    QString doubled = field;
    doubled.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + doubled + kQuote;
}

} // namespace

QStringList splitCsvLine(const QString& line)
{
    QStringList fields;
    qsizetype i = 0;
    while (true) {
        QString field;
        if (i < line.size() && line.at(i) == kQuote) {
            // Quoted: up to the lone closing quote; text after it up to the comma is kept too.
            ++i;
            while (i < line.size()) {
                if (line.at(i) == kQuote) {
                    if (i + 1 < line.size() && line.at(i + 1) == kQuote) {
                        field += kQuote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i++);
            }
        }
        const qsizetype comma = line.indexOf(kComma, i);
        field += line.mid(i, comma < 0 ? -1 : comma - i);
        fields << field;
        if (comma < 0) {
            return fields;
        }
        i = comma + 1;
    }
}

QString csvLine(const PhoneBookEntry& entry)
{
    return quotedIfNeeded(platform::stripTrailing(entry.name)) + kComma +
           quotedIfNeeded(platform::stripTrailing(entry.telephone));
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

#pragma once
// The comma-separated form of the phone book: one "name,telephone" line per entry, CR LF, UTF-8.
// A field holding a comma or a double quote is written in double quotes with its quotes doubled,
// and read back to the same text; a plain line (no field starting with a quote) is split at every
// comma exactly as before, the third and later fields dropped.
#include "phonebook/phone_book_entry.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace qlnrec::phonebook {

// The fields of one line.
QStringList splitCsvLine(const QString& line);
// One exported line without its line end: both fields stripped of trailing blanks and NULs.
QString csvLine(const PhoneBookEntry& entry);

// Import: every line of the file as an entry, name cut to 30 and telephone to 20 characters.
// A line without a comma becomes a name with a blank telephone (nothing typed is lost); empty
// lines are skipped. Text that is not valid UTF-8 is read in the legacy code page.
std::vector<PhoneBookEntry> parseCsv(const QByteArray& bytes, const QByteArray& legacyEncoding);
QByteArray toCsv(const std::vector<PhoneBookEntry>& entries);

} // namespace qlnrec::phonebook

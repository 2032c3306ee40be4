#pragma once
// Small conversions the whole program shares, so every subsystem reads numbers, rounds and
// formats the same way.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>

namespace qlnrec::platform {

// Lenient number: the leading numeric part after leading blanks ("12abc" -> 12, " 7" -> 7,
// "-3.5x" -> -3.5, "abc" -> 0). Hexadecimal and exponents are not read.
double leadingNumber(const QString& text);

// Round half to even ("banker's rounding"), as the program's integer conversions do.
std::int64_t roundHalfEven(double value);

// Decimal text with a blank in front of non-negative numbers (3 -> " 3", -3 -> "-3").
QString numberWithSignBlank(std::int64_t value);

// Time of day as the status lines show it: 24-hour "hh:mm:ss".
QString timeOfDayText(const QTime& time);

// Upper-case hexadecimal without leading zeros (0x80000048 -> "80000048").
QString hexUpper(std::uint32_t value);

// Removes trailing blanks and NUL characters.
QString stripTrailing(const QString& text);

// Makes untrusted text (caller ID, typed names) safe for a file name: path separators, the
// characters * ? < > | " and every control character become "@", and ".." becomes "@@".
QString safeFileNamePart(const QString& text);

// Every control character (line breaks, tabs, NUL) as a blank, so text from outside can never
// split or forge a line of a log or list.
QString blankControls(QString text);

// Text of bytes from a file or a device: UTF-8 when they are valid UTF-8, otherwise the named
// legacy code page ("windows-1252", "GB18030", "Big5"; Latin-1 when Qt does not know it).
QString decodeUtf8OrLegacy(const QByteArray& bytes, const QByteArray& legacyEncoding);

// The fields of one comma-separated line. A field starting with a double quote runs to the lone
// closing quote ("" inside is one quote), and text after it up to the comma is kept too; other
// fields end at the next comma.
QStringList splitCsvFields(const QString& line);
// A field as a comma-separated line writes it: in double quotes, its quotes doubled, when it holds
// a comma or a quote; as it is otherwise.
QString csvField(const QString& field);

} // namespace qlnrec::platform

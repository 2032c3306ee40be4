#pragma once
// Small conversions the whole program shares, so every subsystem reads numbers, rounds and
// formats the same way.
#include <QDateTime>
#include <QString>

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

}  // namespace qlnrec::platform

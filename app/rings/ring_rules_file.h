#pragma once
// Rings.txt in the program folder: one ring rule a line, CR LF, UTF-8 (a file from the original
// platform in its legacy code page still reads, the rules are plain ASCII). Fixed layout:
//   character 1       rings to answer, one digit
//   2                 ","
//   3..10             start "hh:mm:ss"
//   11                "-"
//   12..19            end "hh:mm:ss"
//   20..              "," + day digit (1 Sunday .. 7 Saturday) for each chosen day, ascending
// The rule list shows each line with day names in place of the digits.
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace qlnrec::app {

// The layout of one rule line and its list form.
namespace ring_rule_layout {

inline constexpr int kFixedLength = 19; // rings, start and end: everything before the days
inline constexpr int kDays = 7;
// Day names of the list, index 0 for day digit 1 (Sunday).
inline constexpr std::array<const char*, kDays> kDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// "3,08:00:00-17:30:00,2,3" -> "3,08:00:00-17:30:00,Mon,Tue".
QString listForm(const QString& fileLine);
// The reverse, as a deleted entry's neighbours are written back: day names become their digits
// in ascending order.
QString fileLine(const QString& listEntry);

} // namespace ring_rule_layout

class RingRulesFile {
public:
    // programFolder without a trailing "/".
    explicit RingRulesFile(const QString& programFolder);

    QString path() const { return path_; }
    bool exists() const;
    // Every line of the file; nullopt when it does not exist or cannot be read.
    std::optional<QStringList> readLines() const;
    // Appends one rule line (the file is created, private to the user, when missing).
    bool appendLine(const QString& line);
    // Replaces the whole file with these lines; the old file stays whole if writing fails.
    bool rewrite(const QStringList& lines);

private:
    QString path_;
};

} // namespace qlnrec::app

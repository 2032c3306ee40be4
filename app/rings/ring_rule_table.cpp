#include "app/rings/ring_rule_table.h"

#include <QRegularExpression>

namespace qlnrec::app {

bool RingRule::appliesAt(int weekday, const QTime& time) const
{
    if (!rings || !days.contains(QString::number(weekday))) {
        return false;
    }
    if (start < end) {
        return start < time && time < end;
    }
    return time > start || time < end;
}

QList<RingRuleTable::DamagedLine> RingRuleTable::LoadRingRuleTable(const QStringList& lines)
{
    QList<DamagedLine> damaged;
    const int count = std::min(static_cast<int>(lines.size()), kSlots);
    for (int n = 0; n < count; ++n) {
        const QString& line = lines[n];
        RingRule& rule = slots_[static_cast<std::size_t>(n)];
        QStringList bad;
        const QChar first = line.isEmpty() ? QChar() : line[0];
        if (first >= QLatin1Char('0') && first <= QLatin1Char('9')) {
            rule.rings = first.digitValue();
        } else {
            bad << QStringLiteral("rings");
        }
        if (const auto start = timeValue(line.mid(2, 8))) {
            rule.start = *start;
        } else {
            bad << QStringLiteral("start");
        }
        if (const auto end = timeValue(line.mid(11, 8))) {
            rule.end = *end;
        } else {
            bad << QStringLiteral("end");
        }
        rule.days = line.mid(19);
        if (!bad.isEmpty()) {
            damaged.append(DamagedLine{n + 1, bad});
        }
    }
    return damaged;
}

std::optional<std::int32_t> RingRuleTable::FindRingRule(const QDateTime& now) const
{
    const int weekday = weekdayNumber(now.date());
    const QTime time(now.time().hour(), now.time().minute(), now.time().second());
    for (const RingRule& rule : slots_) {
        if (rule.appliesAt(weekday, time)) {
            return rule.rings;
        }
    }
    return std::nullopt;
}

int RingRuleTable::weekdayNumber(const QDate& date)
{
    return date.dayOfWeek() % 7 + 1; // Qt counts Monday 1 .. Sunday 7
}

std::optional<QTime> RingRuleTable::timeValue(const QString& text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^\\s*([0-9]{1,2}):([0-9]{1,2})(?::([0-9]{1,2}))?\\s*$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QTime time(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!time.isValid()) {
        return std::nullopt;
    }
    return time;
}

} // namespace qlnrec::app

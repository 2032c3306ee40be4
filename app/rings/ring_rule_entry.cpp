#include "app/rings/ring_rule_entry.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"

#include <QRegularExpression>

namespace qlnrec::app {

namespace {
using Field = RingRuleEntry::Field;

bool isHour(Field field)
{
    return field == Field::StartHour || field == Field::EndHour;
}

// One or two digits within 0..limit.
bool numberUpTo(const QString& text, int limit)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,2}$"));
    return digits.match(text).hasMatch() && text.toInt() <= limit;
}

QString timeText(const QString& hour, const QString& minute)
{
    return QStringLiteral("%1:%2:00")
        .arg(hour.toInt(), 2, 10, QLatin1Char('0'))
        .arg(minute.toInt(), 2, 10, QLatin1Char('0'));
}
} // namespace

const QString RingRuleEntry::kMissingTimeText = QStringLiteral("Please Input 'HH:MM'");

const QString& RingRuleEntry::text(Field field) const
{
    switch (field) {
    case Field::Rings:
        return fields_.rings;
    case Field::StartHour:
        return fields_.startHour;
    case Field::StartMinute:
        return fields_.startMinute;
    case Field::EndHour:
        return fields_.endHour;
    case Field::EndMinute:
        break;
    }
    return fields_.endMinute;
}

bool RingRuleEntry::mayLeave(Field field) const
{
    const QString& value = text(field);
    if (field == Field::Rings || value.isEmpty()) {
        return true;
    }
    return numberUpTo(value, isHour(field) ? 23 : 59);
}

std::optional<RingRuleEntry::Field> RingRuleEntry::ok()
{
    for (Field field : kTimeFields) {
        if (text(field).isEmpty()) {
            message(kMissingTimeText);
            return field;
        }
    }
    for (Field field : kTimeFields) {
        if (!mayLeave(field)) {
            return field;
        }
    }
    // One digit keeps the fixed layout of the line.
    if (!numberUpTo(fields_.rings, 9) || fields_.rings.size() != 1) {
        message(strings_.text(core::ProgramText::RingsMissingRings));
        return Field::Rings;
    }
    if (!file_.appendLine(ruleLine(fields_))) {
        message(strings_.text(core::ProgramText::RingsRuleNotWritten));
        return Field::Rings;
    }
    return std::nullopt;
}

QString RingRuleEntry::ruleLine(const Fields& fields)
{
    QString line = fields.rings + QLatin1Char(',') + timeText(fields.startHour, fields.startMinute) +
                   QLatin1Char('-') + timeText(fields.endHour, fields.endMinute);
    for (int day = 1; day <= ring_rule_layout::kDays; ++day) {
        if (fields.days[static_cast<std::size_t>(day - 1)]) {
            line += QLatin1Char(',') + QString::number(day);
        }
    }
    return line;
}

void RingRuleEntry::message(const QString& text)
{
    dialogs_.messageBox(text, QLatin1String(kMessageTitle), platform::MessageIcon::Information);
}

} // namespace qlnrec::app

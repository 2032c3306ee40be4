#pragma once
// The ring rules in force for a run: 20 slots filled once at start from Rings.txt, line n into
// slot n. A call offered while a rule holds (its weekday, strictly inside its hours) is answered on
// that rule's ring count; the first rule that holds wins.
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

#include <array>
#include <cstdint>
#include <optional>

namespace qlnrec::app {

struct RingRule {
    // Empty while no readable ring count was loaded: such a rule never applies, so a damaged
    // line cannot silently stop calls being answered.
    std::optional<std::int32_t> rings;
    QTime start{0, 0}; // time of day, whole seconds
    QTime end{0, 0};
    QString days; // contains the day digits 1 (Sunday) .. 7 (Saturday); empty never matches

    // Whether the rule holds at this weekday (1 Sunday .. 7 Saturday) and time of day. A period
    // whose start is not before its end runs over midnight.
    bool appliesAt(int weekday, const QTime& time) const;
};

class RingRuleTable {
public:
    static constexpr int kSlots = 20;

    // A line whose fields could not all be read: its number (1 = first line) and the fields.
    struct DamagedLine {
        int lineNumber;
        QStringList fields;
    };

    // Fills slot n from line n; lines after the twentieth fill nothing. A field that does not
    // read at its fixed place keeps the slot's previous value; the others still count.
    QList<DamagedLine> LoadRingRuleTable(const QStringList& lines);

    // The ring count of the first rule that holds at `now`.
    std::optional<std::int32_t> FindRingRule(const QDateTime& now) const;

    const RingRule& slot(int index) const { return slots_.at(static_cast<std::size_t>(index)); }

    // The weekday number the rules use: 1 Sunday .. 7 Saturday.
    static int weekdayNumber(const QDate& date);
    // "hh:mm:ss" (hours 0..23, one or two digits each, seconds optional); nullopt otherwise.
    static std::optional<QTime> timeValue(const QString& text);

private:
    std::array<RingRule, kSlots> slots_{};
};

} // namespace qlnrec::app

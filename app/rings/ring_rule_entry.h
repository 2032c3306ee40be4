#pragma once
// What the rule entry dialog (frmSetTime) checks and writes: rings, start and end as hour and
// minute fields, and the days. OK appends the rule to Rings.txt.
#include "app/rings/ring_rules_file.h"

#include <QString>

#include <array>
#include <optional>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::app {

class RingRuleEntry {
public:
    // Text1 rings; Text2/Text3 start hour and minute; Text4/Text5 end hour and minute.
    enum class Field { Rings, StartHour, StartMinute, EndHour, EndMinute };
    static constexpr std::array<Field, 4> kTimeFields{Field::StartHour, Field::StartMinute, Field::EndHour,
                                                      Field::EndMinute};

    struct Fields {
        QString rings;
        QString startHour;
        QString startMinute;
        QString endHour;
        QString endMinute;
        std::array<bool, ring_rule_layout::kDays> days{}; // index 0 Sunday .. 6 Saturday
    };

    static constexpr const char* kMessageTitle = "Quillon";
    static const QString kMissingTimeText; // "Please Input 'HH:MM'"

    RingRuleEntry(RingRulesFile& file, platform::DialogService& dialogs, const core::Strings& strings)
        : file_(file), dialogs_(dialogs), strings_(strings)
    {
    }

    Fields& fields() { return fields_; }

    // The check on leaving an hour or minute field: false (the focus stays) for a value outside
    // 0..23 or 0..59, or text that is not a number. An empty field may be left.
    bool mayLeave(Field field) const;

    // OK: on success the rule is appended and nullopt returned (the dialog closes); otherwise
    // the field that needs the user, after any message.
    std::optional<Field> ok();

    // The file line for fields that passed the checks.
    static QString ruleLine(const Fields& fields);

private:
    const QString& text(Field field) const;
    void message(const QString& text);

    RingRulesFile& file_;
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
    Fields fields_;
};

} // namespace qlnrec::app

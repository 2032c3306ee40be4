#include "app/rings/ring_rules.h"

#include "core/strings.h"
#include "platform/core/event_service.h"

namespace qlnrec::app {

RingRules::RingRules(platform::EventService& events, const QString& programFolder,
                     const core::Strings& strings, std::function<void(const QString&)> addStatusLine)
    : events_(events), strings_(strings), file_(programFolder), addStatusLine_(std::move(addStatusLine))
{
}

void RingRules::LoadRingRuleTable()
{
    const std::optional<QStringList> lines = file_.readLines();
    if (!lines) {
        return;
    }
    for (const RingRuleTable::DamagedLine& damaged : table_.LoadRingRuleTable(*lines)) {
        if (addStatusLine_) {
            addStatusLine_(strings_.text(core::ProgramText::RingsLineUnreadable)
                               .arg(damaged.lineNumber)
                               .arg(damaged.fields.join(QStringLiteral(", "))));
        }
    }
}

void RingRules::findRingRule(std::int32_t& ringsToAnswer)
{
    if (const std::optional<std::int32_t> rings = table_.FindRingRule(events_.currentDateTime())) {
        ringsToAnswer = *rings;
    }
}

} // namespace qlnrec::app

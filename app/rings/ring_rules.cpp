#include "app/rings/ring_rules.h"

#include "platform/core/event_service.h"

namespace qlnrec::app {

RingRules::RingRules(platform::EventService& events, const QString& programFolder,
                     std::function<void(const QString&)> addStatusLine)
    : events_(events), file_(programFolder), addStatusLine_(std::move(addStatusLine))
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
            addStatusLine_(QStringLiteral("Rings.txt line %1 unreadable: %2")
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

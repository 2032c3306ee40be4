#pragma once
// The ring rules of a run: Rings.txt is read into the rule table once, at start, and every
// offered call asks the table whether a rule holds now. Rules added or deleted in the dialogs take
// effect at the next start.
#include "app/rings/ring_rule_table.h"
#include "app/rings/ring_rules_file.h"
#include "telephony/call_flow_roles.h"

#include <QString>

#include <functional>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class EventService;
}

namespace qlnrec::app {

class RingRules final : public telephony::RingRulesRole {
public:
    // addStatusLine reports a damaged line of the file.
    RingRules(platform::EventService& events, const QString& programFolder, const core::Strings& strings,
              std::function<void(const QString&)> addStatusLine);

    // Reads Rings.txt into the table; a missing file leaves it empty.
    void LoadRingRuleTable();
    // The first rule that holds now replaces ringsToAnswer; with none it stays as it is.
    void findRingRule(std::int32_t& ringsToAnswer) override;

    RingRulesFile& file() { return file_; }
    const RingRuleTable& table() const { return table_; }

private:
    platform::EventService& events_;
    const core::Strings& strings_;
    RingRulesFile file_;
    RingRuleTable table_;
    std::function<void(const QString&)> addStatusLine_;
};

} // namespace qlnrec::app

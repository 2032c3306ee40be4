#pragma once
// The block list and the screening rules as the blocking decision asks them: an allow rule wins,
// then a block rule, then the block list (whose status line stays as it always was). Also how
// both travel as one CSV file: "action,pattern,label" lines, where the action "number" is an own
// block-list number, "public" a public-list number, and "block" or "allow" a rule.
#include "blocklist/block_list.h"
#include "blocklist/screening_rules.h"
#include "telephony/call_flow_roles.h"

#include <QByteArray>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::blocklist {

class CallScreening final : public telephony::BlockListLookupRole {
public:
    CallScreening(const BlockList& list, const ScreeningRules& rules) : list_(list), rules_(rules) {}

    bool contains(const QString& number) const override { return list_.contains(number); }
    telephony::ScreeningVerdict screen(const QString& number) const override;

    // What decides a number, in words of the language, for the test box of the black list window.
    QString explain(const QString& number, const core::Strings& strings) const;

private:
    const BlockList& list_;
    const ScreeningRules& rules_;
};

struct ScreeningImport {
    int numbers = 0;
    int rules = 0;
    QStringList problems; // "line 4: ..." for each line not taken
    bool written = true;
};

// The CSV form of the block list (table order) and the rules.
QByteArray screeningCsv(const BlockList& list, const ScreeningRules& rules);
// Adds what the CSV holds behind what is there; a header line and empty lines are skipped, a bad
// line is named in problems (in the language of strings) and skipped. Numbers beyond the block
// list's room are refused.
ScreeningImport importScreeningCsv(const QByteArray& bytes, BlockList& list, ScreeningRules& rules,
                                   const core::Strings& strings);

} // namespace qlnrec::blocklist

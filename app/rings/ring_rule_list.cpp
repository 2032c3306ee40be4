#include "app/rings/ring_rule_list.h"

namespace qlnrec::app {

void RingRuleList::FillRingRuleList()
{
    const std::optional<QStringList> lines = file_.readLines();
    if (!lines) {
        return;
    }
    entries_.clear();
    for (const QString& line : *lines) {
        entries_.append(ring_rule_layout::listForm(line));
    }
}

RingRuleList::DeleteResult RingRuleList::deleteEntry(int index)
{
    if (index < 0 || index >= entries_.size()) {
        return DeleteResult::NothingSelected;
    }
    entries_.removeAt(index);
    QStringList lines;
    for (const QString& entry : entries_) {
        lines.append(ring_rule_layout::fileLine(entry));
    }
    if (!file_.rewrite(lines)) {
        FillRingRuleList();
        return DeleteResult::NotWritten;
    }
    return DeleteResult::Deleted;
}

} // namespace qlnrec::app

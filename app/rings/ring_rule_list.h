#pragma once
// What the rule list dialog (frmSetRings) shows and does: the lines of Rings.txt in their list
// form, and deleting one, after which the file is written again from the list.
#include "app/rings/ring_rules_file.h"

#include <QStringList>

namespace qlnrec::app {

class RingRuleList {
public:
    explicit RingRuleList(RingRulesFile& file) : file_(file) {}

    // Refills the entries from the file. Without a file the entries stay as they are.
    void FillRingRuleList();
    const QStringList& entries() const { return entries_; }

    enum class DeleteResult { Deleted, NothingSelected, NotWritten };
    // Removes entry `index` (-1: none selected) and writes the remaining entries to the file.
    // When the file cannot be written it keeps its rules and the entries show them again.
    DeleteResult deleteEntry(int index);

private:
    RingRulesFile& file_;
    QStringList entries_;
};

} // namespace qlnrec::app

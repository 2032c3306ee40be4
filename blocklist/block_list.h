#pragma once
// The block list: public.tel in the program folder and the table BlockNumbers.
//
// public.tel is a flat run of 8-byte little-endian IEEE doubles, no header: each the telephone
// number as a number, positive for an own entry, negative for one taken from the public
// telemarketing list (its magnitude is the number). A 0 ends the list when loading; no writer
// here ever writes one, and nothing is written that a load could not see again (no gap, no
// record past the 50,000th).
#include "telephony/call_flow_roles.h"

#include <QString>
#include <QStringList>

#include <array>

namespace qlnrec::blocklist {

class BlockList final : public telephony::BlockListLookupRole {
public:
    static constexpr int kMaxNumbers = 50000;
    static constexpr int kRecordBytes = 8;

    explicit BlockList(const QString& programFolder);

    QString path() const { return path_; }

    // LoadBlockList: the file (created empty when missing) into the table, up to its first 0 and
    // at most kMaxNumbers numbers, then the end mark.
    void load();
    // RewriteBlockList: the file becomes one record per line, the numeric value of each line;
    // lines whose value is 0 are left out (a 0 would hide every later number). Then loads.
    bool rewrite(const QStringList& lines);
    // AppendBlockNumber: one record behind the file's last record (the dialog's list count + 1
    // names the same place while the list mirrors the file; a different position is not used, so
    // no record is overwritten and no gap of zeros appears). Refused for 0 and when the list is
    // full. Then loads.
    bool append(double value);

    // Entries 0..kMaxNumbers: the numbers, then a 0.
    double entry(int index) const { return numbers_.at(static_cast<std::size_t>(index)); }
    int count() const { return count_; }

    // Whether number (trimmed) is the decimal text of an entry's magnitude.
    bool contains(const QString& number) const override;

    // An entry as the dialog shows it: decimal integer text, "-" for a public-list entry.
    static QString entryText(double value);

private:
    qint64 recordCount() const;

    QString path_;
    std::array<double, kMaxNumbers + 1> numbers_{};
    int count_ = 0;
};

} // namespace qlnrec::blocklist

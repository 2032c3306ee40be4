#pragma once
// PhoneBook.txt: one 128-byte record per entry, in list order, no header.
#include "phonebook/phone_book_entry.h"

#include <QString>

#include <vector>

namespace qlnrec::phonebook {

class PhoneBookFile {
public:
    PhoneBookFile(const QString& programFolder, const PhoneBookRecordCodec& codec);

    QString path() const { return path_; }
    bool exists() const;
    bool createIfMissing() const;
    // Whole records in the file.
    qint64 recordCount() const;
    // Records 1..maxCount in order, each decoded; records past the end are not returned.
    std::vector<PhoneBookEntry> readRecords(int maxCount) const;
    // Replaces the file: written to a temporary file beside it and renamed over it, so a failed
    // write leaves the old phone book whole.
    bool rewrite(const std::vector<PhoneBookEntry>& entries) const;
    // Writes one record at index (0-based) in place; index must not lie past the end.
    bool writeRecord(qint64 index, const PhoneBookEntry& entry) const;
    // The entry as a record of this file holds it (a field cut at its byte width), so the lists
    // show what a reload will show.
    PhoneBookEntry asStored(const PhoneBookEntry& entry) const { return codec_.decode(codec_.encode(entry)); }

private:
    QString path_;
    const PhoneBookRecordCodec& codec_;
};

} // namespace qlnrec::phonebook

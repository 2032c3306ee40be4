#include "phonebook/phone_book_table.h"

#include "phonebook/phone_book_file.h"
#include "platform/core/text_helpers.h"

namespace qlnrec::phonebook {

void PhoneBookTable::load(const PhoneBookFile& file)
{
    if (!file.exists()) {
        return;
    }
    const std::vector<PhoneBookEntry> records = file.readRecords(kEntries);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        entries_[i] = i < records.size() ? records[i] : PhoneBookEntry{};
    }
}

std::optional<QString> PhoneBookTable::nameFor(const QString& number) const
{
    // An empty entry never stands for a caller without a number.
    if (number.isEmpty()) {
        return std::nullopt;
    }
    for (const PhoneBookEntry& entry : entries_) {
        if (!entry.isEmpty() && entry.telephone.trimmed() == number) {
            return platform::stripTrailing(entry.name);
        }
    }
    return std::nullopt;
}

} // namespace qlnrec::phonebook

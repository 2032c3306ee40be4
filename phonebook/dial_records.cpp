#include "phonebook/dial_records.h"

#include "core/config_store.h"

namespace qlnrec::phonebook {

void DialRecords::push(core::ListSection list, const QString& number)
{
    QStringList numbersNow = numbers(list);
    if (numbersNow.size() >= kSlots) {
        numbersNow = numbersNow.mid(numbersNow.size() - kSlots + 1); // the oldest goes
    }
    numbersNow << number;
    for (int k = 1; k <= static_cast<int>(numbersNow.size()); ++k) {
        config_.save(core::listEntry(list, k), numbersNow.at(k - 1));
    }
}

QStringList DialRecords::numbers(core::ListSection list) const
{
    QStringList filled;
    for (int k = 1; k <= kSlots; ++k) {
        const QString value = config_.get(core::listEntry(list, k));
        if (!value.isEmpty()) {
            filled << value;
        }
    }
    return filled;
}

} // namespace qlnrec::phonebook

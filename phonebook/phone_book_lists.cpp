#include "phonebook/phone_book_lists.h"

namespace qlnrec::phonebook {

PhoneBookLists::PhoneBookLists(const PhoneBookFile& file) : file_(file) {}

void PhoneBookLists::load()
{
    file_.createIfMissing();
    entries_.clear();
    for (PhoneBookEntry& entry : file_.readRecords(kMaxEntries)) {
        if (entry.isEmpty()) {
            break;
        }
        entries_.push_back(std::move(entry));
    }
    savedCount_ = count();
}

bool PhoneBookLists::save()
{
    if (!file_.rewrite(entries_)) {
        return false;
    }
    savedCount_ = count();
    return true;
}

bool PhoneBookLists::append(const PhoneBookEntry& entry)
{
    if (!addUnsaved(entry)) {
        return false;
    }
    // The new record lands right behind the file's last one only when the file holds the lists.
    if (savedCount_ == count() - 1 && file_.recordCount() == savedCount_ &&
        file_.writeRecord(savedCount_, entries_.back())) {
        savedCount_ = count();
        return true;
    }
    return save();
}

bool PhoneBookLists::update(int index, const PhoneBookEntry& entry)
{
    if (index < 0 || index >= count()) {
        return false;
    }
    // Fitted again: an entry with an empty telephone would write an end-of-list record.
    const PhoneBookEntry fitted = file_.asStored(makeEntry(entry.name, entry.telephone));
    entries_[static_cast<std::size_t>(index)] = fitted;
    if (index < savedCount_ && file_.writeRecord(index, fitted)) {
        return true;
    }
    return save();
}

bool PhoneBookLists::removeAndSave(int index)
{
    if (index < 0 || index >= count()) {
        return false;
    }
    entries_.erase(entries_.begin() + index);
    return save();
}

bool PhoneBookLists::addUnsaved(const PhoneBookEntry& entry)
{
    if (isFull()) {
        return false;
    }
    entries_.push_back(file_.asStored(makeEntry(entry.name, entry.telephone)));
    return true;
}

} // namespace qlnrec::phonebook

#pragma once
// The dial window's working copy of the phone book (the lists lstPBName and lstPBTele, item i of
// both being one entry). Every edit goes through it and the file follows.
//
// The lists may hold entries the file lacks (an import not saved, a copy for unreach.csv); the
// file is then shorter than the lists, and an add or edit that would write behind the file's end
// saves the whole list instead, so no empty record ever ends the list early. The lists never grow
// past kMaxEntries, the most a load reads, so a save never drops entries a load could not see.
#include "phonebook/phone_book_entry.h"
#include "phonebook/phone_book_file.h"

#include <vector>

namespace qlnrec::phonebook {

class PhoneBookLists {
public:
    static constexpr int kMaxEntries = 10000;

    explicit PhoneBookLists(const PhoneBookFile& file);

    // LoadPhoneBookLists: the file (created empty when missing) up to its first empty entry.
    void load();
    // SavePhoneBook: the file becomes the lists.
    bool save();
    // AppendPhoneBookEntry: false when the lists are full or the file cannot be written.
    bool append(const PhoneBookEntry& entry);
    // UpdatePhoneBookEntry.
    bool update(int index, const PhoneBookEntry& entry);
    // A delete in the dial or search window: the entry leaves the lists and the file is saved.
    bool removeAndSave(int index);

    // Adds to the lists only (an import, a copy); false when the lists are full.
    bool addUnsaved(const PhoneBookEntry& entry);
    void clear() { entries_.clear(); }

    int count() const { return static_cast<int>(entries_.size()); }
    bool isFull() const { return count() >= kMaxEntries; }
    const PhoneBookEntry& at(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    const std::vector<PhoneBookEntry>& entries() const { return entries_; }

private:
    const PhoneBookFile& file_;
    std::vector<PhoneBookEntry> entries_;
    // Leading entries of the lists that the file holds as they are.
    int savedCount_ = 0;
};

} // namespace qlnrec::phonebook

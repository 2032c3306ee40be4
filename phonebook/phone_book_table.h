#pragma once
// The start-up table the caller-ID handling searches: records 1..3000 of PhoneBook.txt, empty
// entries past the end. It is refreshed at start-up and when the dial window is left, so it may
// lag behind the lists while the dial window is open.
#include "phonebook/phone_book_entry.h"
#include "telephony/call_flow_roles.h"

#include <array>

namespace qlnrec::phonebook {

class PhoneBookFile;

class PhoneBookTable final : public telephony::PhoneBookLookupRole {
public:
    static constexpr int kEntries = 3000;

    // Does nothing when the file does not exist.
    void load(const PhoneBookFile& file);
    const PhoneBookEntry& at(int index) const { return entries_.at(static_cast<std::size_t>(index)); }

    // The first entry whose telephone, trimmed of blanks, equals number: its name without
    // trailing blanks and NULs.
    std::optional<QString> nameFor(const QString& number) const override;

private:
    std::array<PhoneBookEntry, kEntries> entries_{};
};

} // namespace qlnrec::phonebook

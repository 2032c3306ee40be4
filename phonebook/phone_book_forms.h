#pragma once
// What the add and edit forms' OK does to the phone book, without the forms: the typed texts
// fitted to their fields, then appended or written over the entry, the file following the lists.
#include "phonebook/phone_book_lists.h"

#include <QString>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::phonebook {

// The refusal of Edit and Delete without a selected entry, and the title of boxes that name none.
inline constexpr const char* kSelectAnEntry = "Please select an entry";
inline constexpr const char* kMessageTitle = "Quillon";

enum class SaveOutcome {
    Saved,
    ListsFull,  // nothing was added
    NotWritten, // the lists hold the change, the file does not (the next save writes it)
    NoEntry,    // an edit of a position the lists no longer hold
};

// frmPBAdd's OK: nothing is validated, empty fields are stored as blanks.
SaveOutcome addEntry(PhoneBookLists& lists, const QString& name, const QString& number);
// frmPBEdit's OK for the entry at index.
SaveOutcome editEntry(PhoneBookLists& lists, int index, const QString& name, const QString& number);

// What the user is told when an OK did not reach the file, in the language of strings; empty for
// Saved.
QString saveProblemText(SaveOutcome outcome, const core::Strings& strings);

} // namespace qlnrec::phonebook

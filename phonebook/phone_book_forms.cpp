#include "phonebook/phone_book_forms.h"

namespace qlnrec::phonebook {

SaveOutcome addEntry(PhoneBookLists& lists, const QString& name, const QString& number)
{
    if (lists.isFull()) {
        return SaveOutcome::ListsFull;
    }
    return lists.append(makeEntry(name, number)) ? SaveOutcome::Saved : SaveOutcome::NotWritten;
}

SaveOutcome editEntry(PhoneBookLists& lists, int index, const QString& name, const QString& number)
{
    if (index < 0 || index >= lists.count()) {
        return SaveOutcome::NoEntry;
    }
    return lists.update(index, makeEntry(name, number)) ? SaveOutcome::Saved : SaveOutcome::NotWritten;
}

QString saveProblemText(SaveOutcome outcome)
{
    switch (outcome) {
    case SaveOutcome::Saved:
        return {};
    case SaveOutcome::ListsFull:
        return QStringLiteral("The phone book is full (%1 entries); the entry was not added.")
            .arg(PhoneBookLists::kMaxEntries);
    case SaveOutcome::NotWritten:
        return QStringLiteral("PhoneBook.txt could not be written. The change is kept in the list and is "
                              "saved with the next change of the phone book.");
    case SaveOutcome::NoEntry:
        return QString::fromLatin1(kSelectAnEntry);
    }
    return {};
}

} // namespace qlnrec::phonebook

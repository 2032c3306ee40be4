#include "phonebook/phone_book_forms.h"

#include "core/strings.h"

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

QString saveProblemText(SaveOutcome outcome, const core::Strings& strings)
{
    switch (outcome) {
    case SaveOutcome::Saved:
        return {};
    case SaveOutcome::ListsFull:
        return strings.text(core::ProgramText::PhoneBookEntryListFull).arg(PhoneBookLists::kMaxEntries);
    case SaveOutcome::NotWritten:
        return strings.text(core::ProgramText::PhoneBookEntryNotWritten);
    case SaveOutcome::NoEntry:
        return QString::fromLatin1(kSelectAnEntry);
    }
    return {};
}

} // namespace qlnrec::phonebook

#include "phonebook/phone_book_search.h"

namespace qlnrec::phonebook {

std::vector<SearchHit> findInNames(const PhoneBookLists& lists, const QString& term)
{
    std::vector<SearchHit> hits;
    if (term.isEmpty()) {
        return hits;
    }
    for (int i = 0; i < lists.count(); ++i) {
        const PhoneBookEntry& entry = lists.at(i);
        if (entry.name.contains(term, Qt::CaseSensitive)) {
            hits.push_back({entry.name, entry.telephone, i});
        }
    }
    return hits;
}

PhoneBookSearchResult::PhoneBookSearchResult(PhoneBookLists& lists, const QString& term)
    : lists_(lists), hits_(findInNames(lists, term))
{
}

QString PhoneBookSearchResult::numberToDial(int row) const
{
    return isHit(row) ? hits_.at(static_cast<std::size_t>(row)).telephone.trimmed() : QString();
}

SaveOutcome PhoneBookSearchResult::remove(int row)
{
    if (!isHit(row)) {
        return SaveOutcome::NoEntry;
    }
    const SearchHit& hit = hits_.at(static_cast<std::size_t>(row));
    const int position = hit.position;
    // The hit must still name the entry it was found as, or some other entry would go.
    if (position >= lists_.count() || lists_.at(position) != PhoneBookEntry{hit.name, hit.telephone}) {
        return SaveOutcome::NoEntry;
    }
    const bool saved = lists_.removeAndSave(position);
    hits_.erase(hits_.begin() + row);
    for (SearchHit& later : hits_) {
        if (later.position > position) {
            --later.position;
        }
    }
    return saved ? SaveOutcome::Saved : SaveOutcome::NotWritten;
}

} // namespace qlnrec::phonebook

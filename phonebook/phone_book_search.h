#pragma once
// The search of the phone book by name and what its result window does, without the window: the
// hits, each with its position in the dial window's lists, and deleting a hit from the phone book
// while the positions of the other hits stay right.
#include "phonebook/phone_book_forms.h"
#include "phonebook/phone_book_lists.h"

#include <QString>

#include <vector>

namespace qlnrec::phonebook {

// Program-wide: the last term searched (the dial window shows it again when it loads) and whether
// the edit in progress was started from a result window (its OK then searches again).
struct PhoneBookSearchState {
    QString lastSearchTerm;
    bool editFromSearch = false;
};

struct SearchHit {
    QString name;      // as listed, padded
    QString telephone; // as listed, padded
    int position = 0;  // in the dial window's lists
};

// The entries whose name holds term: case-sensitive, the term as typed, blanks included; in list
// order. An empty term finds nothing.
std::vector<SearchHit> findInNames(const PhoneBookLists& lists, const QString& term);

class PhoneBookSearchResult {
public:
    PhoneBookSearchResult(PhoneBookLists& lists, const QString& term);

    const std::vector<SearchHit>& hits() const { return hits_; }
    bool isHit(int row) const { return row >= 0 && row < static_cast<int>(hits_.size()); }
    // The number a double click puts into the dial window: the hit's telephone, trimmed.
    QString numberToDial(int row) const;
    // Delete: the entry leaves the lists and the file is saved; the hit leaves the result and the
    // hits behind it move down one position. NotWritten: the entry has left the lists but the file
    // could not be written (the next save writes the lists); NoEntry: row is no hit.
    SaveOutcome remove(int row);

private:
    PhoneBookLists& lists_;
    std::vector<SearchHit> hits_;
};

} // namespace qlnrec::phonebook

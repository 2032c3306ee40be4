#pragma once
// The three lists of the main window and their title buttons (Command2 0..2): the normal layout
// and the enlarged one a title click switches to until the mouse moves over the free window area.
#include "app/twips.h"

namespace qlnrec::app {

// Indexes of the title button control array, one per list.
enum ListIndex : int { kStatusList = 0, kLastTenList = 1, kUnreadList = 2 };
inline constexpr int kListCount = 3;

struct ListPlacement {
    TwipRect title;
    TwipRect list;
    friend bool operator==(const ListPlacement&, const ListPlacement&) = default;
};

class ListLayout {
public:
    static ListPlacement normalPlacement(int index);
    static ListPlacement enlargedPlacement(int index);

    bool isEnlarged() const { return enlargedIndex_ >= 0; }
    // The enlarged list, or -1.
    int enlargedIndex() const { return enlargedIndex_; }
    // Where list index is now.
    ListPlacement placement(int index) const;

    // A title click: enlarges that list when none is enlarged. Returns whether it did.
    bool titleClicked(int index);
    // The mouse over the free window area: restores the normal layout. Returns whether it did.
    bool freeAreaMouseMove();

private:
    int enlargedIndex_ = -1;
};

} // namespace qlnrec::app

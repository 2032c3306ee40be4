#include "app/list_layout.h"

namespace qlnrec::app {

ListPlacement ListLayout::normalPlacement(int index)
{
    switch (index) {
    case kLastTenList:
        return {{525, 855, 4470, 210}, {525, 1020, 4455, 2460}};
    case kUnreadList:
        return {{525, 3495, 4470, 210}, {525, 3675, 4470, 2205}};
    default:
        return {{5050, 855, 3495, 210}, {5055, 1020, 3495, 4860}};
    }
}

ListPlacement ListLayout::enlargedPlacement(int index)
{
    return {{525, 855, 8040, 210}, {525, 1020, 8040, index == kUnreadList ? 4930 : 4860}};
}

ListPlacement ListLayout::placement(int index) const
{
    return index == enlargedIndex_ ? enlargedPlacement(index) : normalPlacement(index);
}

bool ListLayout::titleClicked(int index)
{
    if (isEnlarged() || index < 0 || index >= kListCount) {
        return false;
    }
    enlargedIndex_ = index;
    return true;
}

bool ListLayout::freeAreaMouseMove()
{
    if (!isEnlarged()) {
        return false;
    }
    enlargedIndex_ = -1;
    return true;
}

} // namespace qlnrec::app

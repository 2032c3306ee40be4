#pragma once
// The outline of the borderless main window: 67 vertices in twips, clockwise from the top-left
// corner, following the drawn front panel.
#include <QPolygon>
#include <QRegion>

#include <array>

namespace qlnrec::app {

struct TwipPoint {
    int x = 0;
    int y = 0;
};

inline constexpr int kOutlineVertexCount = 67;
// Size of the panel artwork (the window), in twips.
inline constexpr int kPanelWidthTwips = 10365;
inline constexpr int kPanelHeightTwips = 7425;

const std::array<TwipPoint, kOutlineVertexCount>& windowOutlineTwips();

// Each vertex in pixels: twips / twips-per-pixel, rounded with halves to even, then 1 added to
// both coordinates.
QPolygon buildWindowPolygon(double twipsPerPixelX, double twipsPerPixelY);
// The region of that polygon with the alternate (odd-even) fill rule.
QRegion BuildWindowRegion(double twipsPerPixelX, double twipsPerPixelY);

} // namespace qlnrec::app

// The main window's outline and the lists' enlarged and normal placements.
#include "app/list_layout.h"
#include "app/window_shape.h"

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using namespace qlnrec::app;

TEST(WindowOutline, SixtySevenClockwiseVerticesWithinTheGivenSpan)
{
    const auto& v = windowOutlineTwips();
    ASSERT_EQ(v.size(), 67U);
    const TwipPoint given[] = {{180, 30},  {3195, 30}, {3195, 45},  {3225, 45},
                               {3225, 60}, {3255, 60}, {3465, 255}, {8895, 255}};
    for (std::size_t i = 0; i < std::size(given); ++i) {
        EXPECT_EQ(v[i].x, given[i].x) << i;
        EXPECT_EQ(v[i].y, given[i].y) << i;
    }
    int minX = INT_MAX, maxX = INT_MIN, minY = INT_MAX, maxY = INT_MIN;
    long long doubleArea = 0;
    bool rightEdge = false, lowerEdge = false, leftEdge = false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        const TwipPoint a = v[i];
        const TwipPoint b = v[(i + 1) % v.size()];
        minX = std::min(minX, a.x);
        maxX = std::max(maxX, a.x);
        minY = std::min(minY, a.y);
        maxY = std::max(maxY, a.y);
        doubleArea += static_cast<long long>(a.x) * b.y - static_cast<long long>(b.x) * a.y;
        EXPECT_EQ(a.x % 15, 0) << i;
        EXPECT_EQ(a.y % 15, 0) << i;
        EXPECT_FALSE(a.x == b.x && a.y == b.y) << "repeated vertex " << i;
        rightEdge |= a.x == 10185 && a.y == 945 && b.x == 10185 && b.y == 5220;
        lowerEdge |= a.x == 7920 && a.y == 7320 && b.x == 5250 && b.y == 7320;
        leftEdge |= a.x == 105 && a.y == 6825 && b.x == 105 && b.y == 120;
    }
    EXPECT_EQ(minX, 105);
    EXPECT_EQ(maxX, 10185);
    EXPECT_EQ(minY, 30);
    EXPECT_EQ(maxY, 7320);
    // Clockwise on the screen (y grows downwards) gives a positive shoelace sum.
    EXPECT_GT(doubleArea, 0);
    EXPECT_TRUE(rightEdge);
    EXPECT_TRUE(lowerEdge);
    EXPECT_TRUE(leftEdge);
}

TEST(WindowOutline, PixelsRoundHalvesToEvenThenAddOne)
{
    const QPolygon at96 = buildWindowPolygon(15, 15);
    ASSERT_EQ(at96.size(), 67);
    EXPECT_EQ(at96[0], QPoint(13, 3));   // 180/15 + 1, 30/15 + 1
    EXPECT_EQ(at96[6], QPoint(232, 18)); // 3465/15 + 1, 255/15 + 1

    // 120 dpi: 12 twips per pixel. 30/12 = 2.5 -> 2, 3225/12 = 268.75 -> 269, 90/12 = 7.5 -> 8.
    const QPolygon at120 = buildWindowPolygon(12, 12);
    EXPECT_EQ(at120[0], QPoint(16, 3));  // 180/12 = 15
    EXPECT_EQ(at120[3], QPoint(270, 5)); // 3225/12 = 268.75 -> 269; 45/12 = 3.75 -> 4
    EXPECT_EQ(at120[61], QPoint(11, 9)); // (120, 90): 10, 7.5 -> 8
    EXPECT_EQ(at120[64], QPoint(13, 6)); // (150, 60): 12.5 -> 12, 5
    // Different horizontal and vertical factors are applied separately.
    const QPolygon mixed = buildWindowPolygon(15, 12);
    EXPECT_EQ(mixed[0], QPoint(13, 3));
}

TEST(WindowOutline, RegionCoversThePanelButNotTheCutCorners)
{
    const QRegion region = BuildWindowRegion(15, 15);
    EXPECT_TRUE(region.contains(QPoint(300, 200))); // the screen
    EXPECT_TRUE(region.contains(QPoint(100, 10)));  // the name tab
    EXPECT_TRUE(region.contains(QPoint(600, 420))); // the speaker corner
    EXPECT_FALSE(region.contains(QPoint(0, 0)));
    EXPECT_FALSE(region.contains(QPoint(400, 8)));   // beside the tab, above the top edge
    EXPECT_FALSE(region.contains(QPoint(685, 490))); // cut lower right corner
    EXPECT_FALSE(region.contains(QPoint(100, 485))); // below the lower left edge
    EXPECT_EQ(region.boundingRect(), QRect(QPoint(8, 3), QPoint(679, 488)));
}

TEST(ListLayoutTest, TitleClickEnlargesOneListUntilTheMouseMovesOverTheFreeArea)
{
    ListLayout layout;
    EXPECT_EQ(layout.placement(kLastTenList),
              (ListPlacement{{525, 855, 4470, 210}, {525, 1020, 4455, 2460}}));
    EXPECT_EQ(layout.placement(kUnreadList),
              (ListPlacement{{525, 3495, 4470, 210}, {525, 3675, 4470, 2205}}));
    EXPECT_EQ(layout.placement(kStatusList),
              (ListPlacement{{5050, 855, 3495, 210}, {5055, 1020, 3495, 4860}}));
    EXPECT_FALSE(layout.freeAreaMouseMove());

    EXPECT_TRUE(layout.titleClicked(kUnreadList));
    EXPECT_EQ(layout.placement(kUnreadList), (ListPlacement{{525, 855, 8040, 210}, {525, 1020, 8040, 4930}}));
    EXPECT_EQ(layout.placement(kStatusList), ListLayout::normalPlacement(kStatusList));
    // Another title while one list is enlarged changes nothing.
    EXPECT_FALSE(layout.titleClicked(kStatusList));
    EXPECT_EQ(layout.enlargedIndex(), kUnreadList);

    EXPECT_TRUE(layout.freeAreaMouseMove());
    EXPECT_FALSE(layout.isEnlarged());
    EXPECT_TRUE(layout.titleClicked(kStatusList));
    EXPECT_EQ(layout.placement(kStatusList), (ListPlacement{{525, 855, 8040, 210}, {525, 1020, 8040, 4860}}));
    EXPECT_FALSE(layout.titleClicked(7));
}

} // namespace
} // namespace qlnrec::test

#include "app/window_shape.h"

#include "platform/core/text_helpers.h"

namespace qlnrec::app {

const std::array<TwipPoint, kOutlineVertexCount>& windowOutlineTwips()
{
    // Top: the raised name tab on the left, a slope down to the main top edge, then the rounded
    // top-right corner. Right edge, the wide rounded corner that holds the speaker, the foot of
    // the player deck, the lower left edge and a rounded corner, the left edge and a stepped
    // top-left corner.
    static const std::array<TwipPoint, kOutlineVertexCount> outline{{
        {180, 30},     {3195, 30},    {3195, 45},    {3225, 45},    {3225, 60},    {3255, 60},
        {3465, 255},   {8895, 255},   {9045, 255},   {9210, 270},   {9345, 300},   {9495, 330},
        {9630, 375},   {9750, 435},   {9855, 480},   {9960, 555},   {10035, 630},  {10095, 705},
        {10155, 780},  {10170, 855},  {10185, 945},  {10185, 5220}, {10185, 5355}, {10170, 5490},
        {10140, 5610}, {10110, 5745}, {10080, 5865}, {10020, 6000}, {9975, 6120},  {9900, 6225},
        {9825, 6345},  {9750, 6450},  {9660, 6555},  {9570, 6660},  {9465, 6750},  {9360, 6840},
        {9255, 6915},  {9135, 6990},  {9015, 7065},  {8880, 7125},  {8760, 7170},  {8625, 7215},
        {8490, 7260},  {8340, 7290},  {8205, 7305},  {8055, 7320},  {7920, 7320},  {5250, 7320},
        {5040, 7110},  {285, 7110},   {255, 7110},   {225, 7095},   {195, 7065},   {165, 7050},
        {150, 7005},   {135, 6960},   {120, 6915},   {105, 6870},   {105, 6825},   {105, 120},
        {120, 120},    {120, 90},     {135, 90},     {135, 60},     {150, 60},     {150, 45},
        {180, 45},
    }};
    return outline;
}

QPolygon buildWindowPolygon(double twipsPerPixelX, double twipsPerPixelY)
{
    QPolygon polygon;
    polygon.reserve(kOutlineVertexCount);
    for (const TwipPoint& p : windowOutlineTwips()) {
        const int x = static_cast<int>(platform::roundHalfEven(p.x / twipsPerPixelX)) + 1;
        const int y = static_cast<int>(platform::roundHalfEven(p.y / twipsPerPixelY)) + 1;
        polygon << QPoint(x, y);
    }
    return polygon;
}

QRegion BuildWindowRegion(double twipsPerPixelX, double twipsPerPixelY)
{
    return QRegion(buildWindowPolygon(twipsPerPixelX, twipsPerPixelY), Qt::OddEvenFill);
}

} // namespace qlnrec::app

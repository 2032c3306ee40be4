#pragma once
// Twips, the unit the window layouts are given in: 1440 per inch, 15 per pixel at 96 dpi (Qt's
// logical pixel), converted with halves rounded to even like every conversion of the program.
#include "platform/core/text_helpers.h"

#include <QRect>

namespace qlnrec::app {

inline constexpr double kTwipsPerPixel = 15.0;

inline int twipsToPixels(int twips, double twipsPerPixel = kTwipsPerPixel)
{
    return static_cast<int>(platform::roundHalfEven(twips / twipsPerPixel));
}

// A rectangle given as left, top, width, height in twips.
struct TwipRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

inline QRect toPixels(const TwipRect& r)
{
    return {twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height)};
}

} // namespace qlnrec::app

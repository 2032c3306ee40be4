// The main window on a screen scaled by 2: its outline and its artwork must follow the device
// pixels, not be a stretched copy of the unscaled window.
#include "app/forms/panel_painter.h"
#include "app/window_shape.h"
#include "tests/e2e/program_rig.h"

#include <QImage>
#include <QPixmap>
#include <QRegion>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

// Read before test_main makes the QApplication, so every window of this program is on a screen of
// scale 2.
const bool kScreenScaledByTwo = [] {
    qputenv("QT_SCALE_FACTOR", "2");
    return true;
}();

// Logical pixel p of the window lies in the mask or at most two pixels from it (the rim of the
// panel is a two-pixel line along the outline, softened by antialiasing).
bool nearMask(const QRegion& mask, QPoint p)
{
    return mask.intersects(QRect(p - QPoint(2, 2), QSize(5, 5)));
}

TEST(HiDpiMainWindow, AtScaleTwoTheOutlineCoversTheArtworkAndTheArtworkIsDrawnAtDevicePixels)
{
    ASSERT_TRUE(kScreenScaledByTwo);
    ProgramRig rig(QStringLiteral("sim:1"));
    rig.start();
    app::frmMain& window = *rig.window();
    ASSERT_DOUBLE_EQ(window.devicePixelRatioF(), 2.0);

    // The mask is the outline in the window's own pixels, so the window system scales it with the
    // window: it spans the window's width and height at any scale.
    ASSERT_TRUE(window.hasWindowRegion());
    const QRegion mask = window.mask();
    EXPECT_EQ(mask, app::BuildWindowRegion(15, 15));
    EXPECT_GE(mask.boundingRect().width(), window.width() - 20);
    EXPECT_GE(mask.boundingRect().height(), window.height() - 10);

    // The window paints its panel at device pixels: the grab of the window is twice its size and,
    // where no control covers the panel (the name tab and the title), pixel for pixel the panel
    // drawn at ratio 2, which is plainly not the panel drawn at ratio 1 and stretched.
    const QImage shown = window.grab().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage sharp = app::renderPanel(2.0).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage stretched = app::renderPanel(1.0)
                                 .toImage()
                                 .scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_EQ(shown.size(), window.size() * 2);
    ASSERT_EQ(sharp.size(), shown.size());
    const QRect titleArea(2 * 8, 2 * 4, 2 * 300, 2 * 40);
    int unlikeSharp = 0;
    int unlikeStretched = 0;
    for (int y = titleArea.top(); y <= titleArea.bottom(); ++y) {
        for (int x = titleArea.left(); x <= titleArea.right(); ++x) {
            if (qAlpha(sharp.pixel(x, y)) < 255) {
                continue; // the window's background shows through the panel's edge
            }
            unlikeSharp += shown.pixel(x, y) != sharp.pixel(x, y);
            unlikeStretched += shown.pixel(x, y) != stretched.pixel(x, y);
        }
    }
    EXPECT_EQ(unlikeSharp, 0);
    EXPECT_GT(unlikeStretched, titleArea.width() * titleArea.height() / 20);

    // Mask and artwork agree at device pixels: no see-through pixel inside the outline, and no
    // drawn pixel beyond its edge.
    int holes = 0;
    int spills = 0;
    for (int y = 0; y < sharp.height(); ++y) {
        for (int x = 0; x < sharp.width(); ++x) {
            const QPoint logical(x / 2, y / 2);
            const int alpha = qAlpha(sharp.pixel(x, y));
            const bool inside = mask.contains(logical);
            const bool deepInside =
                inside && mask.contains(logical + QPoint(1, 0)) && mask.contains(logical - QPoint(1, 0)) &&
                mask.contains(logical + QPoint(0, 1)) && mask.contains(logical - QPoint(0, 1));
            holes += deepInside && alpha < 255;
            spills += !inside && alpha > 0 && !nearMask(mask, logical);
        }
    }
    EXPECT_EQ(holes, 0);
    EXPECT_EQ(spills, 0);
}

} // namespace
} // namespace qlnrec::test

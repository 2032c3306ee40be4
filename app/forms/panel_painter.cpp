#include "app/forms/panel_painter.h"

#include "app/forms/main_layout.h"
#include "app/twips.h"
#include "app/window_shape.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace qlnrec::app {

namespace {

QPainterPath outlinePath()
{
    QPainterPath path;
    path.addPolygon(QPolygonF(buildWindowPolygon(kTwipsPerPixel, kTwipsPerPixel)));
    path.closeSubpath();
    return path;
}

// A recessed well around a key or plate: dark inside, a light lip at the bottom edge.
void drawWell(QPainter& p, const QRectF& r, qreal radius)
{
    QPainterPath well;
    well.addRoundedRect(r, radius, radius);
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(10, 12, 14));
    g.setColorAt(1, QColor(34, 38, 43));
    p.fillPath(well, g);
    p.setPen(QPen(QColor(255, 255, 255, 38), 1));
    p.drawLine(r.bottomLeft() + QPointF(radius, 0.5), r.bottomRight() + QPointF(-radius, 0.5));
    p.setPen(QPen(QColor(0, 0, 0, 160), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(well);
}

void drawScrew(QPainter& p, QPointF c)
{
    QRadialGradient g(c - QPointF(1.2, 1.2), 5);
    g.setColorAt(0, QColor(200, 205, 212));
    g.setColorAt(1, QColor(70, 75, 82));
    p.setPen(QPen(QColor(15, 17, 19), 0.8));
    p.setBrush(g);
    p.drawEllipse(c, 3.6, 3.6);
    p.setPen(QPen(QColor(30, 33, 37), 1.0));
    p.drawLine(c + QPointF(-2.2, 1.0), c + QPointF(2.2, -1.0));
}

void drawBody(QPainter& p, const QPainterPath& outline)
{
    QLinearGradient body(0, 0, 0, 495);
    body.setColorAt(0.0, QColor(84, 90, 99));
    body.setColorAt(0.12, QColor(62, 67, 75));
    body.setColorAt(0.75, QColor(40, 44, 50));
    body.setColorAt(1.0, QColor(26, 29, 33));
    p.fillPath(outline, body);

    // A soft sheen across the upper left, as light from a desk lamp.
    QRadialGradient sheen(QPointF(180, 40), 420);
    sheen.setColorAt(0, QColor(255, 255, 255, 34));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(outline, sheen);

    // Edges: a dark rim, and a light bevel just inside it.
    p.setPen(QPen(QColor(8, 9, 11), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outline);
    p.save();
    p.setClipPath(outline);
    p.translate(1.5, 1.5);
    p.setPen(QPen(QColor(170, 178, 188, 90), 1.2));
    p.drawPath(outline);
    p.restore();
}

void drawNameTab(QPainter& p)
{
    QPolygonF tab;
    tab << QPointF(13, 4) << QPointF(214, 4) << QPointF(216, 5.5) << QPointF(230, 18) << QPointF(8, 18)
        << QPointF(8, 9);
    QLinearGradient g(0, 4, 0, 18);
    g.setColorAt(0, QColor(226, 230, 235));
    g.setColorAt(0.5, QColor(178, 185, 194));
    g.setColorAt(1, QColor(132, 139, 148));
    p.setPen(QPen(QColor(40, 44, 50), 0.8));
    p.setBrush(g);
    p.drawPolygon(tab);
    // Brushed metal: fine horizontal streaks.
    p.save();
    QPainterPath clip;
    clip.addPolygon(tab);
    p.setClipPath(clip);
    for (int y = 5; y < 18; y += 2) {
        p.setPen(QPen(QColor(255, 255, 255, 28 + (y * 7) % 20), 0.6));
        p.drawLine(QPointF(8, y + 0.3), QPointF(230, y + 0.3));
    }
    p.restore();
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(10);
    f.setBold(true);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 3.0);
    p.setFont(f);
    p.setPen(QColor(255, 255, 255, 150));
    p.drawText(QRectF(20, 5.5, 190, 13), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("QUILLON"));
    p.setPen(QColor(34, 38, 44));
    p.drawText(QRectF(20, 4.5, 190, 13), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("QUILLON"));
}

void drawTopStrip(QPainter& p)
{
    QFont title(QStringLiteral("DejaVu Serif"));
    title.setPixelSize(19);
    title.setBold(true);
    title.setItalic(true);
    p.setFont(title);
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(QRectF(26, 21, 300, 26), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Quillon Recorder"));
    p.setPen(QColor(214, 220, 228));
    p.drawText(QRectF(25, 20, 300, 26), Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Quillon Recorder"));

    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(8);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 0.8);
    p.setFont(small);
    p.setPen(QColor(150, 158, 168));
    p.drawText(QRectF(262, 26, 236, 14), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("CALL RECORDER  \u00b7  ANSWERING SYSTEM"));

    // Power lamp.
    const QPointF lamp(560, 33);
    QRadialGradient glow(lamp, 9);
    glow.setColorAt(0, QColor(120, 255, 150, 110));
    glow.setColorAt(1, QColor(120, 255, 150, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(lamp, 9, 9);
    QRadialGradient led(lamp - QPointF(1, 1), 4);
    led.setColorAt(0, QColor(220, 255, 225));
    led.setColorAt(1, QColor(40, 190, 80));
    p.setBrush(led);
    p.setPen(QPen(QColor(10, 40, 20), 0.8));
    p.drawEllipse(lamp, 3.5, 3.5);
    p.setPen(QColor(150, 158, 168));
    p.drawText(QRectF(505, 27, 46, 12), Qt::AlignVCenter | Qt::AlignRight, QStringLiteral("POWER"));
}

void drawScreen(QPainter& p)
{
    const QRectF bezel = layout::kScreenBezel;
    QPainterPath outer;
    outer.addRoundedRect(bezel, 10, 10);
    QLinearGradient rim(bezel.topLeft(), bezel.bottomLeft());
    rim.setColorAt(0, QColor(12, 14, 16));
    rim.setColorAt(1, QColor(48, 53, 60));
    p.fillPath(outer, rim);
    p.setPen(QPen(QColor(0, 0, 0, 200), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outer);
    p.setPen(QPen(QColor(255, 255, 255, 45), 1));
    p.drawLine(bezel.bottomLeft() + QPointF(10, 1), bezel.bottomRight() + QPointF(-10, 1));

    const QRectF glass = layout::kScreenGlass;
    QPainterPath inner;
    inner.addRoundedRect(glass, 6, 6);
    QLinearGradient lcd(glass.topLeft(), glass.bottomLeft());
    lcd.setColorAt(0, QColor(22, 44, 36));
    lcd.setColorAt(1, QColor(10, 24, 19));
    p.fillPath(inner, lcd);
    // A faint reflection across the top of the glass.
    QLinearGradient glare(glass.topLeft(), glass.topLeft() + QPointF(0, 60));
    glare.setColorAt(0, QColor(255, 255, 255, 22));
    glare.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillPath(inner, glare);
}

void drawKeyColumn(QPainter& p)
{
    const QRectF column(layout::kKeyColumnLeft - 6, layout::kKeyTop - 8, layout::kKeyWidth + 12,
                        layout::kKeyRows * layout::kKeyPitch + 10);
    QPainterPath plate;
    plate.addRoundedRect(column, 8, 8);
    QLinearGradient g(column.topLeft(), column.topRight());
    g.setColorAt(0, QColor(30, 33, 38));
    g.setColorAt(1, QColor(44, 48, 54));
    p.fillPath(plate, g);
    p.setPen(QPen(QColor(0, 0, 0, 150), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(plate);
    for (int row = 0; row < layout::kKeyRows; ++row) {
        drawWell(p, QRectF(layout::keyRect(row)).adjusted(-2, -2, 2, 2), 6);
    }
    drawWell(p, QRectF(layout::kMinimiseKey).adjusted(-2, -2, 2, 2), 5);
}

void drawReadoutAndDeck(QPainter& p)
{
    const QRectF readout = layout::kReadout;
    drawWell(p, readout.adjusted(-3, -3, 3, 3), 7);
    QPainterPath glass;
    glass.addRoundedRect(readout, 5, 5);
    QLinearGradient lcd(readout.topLeft(), readout.bottomLeft());
    lcd.setColorAt(0, QColor(22, 44, 36));
    lcd.setColorAt(1, QColor(10, 24, 19));
    p.fillPath(glass, lcd);
    drawWell(p, QRectF(layout::kDeck), 8);
}

void drawSpeaker(QPainter& p)
{
    const QPointF c = layout::kSpeakerCentre;
    const qreal r = layout::kSpeakerRadius;
    QRadialGradient ring(c - QPointF(4, 4), r + 6);
    ring.setColorAt(0, QColor(96, 102, 110));
    ring.setColorAt(1, QColor(30, 33, 37));
    p.setPen(QPen(QColor(6, 7, 8), 1.2));
    p.setBrush(ring);
    p.drawEllipse(c, r + 4, r + 4);
    p.setBrush(QColor(22, 24, 27));
    p.drawEllipse(c, r, r);
    // Grille holes on a hexagonal grid.
    p.setPen(Qt::NoPen);
    const qreal pitch = 5.2;
    for (int row = -8; row <= 8; ++row) {
        const qreal y = c.y() + row * pitch * 0.866;
        const qreal shift = (row % 2 != 0) ? pitch / 2 : 0;
        for (int col = -8; col <= 8; ++col) {
            const qreal x = c.x() + col * pitch + shift;
            if (std::hypot(x - c.x(), y - c.y()) > r - 4) {
                continue;
            }
            p.setBrush(QColor(4, 4, 5));
            p.drawEllipse(QPointF(x, y), 1.5, 1.5);
            p.setBrush(QColor(255, 255, 255, 22));
            p.drawEllipse(QPointF(x + 0.6, y + 0.9), 0.7, 0.5);
        }
    }
}

void drawLowerLeft(QPainter& p)
{
    p.setPen(QPen(QColor(0, 0, 0, 150), 1));
    p.drawLine(QPointF(24, 403.5), QPointF(336, 403.5));
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.drawLine(QPointF(24, 404.5), QPointF(336, 404.5));
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(8);
    small.setLetterSpacing(QFont::AbsoluteSpacing, 1.0);
    p.setFont(small);
    p.setPen(QColor(120, 128, 138));
    p.drawText(QRectF(30, 456, 300, 12), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("MODEL QLN-4  \u00b7  FOUR LINE VOICE MODEM RECORDER"));
}

} // namespace

QPixmap renderPanel(qreal devicePixelRatio)
{
    const QSize size(twipsToPixels(kPanelWidthTwips), twipsToPixels(kPanelHeightTwips));
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QPainterPath outline = outlinePath();
    drawBody(p, outline);
    p.setClipPath(outline);
    drawNameTab(p);
    drawTopStrip(p);
    drawScreen(p);
    drawKeyColumn(p);
    drawReadoutAndDeck(p);
    drawSpeaker(p);
    drawLowerLeft(p);
    drawScrew(p, QPointF(14, 60));
    drawScrew(p, QPointF(14, 392));
    drawScrew(p, QPointF(664, 48));
    return pixmap;
}

} // namespace qlnrec::app

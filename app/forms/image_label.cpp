#include "app/forms/image_label.h"

#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace qlnrec::app {

ImageLabel::ImageLabel(const QString& objectName, QWidget* parent) : QLabel(parent)
{
    setObjectName(objectName);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

void ImageLabel::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() == Qt::LeftButton) {
        down_ = true;
        update();
    }
    emit pressed(event->button());
}

void ImageLabel::mouseReleaseEvent(QMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton || !down_) {
        return;
    }
    down_ = false;
    update();
    if (rect().contains(event->position().toPoint())) {
        emit clicked();
    }
}

void ImageLabel::enterEvent(QEnterEvent* event)
{
    hovered_ = true;
    update();
    QLabel::enterEvent(event);
}

void ImageLabel::leaveEvent(QEvent* event)
{
    hovered_ = false;
    down_ = false;
    update();
    QLabel::leaveEvent(event);
}

void ImageLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);

    if (face_ == Face::Transparent) {
        if (hovered_) {
            p.setPen(QPen(QColor(150, 220, 180, 140), 2));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(r.adjusted(1, 1, -1, -1));
        }
        return;
    }

    QColor top(232, 235, 239);
    QColor bottom(176, 184, 194);
    QColor ink(28, 33, 40);
    if (face_ == Face::RedKey) {
        top = QColor(236, 150, 140);
        bottom = QColor(176, 62, 52);
        ink = QColor(255, 250, 248);
    } else if (face_ == Face::GreenKey) {
        top = QColor(150, 214, 166);
        bottom = QColor(50, 128, 82);
        ink = QColor(248, 255, 250);
    }
    if (hovered_) {
        top = top.lighter(108);
        bottom = bottom.lighter(112);
    }
    if (down_) {
        std::swap(top, bottom);
    }
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    fill.setColorAt(0, top);
    fill.setColorAt(1, bottom);
    QPainterPath key;
    key.addRoundedRect(r, 5, 5);
    p.fillPath(key, fill);
    p.setPen(QPen(QColor(20, 24, 28), 1));
    p.drawPath(key);
    // A thin highlight along the upper edge gives the key its raised look.
    p.setPen(QPen(QColor(255, 255, 255, down_ ? 40 : 120), 1));
    p.drawLine(r.topLeft() + QPointF(5, 1.5), r.topRight() + QPointF(-5, 1.5));

    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    const QPointF c = r.center() + (down_ ? QPointF(0.5, 0.5) : QPointF());
    const qreal s = std::min(r.width(), r.height()) * 0.26;
    switch (glyph_) {
    case Glyph::Play: {
        QPolygonF tri;
        tri << c + QPointF(-s * 0.8, -s) << c + QPointF(s * 1.1, 0) << c + QPointF(-s * 0.8, s);
        p.setBrush(QColor(30, 120, 60));
        p.drawPolygon(tri);
        break;
    }
    case Glyph::Stop:
        p.drawRect(QRectF(c.x() - s * 0.9, c.y() - s * 0.9, s * 1.8, s * 1.8));
        break;
    case Glyph::Pause:
        p.drawRect(QRectF(c.x() - s * 0.9, c.y() - s, s * 0.65, s * 2));
        p.drawRect(QRectF(c.x() + s * 0.25, c.y() - s, s * 0.65, s * 2));
        break;
    case Glyph::Minimise:
        p.drawRect(QRectF(c.x() - s * 1.2, c.y() + s * 0.2, s * 2.4, std::max<qreal>(2.0, s * 0.5)));
        break;
    case Glyph::None: {
        // The caption takes the largest size that fits the key, wrapped onto two lines if need be.
        const QRectF textArea = r.adjusted(3, 1, -3, -1).translated(down_ ? QPointF(0.5, 0.5) : QPointF());
        QFont f = font();
        f.setBold(true);
        const int largest = f.pixelSize() > 0 ? f.pixelSize() : 11;
        for (int size = largest; size >= 7; --size) {
            f.setPixelSize(size);
            const QFontMetricsF metrics(f);
            const QRectF needed =
                metrics.boundingRect(textArea, Qt::AlignCenter | Qt::TextWordWrap, caption_);
            bool wordsFit = true;
            for (const QString& word : caption_.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
                wordsFit = wordsFit && metrics.horizontalAdvance(word) <= textArea.width();
            }
            if (wordsFit && needed.height() <= textArea.height() && needed.width() <= textArea.width()) {
                break;
            }
        }
        p.setFont(f);
        p.setPen(ink);
        p.drawText(textArea, Qt::AlignCenter | Qt::TextWordWrap, caption_);
        break;
    }
    }
}

} // namespace qlnrec::app

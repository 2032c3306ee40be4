#include "platform/shell/shell_service.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace qlnrec::platform {

namespace {

constexpr qreal kBodyPointSize = 10.0;
constexpr qreal kSmallestPointSize = 4.0;

// Tabs and other control characters would not print as one line; blanks stand in for them.
QString printable(const QString& line)
{
    QString out = line;
    for (QChar& c : out) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char(' ');
        }
    }
    return out;
}

} // namespace

bool printLinesTo(const QStringList& lines, const QString& pdfPath)
{
    QPrinter printer(QPrinter::HighResolution);
    if (pdfPath.isEmpty()) {
        const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
        if (defaultPrinter.isNull()) {
            return false;
        }
        printer.setPrinterName(defaultPrinter.printerName());
    } else {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdfPath);
    }
    printer.setDocName(QStringLiteral("Quillon Log"));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);

    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    QFont body(QStringLiteral("Sans Serif"));
    body.setPointSizeF(kBodyPointSize);
    painter.setFont(body);
    const QRectF page = painter.viewport();
    const qreal width = page.width();
    const qreal lineHeight = QFontMetricsF(body, &printer).lineSpacing();

    qreal y = 0;
    for (const QString& entry : lines) {
        if (y > 0 && y + lineHeight > page.height()) {
            if (!printer.newPage()) {
                painter.end();
                return false;
            }
            y = 0;
        }
        const QString text = printable(entry);
        QFont font = body;
        QFontMetricsF metrics(font, &printer);
        const qreal natural = metrics.horizontalAdvance(text);
        if (natural > width) {
            // One printed line per entry: a long entry gets a smaller font, and only what still
            // does not fit at the smallest size is cut with an ellipsis.
            font.setPointSizeF(std::max(kSmallestPointSize, kBodyPointSize * width / natural * 0.98));
            metrics = QFontMetricsF(font, &printer);
        }
        painter.setFont(font);
        const QString shown = metrics.elidedText(text, Qt::ElideRight, width);
        painter.drawText(QPointF(0, y + metrics.ascent()), shown);
        y += lineHeight;
    }
    return painter.end();
}

} // namespace qlnrec::platform

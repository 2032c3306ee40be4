#include "text_helpers.h"

#include <QStringDecoder>

#include <cmath>

namespace qlnrec::platform {

double leadingNumber(const QString& text)
{
    int i = 0;
    const int n = static_cast<int>(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) {
        ++i;
    }
    const int start = i;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        ++i;
    }
    bool digits = false;
    while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
        ++i;
        digits = true;
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        while (i < n && text[i].isDigit() && text[i].unicode() < 128) {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return 0.0;
    }
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    return ok && std::isfinite(value) ? value : 0.0;
}

std::int64_t roundHalfEven(double value)
{
    if (!std::isfinite(value)) {
        return 0;
    }
    constexpr double limit = 9.2e18;
    if (value > limit) {
        return static_cast<std::int64_t>(limit);
    }
    if (value < -limit) {
        return -static_cast<std::int64_t>(limit);
    }
    return static_cast<std::int64_t>(std::nearbyint(value)); // default mode: to nearest even
}

QString numberWithSignBlank(std::int64_t value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

QString timeOfDayText(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}

QString hexUpper(std::uint32_t value)
{
    return QString::number(value, 16).toUpper();
}

QString stripTrailing(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && (text[end - 1] == QLatin1Char(' ') || text[end - 1].unicode() == 0)) {
        --end;
    }
    return text.left(end);
}

QString safeFileNamePart(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool unsafe = u < 32 || u == 127 || u == '\\' || u == '/' || u == '*' || u == '?' || u == '<' ||
                            u == '>' || u == '|' || u == '"';
        out.append(unsafe ? QLatin1Char('@') : c);
    }
    out.replace(QStringLiteral(".."), QStringLiteral("@@"));
    return out;
}

QString blankControls(QString text)
{
    for (QChar& c : text) {
        if (c.category() == QChar::Other_Control) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}

QString decodeUtf8OrLegacy(const QByteArray& bytes, const QByteArray& legacyEncoding)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    QStringDecoder legacy(legacyEncoding.constData(), QStringDecoder::Flag::Stateless);
    return legacy.isValid() ? QString(legacy.decode(bytes)) : QString::fromLatin1(bytes);
}

namespace {
const QLatin1Char kQuote('"');
const QLatin1Char kComma(',');
} // namespace

QStringList splitCsvFields(const QString& line)
{
    QStringList fields;
    qsizetype i = 0;
    while (true) {
        QString field;
        if (i < line.size() && line.at(i) == kQuote) {
            // Quoted: up to the lone closing quote; text after it up to the comma is kept too.
            ++i;
            while (i < line.size()) {
                if (line.at(i) == kQuote) {
                    if (i + 1 < line.size() && line.at(i + 1) == kQuote) {
                        field += kQuote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line.at(i++);
            }
        }
        const qsizetype comma = line.indexOf(kComma, i);
        field += line.mid(i, comma < 0 ? -1 : comma - i);
        fields << field;
        if (comma < 0) {
            return fields;
        }
        i = comma + 1;
    }
}

QString csvField(const QString& field)
{
    if (!field.contains(kComma) && !field.contains(kQuote)) {
        return field;
    }
    QString doubled = field;
    doubled.replace(kQuote, QStringLiteral("\"\""));
    return kQuote + doubled + kQuote;
}

} // namespace qlnrec::platform

#include "phonebook/phone_book_entry.h"

#include "platform/core/text_helpers.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include <utility>

namespace qlnrec::phonebook {

namespace {

// The bytes of text in the named code page; empty optional when a character has no place in it.
std::optional<QByteArray> encodeExactly(const QString& text, const QByteArray& encoding)
{
    QStringEncoder encoder(encoding.constData(), QStringEncoder::Flag::Stateless);
    if (!encoder.isValid()) {
        return std::nullopt;
    }
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError()) {
        return std::nullopt;
    }
    // Some codecs put a substitute in silently: the bytes must read back to the same text.
    QStringDecoder back(encoding.constData(), QStringDecoder::Flag::Stateless);
    if (QString(back.decode(bytes)) != text) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

QString fitField(const QString& text, int width)
{
    // A character outside the basic plane is never cut in half.
    const int keep =
        (text.size() > width && width > 0 && text.at(width - 1).isHighSurrogate()) ? width - 1 : width;
    return platform::blankControls(text.left(keep)).leftJustified(width, QLatin1Char(' '));
}

PhoneBookEntry makeEntry(const QString& name, const QString& telephone)
{
    return {fitField(name, kNameWidth), fitField(telephone, kTelephoneWidth)};
}

PhoneBookRecordCodec::PhoneBookRecordCodec(QByteArray legacyEncoding)
    : legacyEncoding_(std::move(legacyEncoding))
{
}

QByteArray PhoneBookRecordCodec::encode(const PhoneBookEntry& entry) const
{
    QByteArray record(kRecordBytes, '\0');
    if (entry.isEmpty()) {
        return record;
    }
    record.replace(0, kNameWidth, encodeField(entry.name, kNameWidth));
    record.replace(kNameWidth, kTelephoneWidth, encodeField(entry.telephone, kTelephoneWidth));
    return record;
}

QByteArray PhoneBookRecordCodec::encodeField(const QString& text, int width) const
{
    const QString clean = platform::blankControls(text);
    const bool legacy = encodeExactly(clean, legacyEncoding_).has_value();
    QByteArray out;
    // Whole characters (surrogate pairs kept together) while they fit the byte width.
    for (qsizetype i = 0; i < clean.size();) {
        const qsizetype n = (clean.at(i).isHighSurrogate() && i + 1 < clean.size()) ? 2 : 1;
        const QString ch = clean.mid(i, n);
        const QByteArray bytes = legacy ? *encodeExactly(ch, legacyEncoding_) : ch.toUtf8();
        if (out.size() + bytes.size() > width) {
            break;
        }
        out += bytes;
        i += n;
    }
    return out.leftJustified(width, ' ');
}

PhoneBookEntry PhoneBookRecordCodec::decode(const QByteArray& record) const
{
    const QByteArray full = record.leftJustified(kRecordBytes, '\0', true);
    const QByteArray telephone = full.mid(kNameWidth, kTelephoneWidth);
    if (telephone.count('\0') == kTelephoneWidth) {
        return {};
    }
    return {decodeField(full.left(kNameWidth), kNameWidth), decodeField(telephone, kTelephoneWidth)};
}

QString PhoneBookRecordCodec::decodeField(const QByteArray& bytes, int width) const
{
    const QString text = platform::decodeUtf8OrLegacy(bytes, legacyEncoding_);
    // NUL bytes of a never-assigned field read as blanks, like any other control character.
    return fitField(text, width);
}

} // namespace qlnrec::phonebook

#include "records/log_text_decoder.h"

#include "core/strings.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace qlnrec::records {

namespace {

// Enough lines to recognise a file's code page without reading a whole year's log twice.
constexpr qsizetype kLinesToJudge = 400;

bool isUtf8(const QByteArray& bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return !utf8.hasError();
}

std::optional<QString> decodeIn(const QByteArray& encoding, const QByteArray& bytes)
{
    QStringDecoder decoder(encoding.constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid()) {
        return std::nullopt;
    }
    QString text = decoder.decode(bytes);
    if (decoder.hasError() || text.contains(QChar::ReplacementCharacter)) {
        return std::nullopt;
    }
    return text;
}

// The program's own texts that differ between code pages (those beyond ASCII).
const QStringList& statusTexts()
{
    static const QStringList texts = [] {
        QStringList all;
        for (int offset : {core::Strings::kEnglish, core::Strings::kSimplifiedChinese,
                           core::Strings::kTraditionalChinese}) {
            for (int id = core::Strings::kFirstBaseId; id <= core::Strings::kLastBaseId; ++id) {
                const QString text = core::Strings::resource(offset + id);
                const bool ascii =
                    std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 0x80; });
                if (text.size() >= 2 && !ascii) {
                    all << text;
                }
            }
        }
        all.removeDuplicates();
        return all;
    }();
    return texts;
}

// How many of the program's texts the lines hold in this code page; nullopt when a line cannot be
// read in it at all.
std::optional<int> score(const QByteArray& encoding, const QList<QByteArray>& legacyLines)
{
    int found = 0;
    for (qsizetype i = 0; i < std::min(legacyLines.size(), kLinesToJudge); ++i) {
        const std::optional<QString> text = decodeIn(encoding, legacyLines[i]);
        if (!text) {
            return std::nullopt;
        }
        for (const QString& known : statusTexts()) {
            found += text->contains(known) ? 1 : 0;
        }
    }
    return found;
}

} // namespace

LogTextDecoder::LogTextDecoder(QByteArray preferred)
{
    candidates_ << preferred;
    for (const char* other : {"GB18030", "Big5", "windows-1252"}) {
        if (QByteArray(other).compare(preferred, Qt::CaseInsensitive) != 0) {
            candidates_ << QByteArray(other);
        }
    }
}

QStringList LogTextDecoder::decode(const QList<QByteArray>& lines) const
{
    QList<QByteArray> legacyLines;
    for (const QByteArray& line : lines) {
        if (!isUtf8(line)) {
            legacyLines << line;
        }
    }
    QByteArray chosen = candidates_.front();
    int best = -1;
    if (!legacyLines.isEmpty()) {
        for (const QByteArray& candidate : candidates_) {
            const std::optional<int> found = score(candidate, legacyLines);
            if (found && *found > best) {
                best = *found;
                chosen = candidate;
            }
        }
    }
    QStringList texts;
    texts.reserve(lines.size());
    for (const QByteArray& line : lines) {
        if (isUtf8(line)) {
            texts << QString::fromUtf8(line);
            continue;
        }
        std::optional<QString> text = decodeIn(chosen, line);
        for (qsizetype i = 0; !text && i < candidates_.size(); ++i) {
            text = decodeIn(candidates_[i], line);
        }
        texts << text.value_or(QString::fromLatin1(line));
    }
    return texts;
}

} // namespace qlnrec::records

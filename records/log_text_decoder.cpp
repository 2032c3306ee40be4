#include "records/log_text_decoder.h"

#include "core/strings.h"

#include <QStringDecoder>

#include <algorithm>
#include <optional>
#include <vector>

namespace qlnrec::records {

namespace {

// Enough lines to recognise a file's code page without reading a whole year's log twice.
constexpr qsizetype kLinesToJudge = 400;

// One decoder of a code page, made once and reset for every line (making one per line costs more
// than the decoding). A legacy page that puts a replacement character in place of bytes it cannot
// map has not read the line; UTF-8 text may hold that character itself.
class PageDecoder {
public:
    explicit PageDecoder(const QByteArray& encoding)
        : decoder_(encoding.constData(), QStringDecoder::Flag::Stateless),
          replacementIsFailure_(encoding != QByteArrayLiteral("UTF-8"))
    {
    }

    std::optional<QString> decode(const QByteArray& bytes)
    {
        if (!decoder_.isValid()) {
            return std::nullopt;
        }
        decoder_.resetState();
        QString text = decoder_.decode(bytes);
        if (decoder_.hasError() || (replacementIsFailure_ && text.contains(QChar::ReplacementCharacter))) {
            return std::nullopt;
        }
        return text;
    }

private:
    QStringDecoder decoder_;
    bool replacementIsFailure_;
};

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
std::optional<int> score(PageDecoder& page, const QList<QByteArray>& legacyLines)
{
    int found = 0;
    for (qsizetype i = 0; i < std::min(legacyLines.size(), kLinesToJudge); ++i) {
        const std::optional<QString> text = page.decode(legacyLines[i]);
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
    QStringList texts;
    texts.reserve(lines.size());
    QList<qsizetype> legacyRows;
    QList<QByteArray> legacyLines;
    PageDecoder utf8("UTF-8");
    for (const QByteArray& line : lines) {
        std::optional<QString> text = utf8.decode(line);
        if (!text) {
            legacyRows << texts.size();
            legacyLines << line;
        }
        texts << text.value_or(QString());
    }
    if (legacyLines.isEmpty()) {
        return texts;
    }
    std::vector<PageDecoder> pages;
    for (const QByteArray& candidate : candidates_) {
        pages.emplace_back(candidate);
    }
    std::size_t chosen = 0;
    int best = -1;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        const std::optional<int> found = score(pages[i], legacyLines);
        if (found && *found > best) {
            best = *found;
            chosen = i;
        }
    }
    for (qsizetype k = 0; k < legacyRows.size(); ++k) {
        const QByteArray& line = legacyLines[k];
        std::optional<QString> text = pages[chosen].decode(line);
        for (std::size_t i = 0; !text && i < pages.size(); ++i) {
            text = pages[i].decode(line);
        }
        texts[legacyRows[k]] = text.value_or(QString::fromLatin1(line));
    }
    return texts;
}

} // namespace qlnrec::records

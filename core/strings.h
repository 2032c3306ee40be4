#pragma once
// The user-interface string table: every text the screens load by id, in English, Simplified
// Chinese (ids + 1000) and Traditional Chinese (ids + 2000); and, through text(), the texts this
// program added beyond that table, in the same three languages.
#include "core/program_texts.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

namespace qlnrec::core {

class Strings {
public:
    static constexpr int kEnglish = 0;
    static constexpr int kSimplifiedChinese = 1000;
    static constexpr int kTraditionalChinese = 2000;
    static constexpr int kFirstBaseId = 1001;
    static constexpr int kLastBaseId = 1123;

    // An offset other than 0, 1000 or 2000 falls back to English.
    explicit Strings(int languageOffset = 0);

    int languageOffset() const { return offset_; }

    // The text of row (language offset + baseId); empty for a row the table does not hold.
    QString loadText(int baseId) const;
    // A text the program added beyond the table, in this language.
    QString text(ProgramText id) const { return programText(id, offset_); }

    // The offset for a stored "Language" value: "0" -> 0, "1" -> 1000, "2" -> 2000; the
    // numeric value is read leniently. Empty, non-numeric and out-of-range values give English.
    static int offsetForLanguageSetting(const QString& value);
    // The offset for a desktop locale: Chinese in the traditional script (or of Taiwan, Hong Kong
    // or Macao) gives Traditional, other Chinese Simplified, anything else English.
    static int offsetForLocale(const QLocale& locale);

    // The raw row of a full resource id (1001..3123); empty when the row is absent.
    static QString resource(int id);

    // The code page the language's files were written in on the original platform; text from
    // outside that is not valid UTF-8 is read in it.
    QByteArray legacyEncoding() const;

    // The help document of the language: "helpen.chm", "helpgb.htm" or "helpbig5.htm".
    QString helpDocumentName() const;
    // Where that document lies in programFolder. When it is missing there, the shipped HTML help
    // of the same language (or the English "helpen.htm" for a missing .chm) is used instead when
    // present; otherwise the path of the language's own document is returned unchanged.
    QString helpDocumentPath(const QString& programFolder) const;

private:
    int offset_;
};

} // namespace qlnrec::core

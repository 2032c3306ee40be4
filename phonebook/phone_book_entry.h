#pragma once
// One phone book entry and its 128-byte record in PhoneBook.txt:
//   0..29   name, blank-padded
//   30..49  telephone, blank-padded
//   50..127 zero bytes (readers ignore them)
// Field text is written in the language's legacy code page when it fits that code page (so the
// file stays readable where it came from) and in UTF-8 otherwise; readers take valid UTF-8 as
// UTF-8 and anything else in the legacy code page. A field is cut at its byte width without
// splitting a character, and control characters become blanks, never raw bytes.
#include <QByteArray>
#include <QString>

#include <utility>

namespace qlnrec::phonebook {

inline constexpr int kRecordBytes = 128;
inline constexpr int kNameWidth = 30;
inline constexpr int kTelephoneWidth = 20;

// The text of each field as the lists hold it: name padded to 30, telephone to 20 characters.
// An empty entry (a record whose telephone bytes are all zero, or one past the end of the file)
// has an empty telephone; a written telephone is never empty, as it is padded.
struct PhoneBookEntry {
    QString name;
    QString telephone;

    bool isEmpty() const { return telephone.isEmpty(); }
    bool operator==(const PhoneBookEntry&) const = default;
};

// A text fitted to a field as assigning it does: cut to the first width characters, padded with
// blanks; control characters become blanks.
QString fitField(const QString& text, int width);
// An entry from typed or imported texts, each fitted to its field.
PhoneBookEntry makeEntry(const QString& name, const QString& telephone);

class PhoneBookRecordCodec {
public:
    // legacyEncoding: the user-interface language's code page ("windows-1252", "GB18030", "Big5").
    explicit PhoneBookRecordCodec(QByteArray legacyEncoding = QByteArrayLiteral("windows-1252"));

    void setLegacyEncoding(QByteArray legacyEncoding) { legacyEncoding_ = std::move(legacyEncoding); }
    QByteArray encode(const PhoneBookEntry& entry) const;
    // record: kRecordBytes bytes (fewer read as zero bytes).
    PhoneBookEntry decode(const QByteArray& record) const;

private:
    QByteArray encodeField(const QString& text, int width) const;
    QString decodeField(const QByteArray& bytes, int width) const;

    QByteArray legacyEncoding_;
};

} // namespace qlnrec::phonebook

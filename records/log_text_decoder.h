#pragma once
// Reads the lines of a day log back as text. The program writes UTF-8; a log written on the
// original platform (or by an earlier run in another language) holds the code page of the
// language it ran in: windows-1252, GB18030 or Big5. Those pages overlap (almost any byte pair
// is a valid GB18030 character, and most Big5 text decodes as GB18030 without an error), so
// validity alone cannot tell them apart. A day log, though, is made of the program's own status
// texts: the code page in which the most of them appear is the one the file was written in. When
// no status text decides (a file of callers' names only), the language's own code page is taken
// first, then the other Chinese one, and windows-1252 last, since it accepts nearly any byte.
#include <QByteArray>
#include <QList>
#include <QStringList>

namespace qlnrec::records {

class LogTextDecoder {
public:
    // preferred: the code page of the language the program runs in.
    explicit LogTextDecoder(QByteArray preferred);

    // One text per line; a valid UTF-8 line as it is, the others in the one code page chosen for
    // the whole file (a line that page cannot read falls back to the next page that can).
    QStringList decode(const QList<QByteArray>& lines) const;

    // The code pages in the order they are tried.
    const QList<QByteArray>& candidates() const { return candidates_; }

private:
    QList<QByteArray> candidates_;
};

} // namespace qlnrec::records

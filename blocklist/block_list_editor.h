#pragma once
// What the black list windows do, without the windows: the list frmBlackpub shows (own numbers
// newest first, then the public-list numbers), deleting a line, adding a typed number (frmPBAdd1),
// and bringing a public telemarketing list in and out as text. Every change is written to
// public.tel and the table reloaded before the call returns, so blocking follows at once.
#include <QString>
#include <QStringList>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::blocklist {

class BlockList;

class BlockListEditor {
public:
    // The messages are in the language of strings, except the texts the program always had.
    BlockListEditor(BlockList& store, platform::DialogService& dialogs, const core::Strings& strings);

    // The dialog's load: List1 from the table.
    void loadList();
    const QStringList& lines() const { return lines_; }

    // cmdDelete and a double click: row -1 (nothing selected) asks for a selection.
    bool deleteLine(int row);

    enum class AddOutcome { Added, NotNumeric, Zero, Full, NotWritten };
    // frmPBAdd1's OK: the numeric value of text stored behind the last record and listed on top.
    // Anything refused is said in a box and nothing is written.
    AddOutcome add(const QString& text);

    // Reads a text file of numbers, one a line (blanks, dashes, dots, brackets and a plus sign are
    // allowed; other lines are skipped), and stores each as a public-list entry behind the
    // existing ones. Returns how many numbers were taken; says the count in a box.
    int importPublicList(const QString& path);
    // Writes the public-list entries, one number a line, CR LF: the form importPublicList reads.
    bool exportPublicList(const QString& path);

    static QString notNumericMessage()
    {
        return QStringLiteral("The telephone number field must be numeric");
    }
    QString zeroMessage() const;
    QString fullMessage() const;
    QString notWrittenMessage(const QString& path) const;
    QString importedMessage(int taken, int skipped) const;

private:
    bool rewriteFromLines(const QString& failureTitle);

    BlockList& store_;
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
    QStringList lines_;
};

} // namespace qlnrec::blocklist

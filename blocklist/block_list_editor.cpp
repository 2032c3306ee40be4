#include "blocklist/block_list_editor.h"

#include "blocklist/block_list.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

#include <cmath>

namespace qlnrec::blocklist {

namespace {

const QString kAddTitle = QStringLiteral("Public Telemarketing List");

// Digits of a telephone number as lists print them: "555-1234", "(800) 555 0100", "+1 800.555.0100",
// "-123" (a public-list entry as this list exports it).
// Empty when the line holds anything else or more digits than a double keeps exactly.
QString numberDigits(const QString& line)
{
    QString digits = line;
    digits.remove(QRegularExpression(QStringLiteral("[\\s()+.\\-]")));
    static const QRegularExpression allDigits(QStringLiteral("^[0-9]{1,15}$"));
    return allDigits.match(digits).hasMatch() ? digits : QString();
}

} // namespace

BlockListEditor::BlockListEditor(BlockList& store, platform::DialogService& dialogs,
                                 const core::Strings& strings)
    : store_(store), dialogs_(dialogs), strings_(strings)
{
}

QString BlockListEditor::zeroMessage() const
{
    return strings_.text(core::ProgramText::BlackListZero);
}

QString BlockListEditor::fullMessage() const
{
    return strings_.text(core::ProgramText::BlackListFull).arg(BlockList::kMaxNumbers);
}

QString BlockListEditor::notWrittenMessage(const QString& path) const
{
    return strings_.text(core::ProgramText::BlackListNotWritten).arg(path);
}

QString BlockListEditor::importedMessage(int taken, int skipped) const
{
    return strings_.text(core::ProgramText::BlackListImported).arg(taken).arg(skipped);
}

void BlockListEditor::loadList()
{
    lines_.clear();
    QStringList publicEntries;
    for (int i = 0; i < store_.count(); ++i) {
        const double value = store_.entry(i);
        if (value >= 0) {
            lines_.prepend(BlockList::entryText(value));
        } else {
            publicEntries << BlockList::entryText(value);
        }
    }
    lines_ << publicEntries;
}

bool BlockListEditor::rewriteFromLines(const QString& title)
{
    const bool written = store_.rewrite(lines_);
    if (!written) {
        dialogs_.messageBox(notWrittenMessage(store_.path()), title, platform::MessageIcon::Critical);
    }
    // The list shows what the file holds now, written or not.
    loadList();
    return written;
}

bool BlockListEditor::deleteLine(int row)
{
    if (row < 0 || row >= lines_.size()) {
        dialogs_.messageBox(QStringLiteral("Please select an entry"), QStringLiteral("Delete Entry"),
                            platform::MessageIcon::Critical);
        return false;
    }
    lines_.removeAt(row);
    return rewriteFromLines(QStringLiteral("Delete Entry"));
}

BlockListEditor::AddOutcome BlockListEditor::add(const QString& text)
{
    bool numeric = false;
    const double value = text.trimmed().toDouble(&numeric);
    // "inf" and "nan" read as numbers but are none.
    if (!numeric || !std::isfinite(value)) {
        dialogs_.messageBox(notNumericMessage(), kAddTitle, platform::MessageIcon::Critical);
        return AddOutcome::NotNumeric;
    }
    if (value == 0) {
        // A 0 record ends the list in public.tel: every later number would stop blocking.
        dialogs_.messageBox(zeroMessage(), kAddTitle, platform::MessageIcon::Critical);
        return AddOutcome::Zero;
    }
    if (store_.count() >= BlockList::kMaxNumbers) {
        dialogs_.messageBox(fullMessage(), kAddTitle, platform::MessageIcon::Critical);
        return AddOutcome::Full;
    }
    if (!store_.append(value)) {
        dialogs_.messageBox(notWrittenMessage(store_.path()), kAddTitle, platform::MessageIcon::Critical);
        loadList();
        return AddOutcome::NotWritten;
    }
    loadList();
    return AddOutcome::Added;
}

int BlockListEditor::importPublicList(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_.messageBox(strings_.text(core::ProgramText::FileCannotRead).arg(path), kAddTitle,
                            platform::MessageIcon::Critical);
        return 0;
    }
    loadList();
    int taken = 0;
    int skipped = 0;
    const int room = BlockList::kMaxNumbers - store_.count();
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QString digits = numberDigits(line);
        const double value = digits.toDouble();
        if (digits.isEmpty() || value == 0 || taken >= room) {
            ++skipped;
            continue;
        }
        lines_ << BlockList::entryText(-value);
        ++taken;
    }
    if (taken > 0 && !rewriteFromLines(kAddTitle)) {
        return 0;
    }
    dialogs_.messageBox(importedMessage(taken, skipped), kAddTitle, platform::MessageIcon::Information);
    return taken;
}

bool BlockListEditor::exportPublicList(const QString& path)
{
    QSaveFile file(path);
    bool written = file.open(QIODevice::WriteOnly);
    for (const QString& line : std::as_const(lines_)) {
        if (written && line.startsWith(QLatin1Char('-'))) {
            written = file.write(line.toUtf8() + QByteArrayLiteral("\r\n")) > 0;
        }
    }
    written = written && file.commit();
    if (!written) {
        dialogs_.messageBox(strings_.text(core::ProgramText::FileCannotWrite).arg(path), kAddTitle,
                            platform::MessageIcon::Critical);
    }
    return written;
}

} // namespace qlnrec::blocklist

// PhoneBook.txt as an independent reader sees it, the lists keeping the file consistent, and CSV
// import and export through the dial window's commands.
#include "core/strings.h"
#include "phonebook/phone_book_csv.h"
#include "phonebook/phone_book_file.h"
#include "phonebook/phone_book_lists.h"
#include "phonebook/phone_book_table.h"
#include "phonebook/phone_book_transfer.h"
#include "platform/core/dialog_service.h"
#include "tests/support/temp_home.h"

#include <QDir>

#include <gtest/gtest.h>

namespace {

using namespace qlnrec::phonebook;
using qlnrec::platform::MessageResult;
using qlnrec::test::readFile;
using qlnrec::test::runCommand;
using qlnrec::test::writeFile;

class PhoneBookStore : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(folder); }

    // Runs a Python script over PhoneBook.txt; its standard output.
    QString python(const QString& script)
    {
        writeFile(home.path(QStringLiteral("check.py")), script.toUtf8());
        int code = -1;
        const QString out = runCommand(
            QStringLiteral("python3 '%1' '%2'").arg(home.path(QStringLiteral("check.py")), file.path()),
            &code);
        EXPECT_EQ(code, 0) << out.toStdString();
        return out;
    }

    qlnrec::test::TempHome home;
    QString folder = home.programFolder();
    PhoneBookRecordCodec codec{QByteArrayLiteral("GB18030")};
    PhoneBookFile file{folder, codec};
    PhoneBookLists lists{file};
};

// Records as a separate reader decodes them: name and telephone in the legacy code page, blank
// padded, 78 zero bytes; overlong fields cut at their width, control characters as blanks.
TEST_F(PhoneBookStore, RecordsHaveTheFixedLayoutAndReadBackToTheSameText)
{
    lists.load();
    ASSERT_TRUE(lists.append(makeEntry(QStringLiteral("Anna Smith"), QStringLiteral("555-1234"))));
    ASSERT_TRUE(lists.append(makeEntry(QStringLiteral("张三"), QStringLiteral("010 8888"))));
    ASSERT_TRUE(lists.append(makeEntry(QString(35, QLatin1Char('N')), QString(25, QLatin1Char('7')))));
    ASSERT_TRUE(lists.append(makeEntry(QStringLiteral("Line\r\nBreak\x01"), QStringLiteral("1\t2"))));
    // Fifteen two-byte characters and one more: the cut falls between characters, not inside one.
    ASSERT_TRUE(lists.append(makeEntry(QString(16, QChar(0x5F20)), QStringLiteral("9"))));

    const QString out = python(QStringLiteral(R"(
import struct, sys
data = open(sys.argv[1], 'rb').read()
assert len(data) == 5 * 128, len(data)
for k in range(5):
    name, tel, pad = struct.unpack_from('<30s20s78s', data, 128 * k)
    assert pad == bytes(78)
    print(repr(name.decode('gb18030')) + '|' + repr(tel.decode('gb18030')))
)"));
    EXPECT_EQ(
        out.split(QLatin1Char('\n'), Qt::SkipEmptyParts),
        QStringList(
            {QStringLiteral("'Anna Smith                    '|'555-1234            '"),
             QStringLiteral("'张三                          '|'010 8888            '"),
             QStringLiteral("'%1'|'%2'").arg(QString(30, QLatin1Char('N')), QString(20, QLatin1Char('7'))),
             QStringLiteral("'Line  Break                   '|'1 2                 '"),
             QStringLiteral("'%1'|'9                   '").arg(QString(15, QChar(0x5F20)))}));

    PhoneBookLists again(file);
    again.load();
    ASSERT_EQ(again.count(), 5);
    EXPECT_EQ(again.entries(), lists.entries());
    EXPECT_EQ(again.at(1), makeEntry(QStringLiteral("张三"), QStringLiteral("010 8888")));
    EXPECT_EQ(again.at(0), lists.at(0));
}

// A file written elsewhere: the lists stop at the first record without a telephone, the start-up
// table holds every record of the first 3000 and finds a name by the trimmed number; text that is
// not UTF-8 reads in the legacy code page.
TEST_F(PhoneBookStore, ListsStopAtTheFirstEmptyEntryAndTheTableFindsNames)
{
    python(QStringLiteral(R"(
import struct, sys
def rec(name, tel):
    return struct.pack('<30s20s78s', name.ljust(30, b' '), tel, bytes(78))
open(sys.argv[1], 'wb').write(rec(b'Anna', b'  5551234'.ljust(20, b' ')) + rec(b'\xd5\xc5\xc8\xfd', b' ' * 20)
    + rec(b'Nobody', bytes(20)) + rec(b'Hidden', b'777'.ljust(20, b' ')))
)"));
    lists.load();
    ASSERT_EQ(lists.count(), 2);
    EXPECT_EQ(lists.at(1).name.trimmed(), QStringLiteral("张三"));
    EXPECT_EQ(lists.at(1).telephone, QString(20, QLatin1Char(' ')));

    PhoneBookTable table;
    table.load(file);
    EXPECT_EQ(table.nameFor(QStringLiteral("5551234")), QStringLiteral("Anna"));
    EXPECT_EQ(table.nameFor(QStringLiteral("777")), QStringLiteral("Hidden"));
    EXPECT_EQ(table.nameFor(QString()), std::nullopt);
    EXPECT_TRUE(table.at(4).isEmpty());
    EXPECT_TRUE(table.at(PhoneBookTable::kEntries - 1).isEmpty());

    // After a delete and a reload the entry is gone from the table too.
    ASSERT_TRUE(lists.removeAndSave(0));
    table.load(file);
    EXPECT_EQ(table.nameFor(QStringLiteral("5551234")), std::nullopt);
}

// Entries in the lists but not in the file (an import not saved): an add or an edit behind the
// file's end saves the whole list, so no empty record ends the list early. The lists stop at
// 10000 entries, the most a load reads.
TEST_F(PhoneBookStore, AddAndEditKeepTheFileConsistentWithTheLists)
{
    lists.load();
    ASSERT_TRUE(lists.append(makeEntry(QStringLiteral("First"), QStringLiteral("1"))));
    ASSERT_TRUE(lists.addUnsaved(makeEntry(QStringLiteral("Imported"), QStringLiteral("2"))));
    ASSERT_TRUE(lists.update(1, makeEntry(QStringLiteral("Edited"), QStringLiteral("3"))));
    ASSERT_TRUE(lists.addUnsaved(makeEntry(QStringLiteral("Imported too"), QStringLiteral("4"))));
    ASSERT_TRUE(lists.append(makeEntry(QStringLiteral("Added"), QString())));
    ASSERT_TRUE(lists.update(0, makeEntry(QStringLiteral("First again"), QStringLiteral("5"))));

    PhoneBookLists again(file);
    again.load();
    EXPECT_EQ(again.entries(), lists.entries());
    EXPECT_EQ(again.count(), 4);
    EXPECT_EQ(again.at(3).telephone, QString(20, QLatin1Char(' '))); // stored as entered, blank

    while (!lists.isFull()) {
        lists.addUnsaved(makeEntry(QStringLiteral("n"), QString::number(lists.count())));
    }
    EXPECT_FALSE(lists.append(makeEntry(QStringLiteral("one too many"), QStringLiteral("1"))));
    ASSERT_TRUE(lists.save());
    again.load();
    EXPECT_EQ(again.count(), PhoneBookLists::kMaxEntries);
}

// The CSV fields: quoted only when they hold a comma or a quote, read back to the same text; a
// plain file of name,telephone lines imports as before.
TEST(PhoneBookCsv, QuotedFieldsRoundTripAndPlainLinesImportUnchanged)
{
    const PhoneBookEntry tricky = makeEntry(QStringLiteral("Smith, \"Jr\""), QStringLiteral("555,\"1\""));
    EXPECT_EQ(csvLine(tricky), QStringLiteral("\"Smith, \"\"Jr\"\"\",\"555,\"\"1\"\"\""));
    EXPECT_EQ(csvLine(makeEntry(QStringLiteral("Anna"), QStringLiteral("5551234"))),
              QStringLiteral("Anna,5551234"));
    EXPECT_EQ(parseCsv(toCsv({tricky}), "windows-1252"), std::vector<PhoneBookEntry>{tricky});

    const QByteArray plain = "Anna,5551234,friend\r\n" + QByteArray(35, 'N') + "," + QByteArray(25, '7') +
                             "\r\nO'Brien 5\" tall,12\r\nno comma at all\r\n\r\nM\xfcller,1\n";
    const std::vector<PhoneBookEntry> expected{
        makeEntry(QStringLiteral("Anna"), QStringLiteral("5551234")),
        makeEntry(QString(30, QLatin1Char('N')), QString(20, QLatin1Char('7'))),
        makeEntry(QStringLiteral("O'Brien 5\" tall"), QStringLiteral("12")),
        makeEntry(QStringLiteral("no comma at all"), QString()),
        makeEntry(QStringLiteral("Müller"), QStringLiteral("1")),
    };
    EXPECT_EQ(parseCsv(plain, "windows-1252"), expected);
}

// A 10000-entry phone book exported through the dial window's command and imported again in
// place of the lists gives the same phone book; the messages are the dial window's.
TEST_F(PhoneBookStore, TenThousandEntriesSurviveExportAndImport)
{
    lists.load();
    for (int i = 0; i < PhoneBookLists::kMaxEntries; ++i) {
        const QString name =
            i % 3 == 0 ? QStringLiteral("Name, %1 \"x\"").arg(i) : QStringLiteral("名字 %1").arg(i);
        lists.addUnsaved(makeEntry(name, QStringLiteral("+1 (555) %1").arg(i)));
    }
    ASSERT_TRUE(lists.save());
    const std::vector<PhoneBookEntry> original = lists.entries();

    qlnrec::platform::ScriptedDialogService dialogs;
    const qlnrec::core::Strings simplified(qlnrec::core::Strings::kSimplifiedChinese);
    PhoneBookTransfer transfer(lists, dialogs, folder, simplified);
    dialogs.queueText(folder + QStringLiteral("/book"));
    ASSERT_TRUE(transfer.exportPhoneBook());
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/book.csv")));
    EXPECT_TRUE(
        readFile(folder + QStringLiteral("/book.csv")).startsWith("\"Name, 0 \"\"x\"\"\",+1 (555) 0\r\n"));

    dialogs.queueText(folder + QStringLiteral("/book.csv"));
    dialogs.queueMessageResult(MessageResult::No);  // not appended: the lists are replaced
    dialogs.queueMessageResult(MessageResult::Yes); // and saved
    ASSERT_TRUE(transfer.importPhoneBook());
    PhoneBookLists again(file);
    again.load();
    EXPECT_EQ(again.entries(), original);

    QStringList texts;
    for (const auto& m : dialogs.messages()) {
        texts << m.text;
    }
    EXPECT_EQ(texts, QStringList({QStringLiteral("Finish"), QStringLiteral("Append to the current list?"),
                                  QStringLiteral("Finish Importing!\rDo you want to save the phonebook?")}));
}

// Export names: "csv" at the end is kept only in lower case; an empty phone book says so.
TEST_F(PhoneBookStore, ExportNamesAndTheEmptyPhoneBook)
{
    lists.load();
    qlnrec::platform::ScriptedDialogService dialogs;
    const qlnrec::core::Strings english;
    PhoneBookTransfer transfer(lists, dialogs, folder, english);
    dialogs.queueText(folder + QStringLiteral("/empty.csv"));
    EXPECT_FALSE(transfer.exportPhoneBook());
    EXPECT_EQ(dialogs.messages().back().text, QStringLiteral("There no record in your phonebook!"));
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/empty.csv")));

    lists.append(makeEntry(QStringLiteral("A"), QStringLiteral("1")));
    dialogs.queueText(folder + QStringLiteral("/upper.CSV"));
    EXPECT_TRUE(transfer.exportPhoneBook());
    EXPECT_EQ(readFile(folder + QStringLiteral("/upper.CSV.csv")), QByteArray("A,1\r\n"));
}

// "Copy to the end of list": the copy joins the lists only; unreach.csv grows by the line as
// shown; emptying the file says so once, and nothing when there is no file.
TEST_F(PhoneBookStore, UnreachableCopiesGoToTheListsAndTheSideFile)
{
    lists.load();
    lists.append(makeEntry(QStringLiteral("Anna"), QStringLiteral("555")));
    qlnrec::platform::ScriptedDialogService dialogs;
    const qlnrec::core::Strings english;
    PhoneBookTransfer transfer(lists, dialogs, folder, english);
    ASSERT_TRUE(transfer.appendUnreachable(0));
    ASSERT_TRUE(transfer.appendUnreachable(0));
    EXPECT_EQ(lists.count(), 3);
    EXPECT_EQ(lists.at(2).name, fitField(QStringLiteral("* Anna"), kNameWidth));
    EXPECT_EQ(file.recordCount(), 1);
    const QByteArray line = "* " + QByteArray("Anna").leftJustified(30, ' ') + "," +
                            QByteArray("555").leftJustified(20, ' ') + "\r\n";
    EXPECT_EQ(readFile(transfer.unreachablePath()), line + line);

    transfer.deleteUnreachableFile();
    transfer.deleteUnreachableFile();
    EXPECT_FALSE(QFile::exists(transfer.unreachablePath()));
    EXPECT_EQ(dialogs.messages().size(), 1u);
}

} // namespace

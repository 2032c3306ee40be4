// public.tel as an independent reader writes and reads it, and what the blocking decision sees.
#include "blocklist/block_list.h"
#include "blocklist/block_list_editor.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

using qlnrec::blocklist::BlockList;
using qlnrec::test::runCommand;
using qlnrec::test::writeFile;

class BlockListStore : public ::testing::Test {
protected:
    void SetUp() override { QDir().mkpath(home.programFolder()); }

    QString python(const QString& script)
    {
        writeFile(home.path(QStringLiteral("check.py")), script.toUtf8());
        int code = -1;
        const QString out = runCommand(
            QStringLiteral("python3 '%1' '%2'").arg(home.path(QStringLiteral("check.py")), list.path()),
            &code);
        EXPECT_EQ(code, 0) << out.toStdString();
        return out.trimmed();
    }

    qlnrec::test::TempHome home;
    BlockList list{home.programFolder()};
};

// Numbers written by another program: a negative one blocks its magnitude, a 0 hides the rest,
// and a number matches only as digits without leading zeros.
TEST_F(BlockListStore, LoadsUpToTheFirstZeroAndMatchesMagnitudes)
{
    list.load();
    EXPECT_TRUE(QFile::exists(list.path()));
    EXPECT_EQ(list.entry(0), 0.0);

    python(QStringLiteral(R"(
import struct, sys
open(sys.argv[1], 'wb').write(struct.pack('<5d', 5551234, -123, 18005550100, 0, 777))
)"));
    list.load();
    ASSERT_EQ(list.count(), 3);
    EXPECT_EQ(list.entry(3), 0.0);
    EXPECT_TRUE(list.contains(QStringLiteral(" 5551234 ")));
    EXPECT_TRUE(list.contains(QStringLiteral("123")));
    EXPECT_TRUE(list.contains(QStringLiteral("18005550100")));
    EXPECT_FALSE(list.contains(QStringLiteral("0123")));
    EXPECT_FALSE(list.contains(QStringLiteral("-123")));
    EXPECT_FALSE(list.contains(QStringLiteral("777")));
    EXPECT_FALSE(list.contains(QStringLiteral("UNKNOWN")));
    EXPECT_EQ(BlockList::entryText(-123), QStringLiteral("-123"));
    EXPECT_EQ(BlockList::entryText(1e15), QStringLiteral("1E+15"));
}

// Rewrite and append as an independent reader sees them: little-endian doubles, no 0 ever
// written (a 0 would hide later numbers), an append behind the last number.
TEST_F(BlockListStore, RewriteAndAppendWriteLittleEndianDoubles)
{
    ASSERT_TRUE(list.rewrite(
        {QStringLiteral("0123"), QStringLiteral("0"), QStringLiteral("-42"), QStringLiteral("42")}));
    ASSERT_TRUE(list.append(99));
    ASSERT_TRUE(list.append(99));
    EXPECT_FALSE(list.append(0));
    EXPECT_EQ(python(QStringLiteral(R"(
import struct, sys
data = open(sys.argv[1], 'rb').read()
print(struct.unpack('<%dd' % (len(data) // 8), data))
)")),
              QStringLiteral("(123.0, -42.0, 42.0, 99.0, 99.0)"));
    EXPECT_EQ(list.count(), 5);
    EXPECT_TRUE(list.contains(QStringLiteral("123")));
}

// A file of more than 50000 numbers: the first 50000 load with the end mark behind them, and an
// append is refused rather than written where no load would see it.
TEST_F(BlockListStore, FiftyThousandNumbersAtMost)
{
    python(QStringLiteral(R"(
import struct, sys
open(sys.argv[1], 'wb').write(struct.pack('<50002d', *range(1, 50003)))
)"));
    list.load();
    EXPECT_EQ(list.count(), BlockList::kMaxNumbers);
    EXPECT_EQ(list.entry(BlockList::kMaxNumbers - 1), 50000.0);
    EXPECT_EQ(list.entry(BlockList::kMaxNumbers), 0.0);
    EXPECT_TRUE(list.contains(QStringLiteral("50000")));
    EXPECT_FALSE(list.contains(QStringLiteral("50001")));
    EXPECT_FALSE(list.append(7));
}

// The black list window's list, its delete and add, and a public list brought in and out as text,
// each change read back from public.tel by an independent reader.
TEST_F(BlockListStore, TheEditorWritesEveryChangeAtOnce)
{
    qlnrec::platform::ScriptedDialogService dialogs;
    using Editor = qlnrec::blocklist::BlockListEditor;
    const QString unpack = QStringLiteral(R"(
import struct, sys
data = open(sys.argv[1], 'rb').read()
print(struct.unpack('<%dd' % (len(data) // 8), data))
)");
    python(QStringLiteral(R"(
import struct, sys
open(sys.argv[1], 'wb').write(struct.pack('<4d', 111, 222, -900, 333))
)"));
    list.load();
    const qlnrec::core::Strings english;
    Editor editor(list, dialogs, english);
    editor.loadList();
    EXPECT_EQ(editor.lines(), QStringList({"333", "222", "111", "-900"}));

    EXPECT_FALSE(editor.deleteLine(-1));
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages().back().text, QStringLiteral("Please select an entry"));
    EXPECT_EQ(dialogs.messages().back().title, QStringLiteral("Delete Entry"));
    ASSERT_TRUE(editor.deleteLine(1)); // 222
    EXPECT_EQ(python(unpack), QStringLiteral("(333.0, 111.0, -900.0)"));
    EXPECT_EQ(editor.lines(), QStringList({"111", "333", "-900"}));
    EXPECT_FALSE(list.contains(QStringLiteral("222")));

    dialogs.clear();
    EXPECT_EQ(editor.add(QStringLiteral(" 0555 ")), Editor::AddOutcome::Added);
    EXPECT_EQ(editor.add(QStringLiteral("-77")), Editor::AddOutcome::Added);
    EXPECT_EQ(editor.lines(), QStringList({"555", "111", "333", "-900", "-77"}));
    EXPECT_TRUE(list.contains(QStringLiteral("555")));
    EXPECT_TRUE(list.contains(QStringLiteral("77")));
    for (const char* refused : {"555-1234", "", "inf", "nan", "0", "00", "-0"}) {
        EXPECT_NE(editor.add(QString::fromLatin1(refused)), Editor::AddOutcome::Added) << refused;
    }
    EXPECT_EQ(dialogs.messages().size(), 7u);
    EXPECT_EQ(dialogs.messages().front().text, Editor::notNumericMessage());
    EXPECT_EQ(dialogs.messages().front().title, QStringLiteral("Public Telemarketing List"));
    EXPECT_EQ(dialogs.messages().back().text, editor.zeroMessage());
    EXPECT_EQ(python(unpack), QStringLiteral("(333.0, 111.0, -900.0, 555.0, -77.0)"));

    // A public list as text: one number a line, as people print them; other lines are skipped.
    writeFile(home.path(QStringLiteral("dnc.txt")),
              "555-0100\r\n+1 (800) 555.0199\r\nhello\r\n0\r\n\r\n-123\n");
    dialogs.clear();
    EXPECT_EQ(editor.importPublicList(home.path(QStringLiteral("dnc.txt"))), 3);
    EXPECT_EQ(dialogs.messages().back().text, editor.importedMessage(3, 2));
    EXPECT_EQ(python(unpack),
              QStringLiteral("(555.0, 111.0, 333.0, -900.0, -77.0, -5550100.0, -18005550199.0, -123.0)"));
    EXPECT_TRUE(list.contains(QStringLiteral("18005550199")));

    ASSERT_TRUE(editor.exportPublicList(home.path(QStringLiteral("out.txt"))));
    QFile out(home.path(QStringLiteral("out.txt")));
    ASSERT_TRUE(out.open(QIODevice::ReadOnly));
    EXPECT_EQ(out.readAll(), QByteArray("-900\r\n-77\r\n-5550100\r\n-18005550199\r\n-123\r\n"));
    // What was exported comes back in as the same public-list numbers.
    EXPECT_EQ(editor.importPublicList(home.path(QStringLiteral("out.txt"))), 5);
    EXPECT_EQ(list.count(), 13);
}

} // namespace

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/virtual_event_service.h"
#include "platform/shell/shell_service.h"
#include "records/status_list_menu.h"
#include "records/status_log.h"
#include "tests/platform/shell/pdf_text.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using qlnrec::platform::RecordingShellService;
using qlnrec::platform::VirtualEventService;
using qlnrec::records::StatusLog;
using qlnrec::test::readFile;
using qlnrec::test::TempHome;
using qlnrec::test::writeFile;

namespace {

QDateTime at(int year, int month, int day, int h, int m, int s, int ms = 0)
{
    return QDateTime(QDate(year, month, day), QTime(h, m, s, ms));
}

class StatusLogTest : public ::testing::Test {
protected:
    QString dayFile(const QString& name) const
    {
        return home.programFolder() + QStringLiteral("/LogFiles/") + name;
    }

    TempHome home;
    VirtualEventService events{at(2026, 12, 7, 14, 5, 9)};
};

} // namespace

TEST_F(StatusLogTest, FirstStartOfADayCreatesTheFolderAndAnEmptyDayFile)
{
    ASSERT_FALSE(QFileInfo::exists(home.programFolder() + QStringLiteral("/LogFiles")));
    StatusLog log(events, home.programFolder());
    log.openAtStart();
    EXPECT_TRUE(QFileInfo(home.programFolder() + QStringLiteral("/LogFiles")).isDir());
    const QFileInfo file(dayFile(QStringLiteral("26-12-07.txt")));
    EXPECT_TRUE(file.isFile());
    EXPECT_EQ(file.size(), 0);
    EXPECT_TRUE(log.lines().isEmpty());
    EXPECT_TRUE(log.isOpen());
    EXPECT_EQ(log.currentFilePath(), dayFile(QStringLiteral("26-12-07.txt")));
    EXPECT_TRUE(log.timLog().isEnabled());
    EXPECT_EQ(log.timLog().interval(), 60000u);
}

TEST_F(StatusLogTest, StatusLineIsStampedShownAndWrittenAtOnceWithCrLf)
{
    StatusLog log(events, home.programFolder());
    std::vector<int> appendedRows;
    log.onLinesAppended = [&](int firstNewRow) { appendedRows.push_back(firstNewRow); };
    log.openAtStart();

    EXPECT_EQ(log.addStampedLine(QStringLiteral("Line0 Ring...")), QStringLiteral("Line0 Ring... 14:05:09"));
    events.advance(2500);
    EXPECT_EQ(log.addStampedLine(QStringLiteral("CallerID 5551234")),
              QStringLiteral("CallerID 5551234 14:05:11"));
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("Line0 Ring... 14:05:09"),
                                        QStringLiteral("CallerID 5551234 14:05:11")}));
    EXPECT_EQ(appendedRows, (std::vector<int>{0, 1}));
    // On disk before the log is closed: nothing waits in a buffer.
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-07.txt"))),
              QByteArray("Line0 Ring... 14:05:09\r\nCallerID 5551234 14:05:11\r\n"));
}

TEST_F(StatusLogTest, LineBreaksInsideATextCannotSplitItsLine)
{
    StatusLog log(events, home.programFolder());
    log.openAtStart();
    log.addStatusLine(QStringLiteral("CallerID 555 Evil\r\nLine0 is ready"));
    log.addStatusLine(QStringLiteral("Name\twith\x01"
                                     "controls"));
    EXPECT_EQ(log.lines().size(), 2);
    EXPECT_EQ(log.lines()[0], QStringLiteral("CallerID 555 Evil  Line0 is ready 14:05:09"));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-07.txt"))),
              QByteArray("CallerID 555 Evil  Line0 is ready 14:05:09\r\nName with controls 14:05:09\r\n"));
}

TEST_F(StatusLogTest, SecondStartOnTheSameDayShowsTheEarlierLinesFirst)
{
    {
        StatusLog first(events, home.programFolder());
        first.openAtStart();
        first.addStatusLine(QStringLiteral("Line0 is ready"));
        first.addStatusLine(QStringLiteral("Ende Gelände ü"));
        first.close();
        EXPECT_FALSE(first.timLog().isEnabled());
        EXPECT_FALSE(first.isOpen());
    }
    events.advance(60 * 60 * 1000);
    StatusLog second(events, home.programFolder());
    int firstRow = -1;
    second.onLinesAppended = [&](int row) {
        if (firstRow < 0) {
            firstRow = row;
        }
    };
    second.openAtStart();
    EXPECT_EQ(second.lines(), (QStringList{QStringLiteral("Line0 is ready 14:05:09"),
                                           QStringLiteral("Ende Gelände ü 14:05:09")}));
    EXPECT_EQ(firstRow, 0);
    second.addStatusLine(QStringLiteral("Line0 Ring..."));
    EXPECT_EQ(second.lines().size(), 3);
    EXPECT_EQ(second.lines().last(), QStringLiteral("Line0 Ring... 15:05:09"));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-07.txt"))),
              QByteArray("Line0 is ready 14:05:09\r\nEnde Gel\xc3\xa4nde \xc3\xbc 14:05:09\r\nLine0 Ring... "
                         "15:05:09\r\n"));
}

TEST_F(StatusLogTest, FilesFromOtherSystemsAreReadLineByLine)
{
    QDir().mkpath(home.programFolder() + QStringLiteral("/LogFiles"));
    // LF ends, a lone CR, an empty line, a last line without an ending and a Windows-1252 byte.
    writeFile(dayFile(QStringLiteral("26-12-07.txt")),
              QByteArray("one\ntwo\rthree\r\n\r\nCaf\xe9 au lait\r\nlast"));
    StatusLog log(events, home.programFolder());
    log.openAtStart();
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("one"), QStringLiteral("two"), QStringLiteral("three"),
                                        QString(), QStringLiteral("Café au lait"), QStringLiteral("last")}));

    QStringList big5;
    writeFile(home.path(QStringLiteral("big5.txt")), QByteArray("\xa4\xa4\xa4\xe5\r\n"));
    ASSERT_TRUE(StatusLog::readLogLines(home.path(QStringLiteral("big5.txt")), big5, "Big5"));
    EXPECT_EQ(big5, QStringList{QStringLiteral("中文")});
    QStringList missing;
    EXPECT_FALSE(StatusLog::readLogLines(home.path(QStringLiteral("none.txt")), missing));
}

TEST_F(StatusLogTest, EventsThatRunWhileTheDayFileIsReadStillReachTheFile)
{
    QDir().mkpath(home.programFolder() + QStringLiteral("/LogFiles"));
    writeFile(dayFile(QStringLiteral("26-12-07.txt")), QByteArray("earlier 10:00:00\r\n"));
    StatusLog log(events, home.programFolder());
    events.post([&] { log.addStatusLine(QStringLiteral("queued")); });
    log.openAtStart();
    EXPECT_EQ(log.lines(),
              (QStringList{QStringLiteral("earlier 10:00:00"), QStringLiteral("queued 14:05:09")}));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-07.txt"))),
              QByteArray("earlier 10:00:00\r\nqueued 14:05:09\r\n"));
}

TEST_F(StatusLogTest, MidnightRolloverInVirtualTime)
{
    events.setDateTime(at(2026, 12, 7, 23, 59, 30));
    StatusLog log(events, home.programFolder());
    log.openAtStart();
    log.addStatusLine(QStringLiteral("before midnight"));

    // Tick at 00:00:30: the new day's file is created and logging moves to it.
    events.advance(60000);
    EXPECT_EQ(log.currentFilePath(), dayFile(QStringLiteral("26-12-08.txt")));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-08.txt"))), QByteArray());
    log.addStatusLine(QStringLiteral("after midnight"));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-07.txt"))), QByteArray("before midnight 23:59:30\r\n"));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-08.txt"))), QByteArray("after midnight 00:00:30\r\n"));

    // Tick at 00:01:29, the new file already present: its lines join the list again and
    // appending goes on.
    events.setDateTime(at(2026, 12, 8, 0, 0, 29));
    events.advance(60000);
    EXPECT_EQ(log.lines(), (QStringList{QStringLiteral("before midnight 23:59:30"),
                                        QStringLiteral("after midnight 00:00:30"),
                                        QStringLiteral("after midnight 00:00:30")}));
    log.addStatusLine(QStringLiteral("still logging"));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-08.txt"))),
              QByteArray("after midnight 00:00:30\r\nstill logging 00:01:29\r\n"));

    // Tick at 00:01:31: outside the window, nothing happens.
    events.setDateTime(at(2026, 12, 8, 0, 0, 31));
    events.advance(60000);
    EXPECT_EQ(log.lines().size(), 4);
    log.addStatusLine(QStringLiteral("later"));
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-08.txt"))),
              QByteArray("after midnight 00:00:30\r\nstill logging 00:01:29\r\nlater 00:01:31\r\n"));

    // Closing stops the timer: a tick time inside the window next night changes nothing.
    log.close();
    events.setDateTime(at(2026, 12, 9, 0, 0, 0));
    events.advance(60000);
    EXPECT_FALSE(QFileInfo::exists(dayFile(QStringLiteral("26-12-09.txt"))));
}

TEST_F(StatusLogTest, RolloverActsOnlyStrictlyInsideTheFirstNinetySeconds)
{
    struct Case {
        QTime time;
        bool acts;
    } cases[] = {{QTime(0, 0, 0), false},      {QTime(0, 0, 1), false},   {QTime(0, 0, 1, 1), true},
                 {QTime(0, 1, 29, 999), true}, {QTime(0, 1, 30), false},  {QTime(0, 1, 31), false},
                 {QTime(12, 0, 0), false},     {QTime(23, 59, 59), false}};
    int day = 1;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time.toString(QStringLiteral("hh:mm:ss.zzz")).toStdString());
        TempHome caseHome;
        events.setDateTime(at(2027, 3, day, 23, 0, 0));
        StatusLog log(events, caseHome.programFolder());
        log.openAtStart();
        const QDateTime next(QDate(2027, 3, day + 1), c.time);
        events.setDateTime(next);
        log.timLogTick();
        const QString nextFile =
            caseHome.programFolder() + QStringLiteral("/LogFiles/") + StatusLog::dayFileName(next.date());
        EXPECT_EQ(QFileInfo::exists(nextFile), c.acts);
        ++day;
    }
}

TEST_F(StatusLogTest, PrintLogPrintsEveryEntryOnItsOwnLine)
{
    if (!qlnrec::test::havePdfTools()) {
        GTEST_SKIP() << "pdftotext not installed";
    }
    StatusLog log(events, home.programFolder());
    RecordingShellService shell;
    log.setShellService(&shell);
    log.openAtStart();
    for (const char* text : {"Line0 is ready", "Line0 Ring...", "CallerID 5551234 Anna Smith",
                             "Line0 Start Recording", "End of Recording"}) {
        log.addStatusLine(QString::fromLatin1(text));
    }
    const QString pdf = home.path(QStringLiteral("status.pdf"));
    ASSERT_TRUE(log.printLog(pdf));
    EXPECT_EQ(qlnrec::test::pdfTextLines(pdf), log.lines());

    shell.printerAvailable = false;
    EXPECT_FALSE(log.printLog());
}

// The day log on a really full disk: every line stays in the status list, the trouble is said
// once, and the file holds only whole lines, which go on once space is free again.
TEST_F(StatusLogTest, AFullDiskIsReportedOnceAndTheListGoesOn)
{
    qlnrec::test::SmallDisk disk(home.programFolder() + QStringLiteral("/LogFiles"), 64 * 1024);
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot().toStdString();
    }
    StatusLog log(events, home.programFolder());
    log.openAtStart();
    log.addStatusLine(QStringLiteral("before"));
    disk.fill();
    const QString longLine(200, QLatin1Char('x'));
    for (int i = 0; i < 300; ++i) {
        log.addStatusLine(longLine);
    }
    EXPECT_EQ(log.lines().filter(QStringLiteral("cannot be written")).size(), 1);
    EXPECT_EQ(log.lines().filter(longLine).size(), 300);
    disk.freeSpace();
    log.addStatusLine(QStringLiteral("after"));
    const QStringList written =
        QString::fromUtf8(readFile(log.currentFilePath())).split(QStringLiteral("\r\n"));
    ASSERT_GE(written.size(), 3);
    EXPECT_EQ(written.first(), QStringLiteral("before 14:05:09"));
    EXPECT_EQ(written.at(written.size() - 2), QStringLiteral("after 14:05:09"));
    EXPECT_TRUE(written.last().isEmpty());
    for (const QString& line : written.mid(1, written.size() - 3)) {
        EXPECT_EQ(line, longLine + QStringLiteral(" 14:05:09"));
    }
}

// The status list's menu: the caller's number out of every kind of status line the program
// writes, the message for a line without one, and a missing printer said rather than ignored.
TEST_F(StatusLogTest, TheMenuTakesTheCallersNumberAndSaysWhenNothingCanBeDone)
{
    using qlnrec::records::StatusListMenu;
    const struct {
        const char* line;
        const char* number;
    } cases[] = {
        {"CallerID:5551234 [SMITH JOHN] 14:05:09", "5551234"},
        {"CallerID:5551234 14:05:09", "5551234"},
        {"CallerID:5551234[Blocked] 14:05:09", "5551234"},
        {"CallerID:5551234 [SMITH JOHN]                         Blocked 14:05:09", "5551234"},
        {"CallerID:UNKNOWN 14:05:09", "UNKNOWN"},
        {"UNKNOWN Caller [Blocked] 14:05:09", ""},
        {"Line0 Ring... 14:05:09", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(StatusListMenu::callerNumberOf(QString::fromLatin1(c.line)), QString::fromLatin1(c.number))
            << c.line;
    }

    StatusLog log(events, home.programFolder());
    RecordingShellService shell;
    shell.printerAvailable = false;
    log.setShellService(&shell);
    log.openAtStart();
    log.addStatusLine(QStringLiteral("Line0 Ring..."));
    qlnrec::platform::ScriptedDialogService dialogs;
    const qlnrec::core::Strings english;
    StatusListMenu menu(log, dialogs, english);
    QStringList opened;
    const auto open = [&opened](const QString& number) { opened << number; };
    menu.addToBlackList(log.lines().back(), open);
    menu.addToBlackList(QStringLiteral("CallerID:5551234 14:05:09"), open);
    EXPECT_EQ(opened, QStringList{QStringLiteral("5551234")});
    EXPECT_FALSE(menu.printLog());
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("Plese select a Caller ID entry"));
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("Add Caller ID To Black List"));
    EXPECT_EQ(dialogs.messages()[0].icon, qlnrec::platform::MessageIcon::Information);
    EXPECT_EQ(dialogs.messages()[1].text, QStringLiteral("No printer is available"));
}

TEST_F(StatusLogTest, TheListKeepsTheLatestLinesAndTheDayFileKeepsThemAll)
{
    StatusLog log(events, home.programFolder());
    int dropped = 0;
    std::vector<int> appendedRows;
    log.onLinesDropped = [&](int count) { dropped += count; };
    log.onLinesAppended = [&](int firstNewRow) { appendedRows.push_back(firstNewRow); };
    log.openAtStart();
    const int total = StatusLog::kListCapacity + StatusLog::kListCapacity / 10 + 1;
    for (int i = 0; i < total; ++i) {
        log.addStatusLine(QStringLiteral("line %1").arg(i));
    }
    EXPECT_EQ(log.lines().size(), StatusLog::kListCapacity);
    EXPECT_EQ(dropped, total - StatusLog::kListCapacity);
    EXPECT_EQ(log.lines().last(), QStringLiteral("line %1 14:05:09").arg(total - 1));
    EXPECT_EQ(appendedRows.back(), StatusLog::kListCapacity - 1);
    EXPECT_EQ(readFile(dayFile(QStringLiteral("26-12-07.txt"))).count("\r\n"), total);
}

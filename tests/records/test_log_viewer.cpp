#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/virtual_event_service.h"
#include "platform/shell/shell_service.h"
#include "records/log_viewer.h"
#include "records/status_log.h"
#include "tests/platform/shell/pdf_text.h"
#include "tests/support/temp_home.h"
#include "ui/records/frm_view_log.h"

#include "ui_frm_view_log.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

#include <gtest/gtest.h>

using qlnrec::core::Strings;
using qlnrec::platform::MessageIcon;
using qlnrec::platform::RecordingShellService;
using qlnrec::platform::ScriptedDialogService;
using qlnrec::platform::VirtualEventService;
using qlnrec::records::frmViewLog;
using qlnrec::records::LogViewer;
using qlnrec::records::StatusLog;
using qlnrec::test::readFile;
using qlnrec::test::TempHome;
using qlnrec::test::writeFile;

namespace {

class LogViewerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        log.openAtStart();
        log.addStatusLine(QStringLiteral("Line0 is ready"));
        writeFile(logFile(QStringLiteral("26-12-06.txt")), QByteArray("yesterday one\r\nyesterday two\r\n"));
        writeFile(logFile(QStringLiteral("26-11-30.txt")), QByteArray("last month\r\n"));
    }
    QString logFile(const QString& name) const
    {
        return home.programFolder() + QStringLiteral("/LogFiles/") + name;
    }

    TempHome home;
    VirtualEventService events{QDateTime(QDate(2026, 12, 7), QTime(9, 30, 0))};
    StatusLog log{events, home.programFolder()};
    ScriptedDialogService dialogs;
    RecordingShellService shell;
    Strings strings{0};
};

} // namespace

TEST_F(LogViewerTest, ListsTheLogFilesByName)
{
    LogViewer viewer(log, dialogs, shell, strings);
    EXPECT_EQ(viewer.folder(), home.programFolder() + QStringLiteral("/LogFiles"));
    EXPECT_EQ(viewer.refreshFiles(),
              (QStringList{QStringLiteral("26-11-30.txt"), QStringLiteral("26-12-06.txt"),
                           QStringLiteral("26-12-07.txt")}));
    EXPECT_EQ(viewer.caption(), QStringLiteral("View Log Files"));
    EXPECT_EQ(viewer.exitCaption(), QStringLiteral("Exit"));
    EXPECT_EQ(viewer.printCaption(), QStringLiteral("Print"));
}

TEST_F(LogViewerTest, DisplayingTodaysFileKeepsLaterStatusLinesReachingIt)
{
    LogViewer viewer(log, dialogs, shell, strings);
    ASSERT_TRUE(viewer.display(QStringLiteral("26-12-07.txt")));
    EXPECT_EQ(viewer.displayedLines(), QStringList{QStringLiteral("Line0 is ready 09:30:00")});
    EXPECT_TRUE(log.isOpen());
    events.advance(1000);
    log.addStatusLine(QStringLiteral("Line0 Ring..."));
    EXPECT_EQ(readFile(logFile(QStringLiteral("26-12-07.txt"))),
              QByteArray("Line0 is ready 09:30:00\r\nLine0 Ring... 09:30:01\r\n"));
    // Displaying does not add the file's lines to the status list.
    EXPECT_EQ(log.lines().size(), 2);

    ASSERT_TRUE(viewer.display(QStringLiteral("26-12-06.txt")));
    EXPECT_EQ(viewer.displayedLines(),
              (QStringList{QStringLiteral("yesterday one"), QStringLiteral("yesterday two")}));
}

TEST_F(LogViewerTest, DisplayOfAnUnreadableOrForeignNameLeavesTheListEmpty)
{
    LogViewer viewer(log, dialogs, shell, strings);
    ASSERT_TRUE(viewer.display(QStringLiteral("26-12-06.txt")));
    EXPECT_FALSE(viewer.display(QStringLiteral("26-01-01.txt")));
    EXPECT_TRUE(viewer.displayedLines().isEmpty());
    writeFile(home.programFolder() + QStringLiteral("/secret.txt"), "secret\r\n");
    EXPECT_FALSE(viewer.display(QStringLiteral("../secret.txt")));
    EXPECT_FALSE(viewer.display(QString()));
    EXPECT_TRUE(viewer.displayedLines().isEmpty());
    EXPECT_TRUE(dialogs.requests().empty());
}

TEST_F(LogViewerTest, DeletingTodaysFileIsRefusedWithACriticalBoxAndLoggingGoesOn)
{
    LogViewer viewer(log, dialogs, shell, strings);
    EXPECT_FALSE(viewer.deleteFile(QStringLiteral("26-12-07.txt")));
    ASSERT_EQ(dialogs.messages().size(), 1u);
    const auto box = dialogs.messages()[0];
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_EQ(box.title, QStringLiteral("Quillon"));
    EXPECT_EQ(box.text, QStringLiteral("File already open")); // the run-time error's own description
    EXPECT_TRUE(QFileInfo::exists(logFile(QStringLiteral("26-12-07.txt"))));
    log.addStatusLine(QStringLiteral("Line0 Ring..."));
    EXPECT_EQ(readFile(logFile(QStringLiteral("26-12-07.txt"))),
              QByteArray("Line0 is ready 09:30:00\r\nLine0 Ring... 09:30:00\r\n"));
}

TEST_F(LogViewerTest, DeletingAnotherDaysFileRemovesItAndRefreshesTheList)
{
    LogViewer viewer(log, dialogs, shell, strings);
    viewer.refreshFiles();
    EXPECT_TRUE(viewer.deleteFile(QStringLiteral("26-12-06.txt")));
    EXPECT_FALSE(QFileInfo::exists(logFile(QStringLiteral("26-12-06.txt"))));
    EXPECT_EQ(viewer.files(), (QStringList{QStringLiteral("26-11-30.txt"), QStringLiteral("26-12-07.txt")}));
    // Failures other than the held-open file are silent; nothing outside the folder is touched.
    EXPECT_FALSE(viewer.deleteFile(QStringLiteral("26-12-06.txt")));
    writeFile(home.programFolder() + QStringLiteral("/PhoneBook.txt"), "x");
    EXPECT_FALSE(viewer.deleteFile(QStringLiteral("../PhoneBook.txt")));
    EXPECT_TRUE(QFileInfo::exists(home.programFolder() + QStringLiteral("/PhoneBook.txt")));
    EXPECT_TRUE(dialogs.requests().empty());
}

TEST_F(LogViewerTest, PrintWithNothingDisplayedAsksForAFileInTheUserLanguage)
{
    LogViewer viewer(log, dialogs, shell, strings);
    EXPECT_EQ(viewer.print(), LogViewer::PrintOutcome::NothingToPrint);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, QStringLiteral("Please Select Log File"));
    EXPECT_EQ(dialogs.messages()[0].title, QStringLiteral("View Log Files"));
    EXPECT_EQ(dialogs.messages()[0].icon, MessageIcon::Information);
    EXPECT_TRUE(shell.printedJobs().empty());

    const Strings gb(1000);
    LogViewer chinese(log, dialogs, shell, gb);
    chinese.print();
    EXPECT_EQ(dialogs.messages()[1].text, Strings::resource(2049));
    EXPECT_EQ(dialogs.messages()[1].title, Strings::resource(2046));
}

TEST_F(LogViewerTest, PrintSendsTheDisplayedLinesOnePerPrintedLine)
{
    LogViewer viewer(log, dialogs, shell, strings);
    ASSERT_TRUE(viewer.display(QStringLiteral("26-12-06.txt")));
    EXPECT_EQ(viewer.print(), LogViewer::PrintOutcome::Printed);
    ASSERT_EQ(shell.printedJobs().size(), 1u);
    EXPECT_EQ(shell.printedJobs()[0], viewer.displayedLines());

    if (qlnrec::test::havePdfTools()) {
        const QString pdf = home.path(QStringLiteral("viewer.pdf"));
        EXPECT_EQ(viewer.print(pdf), LogViewer::PrintOutcome::Printed);
        EXPECT_EQ(qlnrec::test::pdfTextLines(pdf), viewer.displayedLines());
    }

    shell.printerAvailable = false;
    EXPECT_EQ(viewer.print(), LogViewer::PrintOutcome::NoPrinter);
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, LogViewer::noPrinterMessage(Strings()));
}

TEST_F(LogViewerTest, WindowShowsTheTextsAndWiresItsControls)
{
    frmViewLog form(log, dialogs, shell, Strings(2000));
    auto& ui = form.ui();
    EXPECT_EQ(form.windowTitle(), Strings::resource(3046));
    EXPECT_EQ(ui.cmdExit->text(), Strings::resource(3047));
    EXPECT_EQ(ui.cmdPrintLog->text(), Strings::resource(3048));
    EXPECT_EQ(ui.Command1->text(), QStringLiteral("->"));
    ASSERT_EQ(ui.File1->count(), 3);
    ASSERT_NE(form.mmuLog(), nullptr);
    EXPECT_EQ(form.mmuLog()->objectName(), QStringLiteral("mmuLog"));
    ASSERT_EQ(form.mmuLog()->actions().size(), 2);
    EXPECT_EQ(form.mmuLog()->actions()[0]->objectName(), QStringLiteral("mmuDisplay"));
    EXPECT_EQ(form.mmuLog()->actions()[1]->objectName(), QStringLiteral("mmuDelete"));

    form.show();
    // Print with an empty list: the box, then the focus goes to the file list.
    ui.cmdExit->setFocus();
    ASSERT_EQ(form.focusWidget(), ui.cmdExit);
    ui.cmdPrintLog->click();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_EQ(dialogs.messages()[0].text, Strings::resource(3049));
    EXPECT_EQ(form.focusWidget(), ui.File1);

    // Display today's file with the arrow button.
    ui.File1->setCurrentRow(2);
    ui.Command1->click();
    ASSERT_EQ(ui.List1->count(), 1);
    EXPECT_EQ(ui.List1->item(0)->text(), QStringLiteral("Line0 is ready 09:30:00"));

    // Double click shows another file, replacing the list.
    emit ui.File1->itemDoubleClicked(ui.File1->item(1));
    ASSERT_EQ(ui.List1->count(), 2);
    EXPECT_EQ(ui.List1->item(1)->text(), QStringLiteral("yesterday two"));

    // Delete through the context menu: today's file is refused, another one goes.
    ui.File1->setCurrentRow(2);
    ui.mmuDelete->trigger();
    ASSERT_EQ(dialogs.messages().size(), 2u);
    EXPECT_EQ(dialogs.messages()[1].title, QStringLiteral("Quillon"));
    EXPECT_EQ(ui.File1->count(), 3);
    ui.File1->setCurrentRow(0);
    ui.mmuDelete->trigger();
    EXPECT_EQ(ui.File1->count(), 2);
    EXPECT_FALSE(QFileInfo::exists(logFile(QStringLiteral("26-11-30.txt"))));

    // Display through the context menu.
    ui.File1->setCurrentRow(0);
    ui.mmuDisplay->trigger();
    EXPECT_EQ(ui.List1->item(0)->text(), QStringLiteral("yesterday one"));

    ui.cmdExit->click();
    EXPECT_FALSE(form.isVisible());
}

// Day logs written by runs in each language's legacy code page (made by an independent encoder)
// read back as the same text whatever language the program runs in now: GB18030 and Big5 bytes
// are both "valid" in the other page, so only the status texts tell them apart.
TEST_F(LogViewerTest, DayLogsOfEveryLanguageReadBackInTheirOwnCodePage)
{
    const QStringList simplified{QStringLiteral("线路0已就绪 14:05:09"),
                                 QStringLiteral("CallerID:5551234 [张伟] 14:05:10"),
                                 QStringLiteral("录音结束 14:06:00")};
    const QStringList traditional{QStringLiteral("線路0已就緒 14:05:09"),
                                  QStringLiteral("CallerID:5551234 [陳大文] 14:05:10"),
                                  QStringLiteral("錄音結束 14:06:00")};
    const QStringList english{QStringLiteral("Line0 is ready 14:05:09"),
                              QStringLiteral("CallerID:5551234 [Jos\u00e9 M\u00fcller] 14:05:10")};
    const struct {
        QString file;
        const char* encoding;
        QStringList lines;
    } files[] = {{QStringLiteral("26-12-01.txt"), "gb18030", simplified},
                 {QStringLiteral("26-12-02.txt"), "big5", traditional},
                 {QStringLiteral("26-12-03.txt"), "cp1252", english}};
    for (const auto& f : files) {
        writeFile(home.path(QStringLiteral("lines.txt")), f.lines.join(QStringLiteral("\r\n")).toUtf8());
        int code = -1;
        const QString out = qlnrec::test::runCommand(
            QStringLiteral(
                "python3 -c \"import sys; t=open(sys.argv[1], encoding='utf-8', newline='').read(); "
                "open(sys.argv[2], 'wb').write(t.encode(sys.argv[3]))\" '%1' '%2' %3")
                .arg(home.path(QStringLiteral("lines.txt")), logFile(f.file),
                     QString::fromLatin1(f.encoding)),
            &code);
        ASSERT_EQ(code, 0) << out.toStdString();
    }
    for (const Strings language : {Strings(Strings::kEnglish), Strings(Strings::kSimplifiedChinese),
                                   Strings(Strings::kTraditionalChinese)}) {
        log.setLegacyEncoding(language.legacyEncoding());
        LogViewer viewer(log, dialogs, shell, language);
        for (const auto& f : files) {
            SCOPED_TRACE(
                (f.file + QStringLiteral(" read in ") + QString::fromLatin1(language.legacyEncoding()))
                    .toStdString());
            ASSERT_TRUE(viewer.display(f.file));
            EXPECT_EQ(viewer.displayedLines(), f.lines);
        }
    }
}

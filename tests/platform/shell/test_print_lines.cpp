#include "platform/shell/shell_service.h"
#include "tests/platform/shell/pdf_text.h"
#include "tests/support/temp_home.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using qlnrec::platform::DesktopShellService;
using qlnrec::platform::RecordingShellService;
using qlnrec::test::pdfPageCount;
using qlnrec::test::pdfTextLines;
using qlnrec::test::TempHome;

TEST(PrintLines, EachEntryIsOnePrintedLineInOrder)
{
    if (!qlnrec::test::havePdfTools()) {
        GTEST_SKIP() << "pdftotext not installed";
    }
    TempHome home;
    const QStringList lines{
        QStringLiteral("Line0 is ready 08:00:01"), QStringLiteral("Line0 Ring... 09:14:55"),
        QStringLiteral("CallerID 5551234 Anna 09:14:56"), QStringLiteral("Line0 Start Recording 09:15:02")};
    const QString pdf = home.path(QStringLiteral("four.pdf"));
    DesktopShellService shell;
    ASSERT_TRUE(shell.printLines(lines, pdf));
    EXPECT_EQ(pdfTextLines(pdf), lines);
    EXPECT_EQ(pdfPageCount(pdf), 1);
}

TEST(PrintLines, LongEntriesStayOnOneLineAndManyEntriesBreakIntoPages)
{
    if (!qlnrec::test::havePdfTools()) {
        GTEST_SKIP() << "pdftotext not installed";
    }
    TempHome home;
    QStringList lines;
    for (int i = 0; i < 150; ++i) {
        lines
            << QStringLiteral("Entry %1 CallerID 555%1 10:00:%2").arg(i).arg(i % 60, 2, 10, QLatin1Char('0'));
    }
    // Wider than the page at the normal size; it is printed smaller rather than wrapped.
    lines[7] = QStringLiteral("Long ") + QStringLiteral("word ").repeated(25) + QStringLiteral("end");
    const QString pdf = home.path(QStringLiteral("many.pdf"));
    RecordingShellService shell;
    ASSERT_TRUE(shell.printLines(lines, pdf));
    const QStringList read = pdfTextLines(pdf);
    ASSERT_EQ(read.size(), lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(read[i].simplified(), lines[i].simplified()) << i;
    }
    EXPECT_GE(pdfPageCount(pdf), 2);
    ASSERT_EQ(shell.printedJobs().size(), 1u);
}

TEST(PrintLines, ControlCharactersDoNotSplitAnEntry)
{
    if (!qlnrec::test::havePdfTools()) {
        GTEST_SKIP() << "pdftotext not installed";
    }
    TempHome home;
    const QString pdf = home.path(QStringLiteral("ctl.pdf"));
    DesktopShellService shell;
    ASSERT_TRUE(shell.printLines({QStringLiteral("alpha\tbeta\rgamma\ndelta"), QStringLiteral("next")}, pdf));
    EXPECT_EQ(pdfTextLines(pdf), (QStringList{QStringLiteral("alpha beta gamma delta"), QStringLiteral("next")}));
}

TEST(PrintLines, WithoutAPrinterNothingIsPrintedAndFalseIsReturned)
{
    RecordingShellService shell;
    shell.printerAvailable = false;
    EXPECT_FALSE(shell.printLines({QStringLiteral("x")}));
    EXPECT_TRUE(shell.printedJobs().empty());

    TempHome home;
    // A PDF that cannot be written is a failed job, not a printed one.
    DesktopShellService desktop;
    EXPECT_FALSE(desktop.printLines({QStringLiteral("x")}, home.path(QStringLiteral("no/such/dir/x.pdf"))));
    EXPECT_FALSE(QFileInfo::exists(home.path(QStringLiteral("no/such/dir/x.pdf"))));
}

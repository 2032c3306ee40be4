#include "platform/shell/shell_service.h"
#include "tests/support/temp_home.h"

#include <QFileInfo>
#include <QSettings>

#include <gtest/gtest.h>

using qlnrec::platform::autoStartEntryPath;
using qlnrec::platform::DesktopShellService;
using qlnrec::platform::RecordingShellService;
using qlnrec::test::TempHome;

namespace {

// The entry as a desktop environment reads it: one key=value per line in [Desktop Entry].
QMap<QString, QString> readEntry(const QString& path)
{
    QMap<QString, QString> keys;
    const QString text = QString::fromUtf8(qlnrec::test::readFile(path));
    EXPECT_TRUE(text.startsWith(QStringLiteral("[Desktop Entry]\n")));
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq > 0) {
            EXPECT_FALSE(keys.contains(line.left(eq))) << "duplicate key " << line.toStdString();
            keys.insert(line.left(eq), line.mid(eq + 1));
        }
    }
    return keys;
}

} // namespace

TEST(AutoStart, OnWritesAnEnabledEntryAndOffKeepsItPresentButDisabled)
{
    TempHome home;
    const QString path = autoStartEntryPath();
    EXPECT_EQ(path, home.root() + QStringLiteral("/config/autostart/qlnrec.desktop"));
    EXPECT_FALSE(QFileInfo::exists(path));

    DesktopShellService shell;
    ASSERT_TRUE(shell.setAutoStart(true, QStringLiteral("/usr/bin/qlnrec")));
    auto entry = readEntry(path);
    EXPECT_EQ(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")), QStringLiteral("/usr/bin/qlnrec"));
    EXPECT_EQ(entry.value(QStringLiteral("Hidden")), QStringLiteral("false"));
    EXPECT_FALSE(entry.value(QStringLiteral("Name")).isEmpty());

    ASSERT_TRUE(shell.setAutoStart(false, QStringLiteral("/usr/bin/qlnrec")));
    ASSERT_TRUE(QFileInfo::exists(path));
    entry = readEntry(path);
    EXPECT_TRUE(entry.contains(QStringLiteral("Exec")));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")), QString());
    EXPECT_EQ(entry.value(QStringLiteral("Hidden")), QStringLiteral("true"));

    // Turning it on again enables the same entry.
    ASSERT_TRUE(shell.setAutoStart(true, QStringLiteral("/opt/q/qlnrec")));
    entry = readEntry(path);
    EXPECT_EQ(entry.value(QStringLiteral("Exec")), QStringLiteral("/opt/q/qlnrec"));
    EXPECT_EQ(entry.value(QStringLiteral("Hidden")), QStringLiteral("false"));
}

TEST(AutoStart, ProgramPathsWithBlanksAndSpecialCharactersAreQuotedAndEscaped)
{
    TempHome home;
    DesktopShellService shell;
    ASSERT_TRUE(shell.setAutoStart(true, QStringLiteral("/home/a b/100% \"q\"/qlnrec")));
    // Quoted for the Exec field ("\"" inside quotes), percent doubled, then the entry's string
    // escape doubles each backslash.
    EXPECT_EQ(readEntry(autoStartEntryPath()).value(QStringLiteral("Exec")),
              QStringLiteral("\"/home/a b/100%% \\\\\"q\\\\\"/qlnrec\""));

    // A path with a line break would forge further keys; it is refused and the entry unchanged.
    EXPECT_FALSE(shell.setAutoStart(true, QStringLiteral("/tmp/x\nHidden=false")));
    EXPECT_FALSE(shell.setAutoStart(true, QString()));
    EXPECT_EQ(readEntry(autoStartEntryPath()).value(QStringLiteral("Hidden")), QStringLiteral("false"));
}

TEST(AutoStart, RecordingShellWritesTheSameEntryAndRecordsTheRequest)
{
    TempHome home;
    RecordingShellService shell;
    ASSERT_TRUE(shell.setAutoStart(false, QStringLiteral("/usr/bin/qlnrec")));
    EXPECT_EQ(readEntry(autoStartEntryPath()).value(QStringLiteral("Hidden")), QStringLiteral("true"));
    ASSERT_EQ(shell.requests().size(), 1u);
    EXPECT_EQ(shell.requests()[0].kind, QStringLiteral("autostart"));
    EXPECT_EQ(shell.requests()[0].arguments, QStringList{QStringLiteral("off")});
}

TEST(ShellService, MissingDocumentsFoldersAndProgramsAreReportedNotOpened)
{
    TempHome home;
    DesktopShellService shell;
    EXPECT_FALSE(shell.openDocument(home.path(QStringLiteral("no/such/helpen.chm"))));
    EXPECT_FALSE(shell.exploreFolder(home.path(QStringLiteral("no/such/folder"))));
    EXPECT_FALSE(shell.startProgram(QStringLiteral("qlnrec-no-such-helper-program.exe")));
    EXPECT_FALSE(shell.startProgram(home.path(QStringLiteral("missing/tool"))));

    RecordingShellService recording;
    EXPECT_FALSE(recording.openDocument(home.path(QStringLiteral("helpbig5.htm"))));
    qlnrec::test::writeFile(home.path(QStringLiteral("helpbig5.htm")), "<html/>");
    EXPECT_TRUE(recording.openDocument(home.path(QStringLiteral("helpbig5.htm"))));
    EXPECT_TRUE(recording.openDocument(QStringLiteral("https://example.org/")));
    recording.programsAvailable = false;
    EXPECT_FALSE(recording.startProgram(QStringLiteral("sndvol32.exe")));
    ASSERT_EQ(recording.requests().size(), 4u);
    EXPECT_EQ(recording.requests()[3].kind, QStringLiteral("start"));
    EXPECT_EQ(recording.requests()[3].target, QStringLiteral("sndvol32.exe"));
}

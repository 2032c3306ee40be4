// The built program as a process: its command line, one copy per user and settings store, and
// the orderly shutdown on SIGTERM.
#include "app/command_line.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using app::parseCommandLine;

TEST(CommandLine, OptionsAreReadAndBadValuesRefused)
{
    QString error;
    const auto options =
        parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("--home"), QStringLiteral("/x/y"),
                          QStringLiteral("--lines"), QStringLiteral("sim:2"), QStringLiteral("--language"),
                          QStringLiteral("2"), QStringLiteral("--virtual-time")},
                         &error);
    ASSERT_TRUE(options) << error.toStdString();
    EXPECT_EQ(options->home, QStringLiteral("/x/y"));
    EXPECT_EQ(options->lines, QStringLiteral("sim:2"));
    EXPECT_EQ(options->language, QStringLiteral("2"));
    EXPECT_TRUE(options->virtualTime);
    EXPECT_TRUE(options->headless());
    EXPECT_FALSE(options->demo);

    const auto plain = parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("--demo")}, &error);
    ASSERT_TRUE(plain);
    EXPECT_FALSE(plain->headless());
    EXPECT_FALSE(plain->language.has_value());

    EXPECT_FALSE(parseCommandLine(
        {QStringLiteral("qlnrec"), QStringLiteral("--language"), QStringLiteral("5")}, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("--language")));
    const auto stalls = parseCommandLine(
        {QStringLiteral("qlnrec"), QStringLiteral("--log-stalls"), QStringLiteral("40")}, &error);
    ASSERT_TRUE(stalls);
    EXPECT_EQ(stalls->logStallsMs, 40);
    for (const char* bad : {"0", "-5", "fast", "60001"}) {
        EXPECT_FALSE(parseCommandLine(
            {QStringLiteral("qlnrec"), QStringLiteral("--log-stalls"), QLatin1String(bad)}, &error))
            << bad;
    }
    EXPECT_FALSE(parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("stray")}, &error));
    EXPECT_FALSE(parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("--no-such-option")}, &error));
    EXPECT_FALSE(parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("--home")}, &error));
    QString help;
    EXPECT_FALSE(parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("--help")}, &error, &help));
    EXPECT_TRUE(help.contains(QStringLiteral("--scenario")));
}

class ProgramProcess : public ::testing::Test {
protected:
    void SetUp() override
    {
        binary = qEnvironmentVariable("QLNREC_BINARY_DIR") + QStringLiteral("/bin/qlnrec");
        if (!QFileInfo(binary).isExecutable()) {
            GTEST_SKIP() << "the program is not built";
        }
        const QString runtime = home.path(QStringLiteral("runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.remove(QStringLiteral("QLNREC_HOME"));
        programFolder = home.path(QStringLiteral("program"));
        scenario = home.path(QStringLiteral("long.txt"));
        writeFile(scenario, "0s 0 ring 1\n3600s 0 end\n");
    }

    void start(QProcess& process, const QStringList& extra = {})
    {
        process.setProcessEnvironment(env);
        process.setReadChannel(QProcess::StandardError);
        process.start(binary, QStringList{QStringLiteral("--home"), programFolder,
                                          QStringLiteral("--scenario"), scenario} +
                                  extra);
    }

    // Reads the process's standard error until text appears or the process ends.
    static QByteArray readUntil(QProcess& process, const QByteArray& text)
    {
        QByteArray seen;
        while (!seen.contains(text)) {
            if (!process.waitForReadyRead(-1)) {
                seen += process.readAllStandardError();
                break;
            }
            seen += process.readAllStandardError();
        }
        return seen;
    }

    TempHome home;
    QString binary;
    QString programFolder;
    QString scenario;
    QProcessEnvironment env;
};

TEST_F(ProgramProcess, SecondCopyIsRefusedAndTheFirstShutsDownInOrderOnSigterm)
{
    QProcess first;
    start(first);
    const QByteArray firstLog = readUntil(first, "main window loaded");
    ASSERT_TRUE(firstLog.contains("main window loaded")) << firstLog.toStdString();

    QProcess second;
    start(second);
    second.waitForFinished(-1);
    const QByteArray secondLog = second.readAllStandardError();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(secondLog.contains("MessageBox [critical] Quillon: Quillon Is Already Running"))
        << secondLog.toStdString();
    EXPECT_FALSE(secondLog.contains("main window loaded"));
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate();
    first.waitForFinished(-1);
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_EQ(readFile(programFolder + QStringLiteral("/Steps.txt")),
              QByteArray("1\r\n2\r\n6\r\n8\r\n9\r\n10\r\n"));
    const QByteArray journal = readFile(programFolder + QStringLiteral("/settings.txt"));
    EXPECT_TRUE(journal.startsWith("Config@Language@0\r\n")) << journal.toStdString();
    EXPECT_TRUE(journal.endsWith("\r\n"));

    // With the first copy gone, the next one starts (and ends by itself).
    QProcess third;
    start(third, {QStringLiteral("--virtual-time"), QStringLiteral("--exit-when-done")});
    third.waitForFinished(-1);
    EXPECT_EQ(third.exitCode(), 0) << third.readAllStandardError().toStdString();
}

TEST_F(ProgramProcess, BadScenarioOrLinesAreReportedBeforeAnythingStarts)
{
    writeFile(scenario, "0s 0 ring 1\nbogus line here\n");
    QProcess bad;
    start(bad);
    bad.waitForFinished(-1);
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardError().contains("line 2"));
    EXPECT_FALSE(QFileInfo::exists(programFolder + QStringLiteral("/Steps.txt")));

    QProcess badLines;
    badLines.setProcessEnvironment(env);
    badLines.start(binary, {QStringLiteral("--home"), programFolder, QStringLiteral("--lines"),
                            QStringLiteral("nosuch:1")});
    badLines.waitForFinished(-1);
    EXPECT_EQ(badLines.exitCode(), 2);
    EXPECT_TRUE(badLines.readAllStandardError().contains("--lines"));
}

TEST_F(ProgramProcess, TheDemonstrationAnswersACallAndKeepsTheMessageApartFromTheUsersFiles)
{
    env.insert(QStringLiteral("TMPDIR"), home.path(QStringLiteral("tmp")));
    QDir().mkpath(home.path(QStringLiteral("tmp")));
    QProcess demo;
    demo.setProcessEnvironment(env);
    demo.start(binary, {QStringLiteral("--demo"), QStringLiteral("--virtual-time"),
                        QStringLiteral("--exit-when-done")});
    demo.waitForFinished(-1);
    EXPECT_EQ(demo.exitCode(), 0) << demo.readAllStandardError().toStdString();

    const QStringList folders =
        QDir(home.path(QStringLiteral("tmp"))).entryList({QStringLiteral("qlnrec-demo-*")}, QDir::Dirs);
    ASSERT_EQ(folders.size(), 1);
    const QDir folder(home.path(QStringLiteral("tmp/")) + folders.first());
    const QStringList messages = folder.entryList({QStringLiteral("A~L 0*.wav")}, QDir::Files);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_GT(QFileInfo(folder.filePath(messages.first())).size(), 8000 * 2 * 3);
    const QDir logs(folder.filePath(QStringLiteral("LogFiles")));
    QFile log(logs.filePath(logs.entryList(QDir::Files).value(0)));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_TRUE(log.readAll().contains("Line0 Starts Recording"));
    // The user's own settings were not touched.
    EXPECT_FALSE(QFileInfo::exists(home.path(QStringLiteral("config/qlnrec/qlnrec.conf"))));
}

} // namespace
} // namespace qlnrec::test

// The built program as a process: its command line, one copy per user and settings store, and
// the orderly shutdown on SIGTERM.
#include "app/command_line.h"
#include "platform/shell/shell_service.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <tuple>

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

// Help, version and a bad option are answered before any window system is asked for.
TEST_F(ProgramProcess, TheCommandLineIsAnsweredWithoutADisplay)
{
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QLatin1String(name));
    }
    const auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(binary, arguments);
        process.waitForFinished(-1);
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << arguments.join(' ').toStdString();
        return std::tuple{process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                          QString::fromLocal8Bit(process.readAllStandardError())};
    };
    const auto [helpCode, help, helpErrors] = run({QStringLiteral("--help")});
    EXPECT_EQ(helpCode, 0) << helpErrors.toStdString();
    EXPECT_TRUE(help.contains(QStringLiteral("Usage:"))) << help.toStdString();
    EXPECT_TRUE(help.contains(QStringLiteral("--demo"))) << help.toStdString();

    const auto [versionCode, version, versionErrors] = run({QStringLiteral("--version")});
    EXPECT_EQ(versionCode, 0) << versionErrors.toStdString();
    EXPECT_TRUE(version.startsWith(QStringLiteral("qlnrec "))) << version.toStdString();

    const auto [badCode, badOut, bad] = run({QStringLiteral("--no-such-option")});
    EXPECT_EQ(badCode, 2);
    EXPECT_TRUE(badOut.isEmpty());
    EXPECT_TRUE(bad.contains(QStringLiteral("no-such-option"))) << bad.toStdString();

    // Qt's own options are left to it, not refused.
    const auto [styledCode, styled, styledErrors] =
        run({QStringLiteral("-style"), QStringLiteral("fusion"), QStringLiteral("--help")});
    EXPECT_EQ(styledCode, 0) << styledErrors.toStdString();
    EXPECT_TRUE(styled.contains(QStringLiteral("Usage:")));
}

// A program folder that cannot be used is said before the settings are read: in the language
// stored there, else in the desktop's.
TEST_F(ProgramProcess, AnUnusableProgramFolderIsSaidInTheUsersLanguage)
{
    programFolder = home.path(QStringLiteral("not-a-folder"));
    writeFile(programFolder, "a file where the folder should be");
    const auto said = [&] {
        QProcess process;
        start(process, {QStringLiteral("--virtual-time")});
        process.waitForFinished(-1);
        EXPECT_EQ(process.exitCode(), 1);
        return QString::fromUtf8(process.readAllStandardError());
    };
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("zh_TW.UTF-8"));
    EXPECT_TRUE(said().contains(QStringLiteral("Quillon 無法儲存其檔案"))) << said().toStdString();
    writeFile(home.configFile(), "[Config]\nLanguage=1\n");
    EXPECT_TRUE(said().contains(QStringLiteral("Quillon 无法保存其文件"))) << said().toStdString();
}

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

// Every file under folder with its bytes.
QMap<QString, QByteArray> filesUnder(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(path, readFile(path));
    }
    return files;
}

TEST_F(ProgramProcess, AFirstStartDemonstrationAnswersACallInItsOwnProfileAndLeavesTheUsersFilesAlone)
{
    const QString tmp = home.path(QStringLiteral("tmp"));
    QDir().mkpath(tmp);
    env.insert(QStringLiteral("TMPDIR"), tmp);
    // The user's own settings and program folder, as an earlier run left them.
    writeFile(home.configFile(), "[Config]\nLanguage=2\nSaveFile=/nowhere/\nLine0=0\n");
    writeFile(home.programFolder() + QStringLiteral("/settings.txt"), "2026-12-01 Language=2\n");
    auto userFiles = [&] {
        QMap<QString, QByteArray> files = filesUnder(home.root() + QStringLiteral("/config"));
        files.insert(filesUnder(home.programFolder()));
        return files;
    };
    const QMap<QString, QByteArray> before = userFiles();

    auto runDemo = [&](const QStringList& extra) {
        QProcess demo;
        demo.setProcessEnvironment(env);
        demo.start(binary, QStringList{QStringLiteral("--demo"), QStringLiteral("--virtual-time"),
                                       QStringLiteral("--exit-when-done")} +
                               extra);
        demo.waitForFinished(-1);
        const QString said = QString::fromLocal8Bit(demo.readAllStandardError());
        EXPECT_EQ(demo.exitCode(), 0) << said.toStdString();
        // Straight to the call: neither the disclaimer nor the setup dialog.
        EXPECT_FALSE(said.contains(QStringLiteral("frmTip"))) << said.toStdString();
        EXPECT_FALSE(said.contains(QStringLiteral("frmSetup"))) << said.toStdString();
        EXPECT_FALSE(said.contains(QStringLiteral("frmWhatsNew"))) << said.toStdString();
        return QDir(tmp).entryList({QStringLiteral("qlnrec-demo-*")}, QDir::Dirs);
    };

    const QStringList kept = runDemo({QStringLiteral("--keep-demo")});
    ASSERT_EQ(kept.size(), 1);
    const QDir profile(tmp + QLatin1Char('/') + kept.first());
    const QDir recordings(profile.filePath(QStringLiteral("waveFiles")));
    const QStringList messages = recordings.entryList({QStringLiteral("A~L 0*.wav")}, QDir::Files);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_GT(QFileInfo(recordings.filePath(messages.first())).size(), 8000 * 2 * 3);
    // Listed as unread in the profile's own settings.
    EXPECT_TRUE(
        readFile(profile.filePath(QStringLiteral("qlnrec.conf"))).contains(messages.first().toUtf8()));

    EXPECT_EQ(userFiles(), before);

    // Without --keep-demo the profile goes at the end.
    EXPECT_EQ(runDemo({}), kept);
    EXPECT_EQ(userFiles(), before);
}

TEST(AutoStartEntry, StartsTheProgramWithTheProgramFolderItRunsWith)
{
    TempHome home;
    QString error;
    const auto plain = parseCommandLine({QStringLiteral("qlnrec")}, &error);
    ASSERT_TRUE(plain);
    EXPECT_TRUE(app::autoStartArguments(*plain, QStringLiteral("/x")).isEmpty());
    qputenv("QLNREC_HOME", "/srv/calls");
    EXPECT_EQ(app::autoStartArguments(*plain, QStringLiteral("/srv/calls")),
              QStringList({QStringLiteral("--home"), QStringLiteral("/srv/calls")}));
    qunsetenv("QLNREC_HOME");

    const auto withHome =
        parseCommandLine({QStringLiteral("qlnrec"), QStringLiteral("--home"), QStringLiteral("x")}, &error);
    ASSERT_TRUE(withHome);
    platform::RecordingShellService shell;
    shell.autoStartArguments =
        app::autoStartArguments(*withHome, QStringLiteral("/home/me/my \"calls\" 100%"));
    ASSERT_TRUE(shell.setAutoStart(true, QStringLiteral("/usr/bin/qlnrec")));
    // Each argument quoted by the Exec rules (percent doubled), then the entry's backslash escape.
    EXPECT_TRUE(readFile(platform::autoStartEntryPath())
                    .contains("\nExec=/usr/bin/qlnrec --home \"/home/me/my \\\\\"calls\\\\\" 100%%\"\n"));

    // A folder name with a line break would forge keys of the entry: refused.
    shell.autoStartArguments = {QStringLiteral("--home"), QStringLiteral("/tmp/a\nHidden=true")};
    EXPECT_FALSE(shell.setAutoStart(true, QStringLiteral("/usr/bin/qlnrec")));
}

} // namespace
} // namespace qlnrec::test

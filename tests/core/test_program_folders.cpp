// Where the program keeps its files, and the private temporary folder.
#include "core/program_folders.h"
#include "core/strings.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlnrec::test {
namespace {

using core::ProgramFolders;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name))
    {
        if (value.isNull()) {
            qunsetenv(name);
        } else {
            qputenv(name, value);
        }
    }
    ~ScopedEnv()
    {
        if (old_.isNull()) {
            qunsetenv(name_);
        } else {
            qputenv(name_, old_);
        }
    }

private:
    const char* name_;
    QByteArray old_;
};

mode_t modeOf(const QString& path)
{
    struct stat st {};
    ::lstat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

TEST(ProgramFolder, HomeOptionThenEnvironmentThenXdgDataThenHome)
{
    TempHome home;
    EXPECT_EQ(core::ProgramFolders::resolveProgramFolder(), home.programFolder());
    {
        ScopedEnv env("QLNREC_HOME", home.path(QStringLiteral("fromenv/")).toUtf8());
        EXPECT_EQ(core::ProgramFolders::resolveProgramFolder(), home.path(QStringLiteral("fromenv")));
        EXPECT_EQ(core::ProgramFolders::resolveProgramFolder(home.path(QStringLiteral("x/../opt"))),
                  home.path(QStringLiteral("opt")));
    }
    {
        ScopedEnv relative("XDG_DATA_HOME", QByteArray("relative/data"));
        EXPECT_EQ(core::ProgramFolders::resolveProgramFolder(),
                  QDir::homePath() + QStringLiteral("/.local/share/qlnrec"));
    }
}

TEST(ProgramFolder, CreatedWhenMissingAndRefusedWhenAFileIsInTheWay)
{
    TempHome home;
    QString error;
    EXPECT_TRUE(core::ProgramFolders::ensureWritableFolder(home.path(QStringLiteral("a/b/c")),
                                                           core::Strings(), &error));
    EXPECT_TRUE(QFileInfo(home.path(QStringLiteral("a/b/c"))).isDir());
    EXPECT_TRUE(QDir(home.path(QStringLiteral("a/b/c"))).entryList(QDir::Files | QDir::Hidden).isEmpty());

    writeFile(home.path(QStringLiteral("plainfile")), "x");
    EXPECT_FALSE(core::ProgramFolders::ensureWritableFolder(home.path(QStringLiteral("plainfile")),
                                                            core::Strings(), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("not a folder")));
    // The reason goes into the start-up box, which speaks the user's language.
    const core::Strings chinese(core::Strings::kSimplifiedChinese);
    EXPECT_FALSE(
        core::ProgramFolders::ensureWritableFolder(home.path(QStringLiteral("plainfile")), chinese, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("不是文件夹"))) << qPrintable(error);
}

TEST(ProgramFolder, FoldersMadeArePrivateAndFoldersThatExistKeepTheirRights)
{
    TempHome home;
    const QString shared = home.path(QStringLiteral("shared"));
    ASSERT_TRUE(QDir().mkpath(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0755), 0);
    QString error;
    EXPECT_TRUE(
        ProgramFolders::ensureWritableFolder(shared + QStringLiteral("/a/b"), core::Strings(), &error));
    EXPECT_EQ(modeOf(shared), 0755u);
    EXPECT_EQ(modeOf(shared + QStringLiteral("/a")), 0700u);
    EXPECT_EQ(modeOf(shared + QStringLiteral("/a/b")), 0700u);
    EXPECT_TRUE(ProgramFolders::makePrivatePath(shared));
    EXPECT_EQ(modeOf(shared), 0755u);
    writeFile(home.path(QStringLiteral("plainfile")), "x");
    EXPECT_FALSE(ProgramFolders::makePrivatePath(home.path(QStringLiteral("plainfile"))));
}

TEST(UnfinishedRecordingsFolder, PrivateFolderInsideTheRecordingsFolder)
{
    TempHome home;
    const QString recordings = home.path(QStringLiteral("rec/"));
    ASSERT_TRUE(QDir().mkpath(recordings));
    ASSERT_EQ(::chmod(QFile::encodeName(recordings).constData(), 0755), 0);
    const QString folder = ProgramFolders::unfinishedRecordingsFolder(recordings);
    EXPECT_EQ(folder, recordings + QStringLiteral(".unfinished/"));
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(modeOf(recordings), 0755u);
    // One that was opened up is closed again; a link in its place is refused.
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0755), 0);
    EXPECT_EQ(ProgramFolders::unfinishedRecordingsFolder(recordings), folder);
    EXPECT_EQ(modeOf(folder), 0700u);
    const QString other = home.path(QStringLiteral("other/"));
    ASSERT_TRUE(QDir().mkpath(other + QStringLiteral("elsewhere")));
    ASSERT_TRUE(QFile::link(other + QStringLiteral("elsewhere"), other + QStringLiteral(".unfinished")));
    QString error;
    EXPECT_TRUE(ProgramFolders::unfinishedRecordingsFolder(other, &error).isEmpty());
    EXPECT_TRUE(
        ProgramFolders::unfinishedRecordingsFolder(home.path(QStringLiteral("missing/")), &error).isEmpty());
}

TEST(RecordingsFolder, SettingOrProgramFolderAlwaysEndingInSlash)
{
    EXPECT_EQ(core::ProgramFolders::recordingsFolder({}, QStringLiteral("/home/u/.local/share/qlnrec")),
              QStringLiteral("/home/u/.local/share/qlnrec/"));
    EXPECT_EQ(core::ProgramFolders::recordingsFolder(QStringLiteral("/srv/calls/"), QStringLiteral("/p")),
              QStringLiteral("/srv/calls/"));
    EXPECT_EQ(core::ProgramFolders::recordingsFolder(QStringLiteral("/srv/calls"), QStringLiteral("/p")),
              QStringLiteral("/srv/calls/"));
}

TEST(PrivateTempFolder, RuntimeFolderIsUsedAndClosedToOthers)
{
    QTemporaryDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    const QString expected = runtime.path() + QStringLiteral("/qlnrec");
    ASSERT_TRUE(QDir().mkpath(expected));
    ::chmod(QFile::encodeName(expected).constData(), 0777);

    QString error;
    const QString folder = core::ProgramFolders::privateTempFolder(QStringLiteral("qlnrec"), &error);
    EXPECT_EQ(folder, expected + QLatin1Char('/')) << error.toStdString();
    EXPECT_EQ(modeOf(expected), 0700U);
}

TEST(PrivateTempFolder, SharedTempNameTakenByALinkGivesAFreshFolder)
{
    QTemporaryDir shared;
    QTemporaryDir elsewhere;
    ScopedEnv runtime("XDG_RUNTIME_DIR", QByteArray());
    ScopedEnv tmp("TMPDIR", shared.path().toUtf8());
    const QString usual = shared.path() + QStringLiteral("/qlnrec-") + QString::number(::getuid());
    ASSERT_TRUE(QFile::link(elsewhere.path(), usual));

    QString error;
    const QString folder = core::ProgramFolders::privateTempFolder(QStringLiteral("qlnrec"), &error);
    ASSERT_FALSE(folder.isEmpty()) << error.toStdString();
    EXPECT_TRUE(folder.endsWith(QLatin1Char('/')));
    EXPECT_NE(folder, usual + QLatin1Char('/'));
    EXPECT_TRUE(folder.startsWith(usual + QLatin1Char('-')));
    const QString path = folder.chopped(1);
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    EXPECT_EQ(modeOf(path), 0700U);
    // Nothing was created through the link.
    EXPECT_TRUE(QDir(elsewhere.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
}

TEST(PrivateTempFolder, FolderOfAnotherUserIsNotUsed)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a folder to another user";
    }
    QTemporaryDir shared;
    ScopedEnv runtime("XDG_RUNTIME_DIR", QByteArray());
    ScopedEnv tmp("TMPDIR", shared.path().toUtf8());
    const QString usual = shared.path() + QStringLiteral("/qlnrec-") + QString::number(::getuid());
    ASSERT_TRUE(QDir().mkpath(usual));
    ASSERT_EQ(::chown(QFile::encodeName(usual).constData(), 65534, 65534), 0);

    const QString folder = core::ProgramFolders::privateTempFolder(QStringLiteral("qlnrec"));
    ASSERT_FALSE(folder.isEmpty());
    EXPECT_NE(folder, usual + QLatin1Char('/'));
}

} // namespace
} // namespace qlnrec::test

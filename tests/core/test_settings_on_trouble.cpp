// The settings file on a disk that fills up or turns read-only: the failure is told once, the
// file keeps its last good contents whole (no half-written file, no temporary left), and the
// changes held in memory are written once the disk takes them again. The recordings lists save
// in a batch, which takes the same path.
#include "core/config_store.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace qlnrec;

TEST(SettingsOnTrouble, AFailedSaveIsToldOnceLeavesTheFileWholeAndIsWrittenLater)
{
    test::TempHome home;
    const QString folder = home.path(QStringLiteral("settings"));
    test::SmallDisk disk(folder, 64 * 1024);
    if (!disk.mounted()) {
        GTEST_SKIP() << disk.whyNot().toStdString();
    }
    const QString file = folder + QStringLiteral("/qlnrec.conf");
    platform::SettingsStore store(QStringLiteral("qlnrec"), file);
    platform::ScriptedDialogService dialogs;
    core::ConfigStore config(store, home.programFolder());
    config.setDialogService(&dialogs);
    config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line0"), QStringLiteral("1"));
    const QByteArray good = test::readFile(file);
    ASSERT_FALSE(good.isEmpty());

    disk.fill();
    const QString big(20000, QLatin1Char('n'));
    config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line1"), big);
    store.beginBatch();
    config.saveSetting(QStringLiteral("Data"), QStringLiteral(" 0"), QStringLiteral("M~L 0 a.wav"));
    store.endBatch();
    ASSERT_EQ(dialogs.messages().size(), 1u);
    EXPECT_TRUE(dialogs.messages()[0].text.contains(file)) << dialogs.messages()[0].text.toStdString();
    EXPECT_TRUE(dialogs.messages()[0].text.contains(QStringLiteral("disk is full")));
    EXPECT_TRUE(test::readFile(file) == good);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 2); // the file and the filler
    EXPECT_TRUE(config.getSetting(QStringLiteral("Config"), QStringLiteral("Line1")) == big);

    disk.freeSpace();
    config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line2"), QStringLiteral("1"));
    EXPECT_FALSE(store.writeFailing());
    const QByteArray written = test::readFile(file);
    EXPECT_TRUE(written.contains("Line1=" + big.toLatin1()));
    EXPECT_TRUE(written.contains("M~L 0 a.wav"));
    EXPECT_TRUE(written.contains("Line2=1"));

    // Read-only: the file stays as it was; the run has told the user already.
    const QByteArray before = test::readFile(file);
    ASSERT_TRUE(disk.setReadOnly(true));
    config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line3"), QStringLiteral("1"));
    EXPECT_TRUE(store.writeFailing());
    EXPECT_TRUE(test::readFile(file) == before);
    EXPECT_EQ(dialogs.messages().size(), 1u);
    ASSERT_TRUE(disk.setReadOnly(false));
}

#include "platform/core/settings_store.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

using qlnrec::platform::SettingsStore;

TEST(SettingsStore, SectionsAndKeysIgnoreLetterCase)
{
    qlnrec::test::TempHome home;
    const QString file = SettingsStore::defaultFilePath(QStringLiteral("qlnrec"));
    EXPECT_EQ(file, home.configFile());
    {
        SettingsStore store(QStringLiteral("qlnrec"), file);
        store.saveSetting(QStringLiteral("Config"), QStringLiteral("PopCallID"), QStringLiteral("1"));
        EXPECT_EQ(store.getSetting(QStringLiteral("config"), QStringLiteral("PopCallId")), QStringLiteral("1"));
        store.saveSetting(QStringLiteral("CONFIG"), QStringLiteral("popcallid"), QStringLiteral("0"));
    }
    SettingsStore reopened(QStringLiteral("qlnrec"), file);
    EXPECT_EQ(reopened.getSetting(QStringLiteral("Config"), QStringLiteral("PopCallID")), QStringLiteral("0"));
    const QString ini = QString::fromUtf8(qlnrec::test::readFile(file));
    EXPECT_EQ(ini.count(QStringLiteral("PopCallID"), Qt::CaseInsensitive), 1) << ini.toStdString();
}

TEST(SettingsStore, LeadingBlankKeysCommasAndDefaultsRoundTrip)
{
    qlnrec::test::TempHome home;
    const QString file = home.configFile();
    {
        SettingsStore store(QStringLiteral("qlnrec"), file);
        for (int i = 0; i < 50; ++i) {
            store.saveSetting(QStringLiteral("Data"), QLatin1Char(' ') + QString::number(i),
                              QStringLiteral("M~L 02026-12-07~14-05-%1~555, \"x\"").arg(i));
        }
        store.saveSetting(QStringLiteral("Data"), QStringLiteral("0"), QStringLiteral("no blank"));
        store.saveSetting(QStringLiteral("General"), QStringLiteral("k"), QStringLiteral("v"));
    }
    SettingsStore store(QStringLiteral("qlnrec"), file);
    EXPECT_EQ(store.getSetting(QStringLiteral("Data"), QStringLiteral(" 7")),
              QStringLiteral("M~L 02026-12-07~14-05-7~555, \"x\""));
    EXPECT_EQ(store.getSetting(QStringLiteral("Data"), QStringLiteral("0")), QStringLiteral("no blank"));
    EXPECT_EQ(store.getSetting(QStringLiteral("Data"), QStringLiteral(" 0")),
              QStringLiteral("M~L 02026-12-07~14-05-0~555, \"x\""));
    EXPECT_EQ(store.getSetting(QStringLiteral("General"), QStringLiteral("K")), QStringLiteral("v"));
    EXPECT_EQ(store.getSetting(QStringLiteral("Line0"), QStringLiteral("Calls"), QStringLiteral("32665")),
              QStringLiteral("32665"));
    EXPECT_FALSE(store.contains(QStringLiteral("Config"), QStringLiteral("Language")));
    EXPECT_TRUE(store.getSetting(QStringLiteral("Config"), QStringLiteral("Language")).isEmpty());
}

TEST(SettingsStore, ApplicationNameIsExecutableBaseName)
{
    EXPECT_EQ(SettingsStore::applicationNameFromExecutable(QStringLiteral("/usr/bin/qlnrec")), QStringLiteral("qlnrec"));
    EXPECT_EQ(SettingsStore::applicationNameFromExecutable(QStringLiteral("/tmp/myrec")), QStringLiteral("myrec"));
}

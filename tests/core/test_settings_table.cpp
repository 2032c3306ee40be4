// The settings table against the store: every key survives a write and a fresh read of the
// file, absent keys read as their defaults, no key is spelled two ways, and exactly the keys the
// journal is meant to record are journaled.
#include "core/config_store.h"
#include "core/detector_settings.h"
#include "core/settings_table.h"
#include "platform/core/settings_store.h"
#include "platform/core/text_helpers.h"
#include "tests/support/temp_home.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using core::ConfigStore;
using core::SettingKey;
using core::SettingKind;

QString folded(const SettingKey& k)
{
    return k.section.toLower() + QLatin1Char('/') + k.key.toLower();
}

QString spelled(const SettingKey& k)
{
    return k.section + QLatin1Char('/') + k.key;
}

// A value that differs for every key and carries what stored text may hold: blanks at the ends,
// commas (which an INI file would otherwise read back as a list), '=' and non-Latin letters.
QString sampleValue(const SettingKey& k, int n)
{
    switch (k.kind) {
    case SettingKind::Flag:
        return n % 2 ? QStringLiteral("1") : QStringLiteral("0");
    case SettingKind::Choice:
        return QString::number(k.range ? k.range->max : n % 4);
    case SettingKind::Number:
        return QString::number(1000 + n);
    case SettingKind::Folder:
        return QStringLiteral("/home/user/calls, old %1/").arg(n);
    case SettingKind::Text:
        break;
    }
    return QStringLiteral(" M~L 0~2026-01-02~03-04-05~555,0%1=x 来电.wav ").arg(n);
}

class SettingsTable : public ::testing::Test {
protected:
    SettingsTable() { config.setStartingUp(true); }
    QStringList journalLines() const
    {
        const QString text = QString::fromUtf8(readFile(config.journalPath()));
        return text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }

    TempHome home;
    platform::SettingsStore store{QStringLiteral("qlnrec"), home.configFile()};
    ConfigStore config{store, home.programFolder()};
};

TEST_F(SettingsTable, CoversEveryKeyOfEveryLineAndListSlot)
{
    const QList<SettingKey> all = core::allSettingKeys();
    QSet<QString> names;
    for (const SettingKey& k : all) {
        names.insert(spelled(k));
    }
    for (const char* name : {"Config/Line0", "Config/Line3", "Modem/Line0", "Modem/Line3", "Line0/Param1",
                             "Line3/Param6", "Line2/Calls", "Data/ 0", "Data/ 49", "DataUnread/ 49",
                             "Received/ 0", "Made/ 49", "Config/PopCallID", "Config/FBS"}) {
        EXPECT_TRUE(names.contains(QLatin1String(name))) << name;
    }
    EXPECT_FALSE(names.contains(QStringLiteral("Data/ 50")));
    EXPECT_FALSE(names.contains(QStringLiteral("Line4/Param1")));
    EXPECT_FALSE(names.contains(QStringLiteral("Line0/Param7")));
    // Slot keys carry the blank where a minus sign would go.
    EXPECT_EQ(core::listSlotKey(7), QStringLiteral(" 7"));
    EXPECT_EQ(core::listSlotKey(-1), QStringLiteral("-1"));
}

TEST_F(SettingsTable, NoKeyIsSpelledTwoWaysAndOnlySilenceLevelHasTwoReadings)
{
    QHash<QString, SettingKey> first;
    QStringList repeated;
    for (const SettingKey& k : core::allSettingKeys()) {
        const auto seen = first.constFind(folded(k));
        if (seen == first.constEnd()) {
            first.insert(folded(k), k);
            continue;
        }
        EXPECT_EQ(spelled(k), spelled(*seen)) << "spelled two ways";
        EXPECT_EQ(k.journaled, seen->journaled) << spelled(k).toStdString();
        repeated.append(spelled(k));
    }
    EXPECT_EQ(repeated, QStringList{QStringLiteral("Config/SilenceLevel")});
    EXPECT_EQ(core::keys::kSilenceLevel.absentValue(), QStringLiteral("800"));
    EXPECT_EQ(core::keys::kSilenceLevelSetup.absentValue(), QStringLiteral("100"));
}

TEST_F(SettingsTable, EveryKeyRoundTripsThroughTheFile)
{
    QHash<QString, QString> written; // spelled key -> value
    int n = 0;
    for (const SettingKey& k : core::allSettingKeys()) {
        if (written.contains(spelled(k))) {
            continue; // the second reading of a key writes the same key
        }
        const QString value = sampleValue(k, n++);
        config.save(k, value);
        written.insert(spelled(k), value);
    }

    platform::SettingsStore reread(QStringLiteral("qlnrec"), home.configFile());
    ConfigStore fresh(reread, home.programFolder());
    for (const SettingKey& k : core::allSettingKeys()) {
        EXPECT_TRUE(fresh.contains(k)) << spelled(k).toStdString();
        EXPECT_EQ(fresh.get(k), written.value(spelled(k))) << spelled(k).toStdString();
    }
}

TEST_F(SettingsTable, AbsentKeysReadAsTheirDefaults)
{
    for (const SettingKey& k : core::allSettingKeys()) {
        EXPECT_FALSE(config.contains(k)) << spelled(k).toStdString();
        EXPECT_EQ(config.get(k), k.absentValue()) << spelled(k).toStdString();
        EXPECT_EQ(config.getNumber(k), platform::leadingNumber(k.absentValue())) << spelled(k).toStdString();
    }
    // Reading writes nothing.
    EXPECT_FALSE(QFile::exists(home.configFile()) && !readFile(home.configFile()).trimmed().isEmpty());
    // The detector defaults of the run are the table's.
    EXPECT_EQ(core::DetectorSettings::read(config), core::DetectorSettings{});
}

TEST_F(SettingsTable, ExactlyTheDescribedKeysAreJournaled)
{
    for (const SettingKey& k : core::allSettingKeys()) {
        config.save(k, QStringLiteral("1"));
    }
    QSet<QString> journaled;
    for (const QString& line : journalLines()) {
        journaled.insert(line.section(QLatin1Char('@'), 0, 1).replace(QLatin1Char('@'), QLatin1Char('/')));
    }
    QSet<QString> expected;
    for (const char* key :
         {"Legal",     "RingCount",    "Language", "Line0",          "Line1",     "Line2",
          "Line3",     "SaveFile",     "Rings",    "WaveFileFormat", "PopCallID", "MinOnStart",
          "ActionMan", "AutoStart",    "Silence",  "SilenceLevel",   "SilenceD",  "FBS",
          "Country",   "BlockUnknown", "DialOut"}) {
        expected.insert(QStringLiteral("Config/") + QLatin1String(key));
    }
    for (int line = 0; line < core::kLineCount; ++line) {
        expected.insert(QStringLiteral("Modem/Line%1").arg(line));
    }
    EXPECT_EQ(journaled, expected);
}

TEST_F(SettingsTable, StoredDetectorValuesAreReadLeniently)
{
    config.save(core::keys::kSilence, QStringLiteral("1"));
    config.save(core::keys::kSilenceLevel, QStringLiteral("300x"));
    config.save(core::keys::kSilenceD, QStringLiteral("?"));
    config.save(core::keys::kFastBusy, QStringLiteral("1"));
    config.save(core::keys::kCountry, QStringLiteral("3"));
    EXPECT_EQ(core::DetectorSettings::read(config), (core::DetectorSettings{1, 300, 0, 1, 3}));
}

} // namespace
} // namespace qlnrec::test

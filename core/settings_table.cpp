#include "core/settings_table.h"

#include "platform/core/text_helpers.h"

namespace qlnrec::core {

namespace {

const QString kConfig = QStringLiteral("Config");

SettingKey config(const char* key, SettingKind kind, std::optional<QString> defaultValue, bool journaled,
                  const char* readBy, std::optional<SettingRange> range = std::nullopt)
{
    return SettingKey{kConfig, QLatin1String(key), kind, std::move(defaultValue), range, journaled, readBy};
}

QString lineKey(int line)
{
    return QStringLiteral("Line%1").arg(line);
}

constexpr bool kJournaled = true;
constexpr bool kPlain = false;
const std::optional<QString> kNoDefault;

QString text(const char* value)
{
    return QLatin1String(value);
}

} // namespace

namespace keys {

using K = SettingKind;

const SettingKey kLanguage = config("Language", K::Choice, kNoDefault, kJournaled,
                                    "start-up (language), setup dialog", SettingRange{0, 2});
const SettingKey kLegal = config("Legal", K::Flag, text("0"), kJournaled, "main window load (chkLegal)");
const SettingKey kRingCount =
    config("RingCount", K::Flag, text("1"), kJournaled, "main window load (chkRingCount)");
const SettingKey kProgramPath = config("QlnPath", K::Folder, kNoDefault, kPlain, "nothing (written only)");
const SettingKey kSaveFile = config("SaveFile", K::Folder, kNoDefault, kJournaled,
                                    "main window load, setup dialog, wave file browser");
const SettingKey kRings =
    config("Rings", K::Number, kNoDefault, kJournaled, "setup dialog (its field feeds line control)");
const SettingKey kWaveFileFormat = config("WaveFileFormat", K::Choice, text("0"), kJournaled,
                                          "setup dialog load (recording format)", SettingRange{0, 1});
const SettingKey kPopCallId =
    config("PopCallID", K::Flag, text("0"), kJournaled, "setup dialog load (caller-ID popup)");
const SettingKey kMinOnStart =
    config("MinOnStart", K::Flag, text("0"), kJournaled, "setup dialog load (minimised start)");
const SettingKey kActionMan =
    config("ActionMan", K::Flag, text("0"), kJournaled, "setup dialog load (manual answering)");
const SettingKey kAutoStart = config("AutoStart", K::Flag, text("0"), kJournaled, "setup dialog");
const SettingKey kSilence =
    config("Silence", K::Flag, text("0"), kJournaled, "main window load (detectors), setup dialog");
const SettingKey kSilenceLevel =
    config("SilenceLevel", K::Number, text("800"), kJournaled, "main window load (detectors)");
const SettingKey kSilenceLevelSetup =
    config("SilenceLevel", K::Number, text("100"), kJournaled, "setup dialog", SettingRange{20, 500});
const SettingKey kSilenceD =
    config("SilenceD", K::Number, text("5"), kJournaled, "main window load (detectors), setup dialog");
const SettingKey kFastBusy =
    config("FBS", K::Flag, text("0"), kJournaled, "main window load (detectors), line opening, setup dialog");
const SettingKey kCountry = config("Country", K::Choice, text("0"), kJournaled,
                                   "main window load (detectors), setup dialog", SettingRange{0, 3});
const SettingKey kBlockUnknown =
    config("BlockUnknown", K::Flag, text("0"), kJournaled, "setup dialog load (call blocking)");
const SettingKey kScreenPhoneBookWins =
    config("ScreenPhoneBookWins", K::Flag, text("0"), kPlain, "call blocking, black list window");
const SettingKey kScreenKnownOnly =
    config("ScreenKnownOnly", K::Flag, text("0"), kPlain, "call blocking, black list window");
// Not journaled: the journal keeps the keys it always had.
const SettingKey kNotify =
    config("Notify", K::Flag, text("1"), kPlain, "desktop notifications of calls and messages, setup dialog");
const SettingKey kUrl = config("Url", K::Text, kNoDefault, kPlain, "main window (web page)");
const SettingKey kLastCallerId = config("Last_CallerID", K::Text, kNoDefault, kPlain, "dialer");
const SettingKey kPopCallIdTime = config("PopCallIDTime", K::Number, text("15"), kPlain, "caller-ID popup");
const SettingKey kCopyMove = config("CopyMove", K::Flag, text("0"), kPlain, "backup of recordings");
const SettingKey kDialOut =
    config("DialOut", K::Choice, text("0"), kJournaled, "dialer", SettingRange{0, kLineCount - 1});
const SettingKey kUseDialPrefix = config("chkDialPrefix", K::Flag, text("0"), kPlain, "dialer");
const SettingKey kDialPrefix = config("DialPrefix", K::Text, kNoDefault, kPlain, "dialer");

} // namespace keys

QString lineSection(int line)
{
    return lineKey(line);
}

SettingKey lineInUse(int line)
{
    return SettingKey{kConfig,      lineKey(line), SettingKind::Flag,           text("0"),
                      std::nullopt, kJournaled,    "setup dialog, line opening"};
}

SettingKey modemDeviceText(int line)
{
    return SettingKey{QStringLiteral("Modem"),
                      lineKey(line),
                      SettingKind::Text,
                      kNoDefault,
                      std::nullopt,
                      kJournaled,
                      "main window load (device change check)"};
}

SettingKey ringInterval(int line, int k)
{
    return SettingKey{lineSection(line),
                      QStringLiteral("Param%1").arg(k),
                      SettingKind::Number,
                      text("6500"),
                      std::nullopt,
                      kPlain,
                      "main window load (ring intervals of line control)"};
}

SettingKey ringWeight(int line)
{
    return SettingKey{lineSection(line),     QStringLiteral("Calls"),
                      SettingKind::Number,   text("32665"),
                      std::nullopt,          kPlain,
                      "line control, dialer"};
}

QString listSectionName(ListSection list)
{
    switch (list) {
    case ListSection::Recent:
        return QStringLiteral("Data");
    case ListSection::Unread:
        return QStringLiteral("DataUnread");
    case ListSection::Received:
        return QStringLiteral("Received");
    case ListSection::Made:
        return QStringLiteral("Made");
    }
    return {};
}

QString listSlotKey(int index)
{
    return platform::numberWithSignBlank(index);
}

SettingKey listEntry(ListSection list, int index)
{
    const bool recordings = list == ListSection::Recent || list == ListSection::Unread;
    // No list is journaled: "Data" is saved through the journaling save, which leaves that
    // section out of the journal, and the other lists are saved plainly.
    return SettingKey{listSectionName(list),
                      listSlotKey(index),
                      SettingKind::Text,
                      QString(),
                      std::nullopt,
                      kPlain,
                      recordings ? "recordings lists" : "dialer, dial records"};
}

QList<SettingKey> fixedSettingKeys()
{
    using namespace keys;
    QList<SettingKey> all = {
        kLanguage,  kLegal,      kRingCount,     kProgramPath,  kSaveFile, kRings,        kWaveFileFormat,
        kPopCallId, kMinOnStart, kActionMan,     kAutoStart,    kSilence,  kSilenceLevel, kSilenceLevelSetup,
        kSilenceD,  kFastBusy,   kCountry,       kBlockUnknown, kUrl,      kLastCallerId, kPopCallIdTime,
        kCopyMove,  kDialOut,    kUseDialPrefix, kDialPrefix};
    all << kScreenPhoneBookWins << kScreenKnownOnly << kNotify;
    return all;
}

QList<SettingKey> allSettingKeys()
{
    QList<SettingKey> all = fixedSettingKeys();
    for (int line = 0; line < kLineCount; ++line) {
        all.append(lineInUse(line));
    }
    for (int line = 0; line < kLineCount; ++line) {
        all.append(modemDeviceText(line));
    }
    for (int line = 0; line < kLineCount; ++line) {
        for (int k = 1; k <= kRingIntervalCount; ++k) {
            all.append(ringInterval(line, k));
        }
        all.append(ringWeight(line));
    }
    for (ListSection list :
         {ListSection::Recent, ListSection::Unread, ListSection::Received, ListSection::Made}) {
        for (int index = 0; index < kListSlotCount; ++index) {
            all.append(listEntry(list, index));
        }
    }
    return all;
}

} // namespace qlnrec::core

#pragma once
// Every key of the settings store in one typed table: section, key, the default an absent key
// reads as, the range the setup dialog holds it to, whether a save of it is journaled in
// settings.txt, and who reads it. Readers and writers name entries of this table instead of
// spelling sections, keys and defaults themselves, so the spellings cannot drift apart again.
//
// Sections and keys are matched without letter case by the store; the table spells each one the
// way it is written, which is the spelling found in stored files.
#include "core/line_limits.h"

#include <QList>
#include <QString>

#include <optional>

namespace qlnrec::core {

// Slots of a list section: keys " 0" .. " 49".
inline constexpr int kListSlotCount = 50;

enum class SettingKind {
    Text,   // free text
    Flag,   // "0" / "1" (a check box)
    Choice, // the index of an option or list entry
    Number, // decimal text
    Folder, // a folder path
};

struct SettingRange {
    int min = 0;
    int max = 0;
    bool contains(double value) const { return value >= min && value <= max; }
};

struct SettingKey {
    QString section;
    QString key;
    SettingKind kind = SettingKind::Text;
    // What an absent key reads as; nullopt where the store is read without a default (an absent
    // key then reads as the empty string).
    std::optional<QString> defaultValue;
    std::optional<SettingRange> range;
    // Saves through ConfigStore::save append "section@key@value" to settings.txt.
    bool journaled = false;
    // Who reads the value, as a short text.
    const char* readBy = "";

    // The text a read of an absent key yields.
    QString absentValue() const { return defaultValue.value_or(QString()); }
};

// The list sections, one file name or record per slot.
enum class ListSection {
    Recent,   // "Data": recordings the user handled
    Unread,   // "DataUnread": unread answered messages
    Received, // "Received": calls received
    Made,     // "Made": calls made
};

namespace keys {

// Section "Config".
extern const SettingKey kLanguage;       // no default: absent means first start
extern const SettingKey kLegal;          // main window chkLegal
extern const SettingKey kRingCount;      // main window chkRingCount
extern const SettingKey kProgramPath;    // "QlnPath", written at every start, read by nothing
extern const SettingKey kSaveFile;       // recordings folder, no default
extern const SettingKey kRings;          // no default; the setup dialog shows "8" for an empty value
extern const SettingKey kWaveFileFormat; // 0 PCM, 1 TrueSpeech
extern const SettingKey kPopCallId;      // written "PopCallID"; read back the same without case
extern const SettingKey kMinOnStart;
extern const SettingKey kActionMan;
extern const SettingKey kAutoStart;
extern const SettingKey kSilence;
// "SilenceLevel" has two readings with different defaults: the main window's load feeds the
// detectors with 800 when the key is absent, while the setup dialog proposes 100 and holds the
// field to 20..500. Both are kept so each reader gets the value it has always got.
extern const SettingKey kSilenceLevel;      // main window load: default 800
extern const SettingKey kSilenceLevelSetup; // setup dialog load: default 100, range 20..500
extern const SettingKey kSilenceD;
extern const SettingKey kFastBusy; // "FBS"
extern const SettingKey kCountry;
extern const SettingKey kBlockUnknown;
extern const SettingKey kUrl; // no web page of our own: no default, nothing reads it yet
extern const SettingKey kLastCallerId;
extern const SettingKey kPopCallIdTime;
extern const SettingKey kCopyMove;
extern const SettingKey kDialOut;
extern const SettingKey kUseDialPrefix; // "chkDialPrefix"
extern const SettingKey kDialPrefix;
// Call screening, both off by default (the block list alone decides, as it always did).
extern const SettingKey kScreenPhoneBookWins; // the phone book wins over the block list and block rules
extern const SettingKey kScreenKnownOnly;     // callers neither in the phone book nor allowed are blocked
extern const SettingKey kNotify; // desktop notifications of incoming calls and new messages (default on)

} // namespace keys

// "Line0".."Line3": the section of a line's ring timing.
QString lineSection(int line);
// "Config" "Line"i: whether line i is used.
SettingKey lineInUse(int line);
// "Modem" "Line"i: the device text of line i when the setup dialog was last saved.
SettingKey modemDeviceText(int line);
// "Line"i "Param"k (k = 1..6): learned time from ring k to ring k + 1, in ms.
SettingKey ringInterval(int line, int k);
// "Line"i "Calls": the weight of the learned ring intervals.
SettingKey ringWeight(int line);

QString listSectionName(ListSection list);
// The key of list slot `index`: its number with a leading blank (" 0" .. " 49"); stored lists
// depend on this form.
QString listSlotKey(int index);
SettingKey listEntry(ListSection list, int index);

// The fixed entries of the table, then the per-line keys of every line and the list keys of
// every slot: every key the program reads or writes.
QList<SettingKey> allSettingKeys();
// Only the fixed entries (section "Config"), in table order.
QList<SettingKey> fixedSettingKeys();

} // namespace qlnrec::core

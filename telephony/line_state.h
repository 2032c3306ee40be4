#pragma once
// The per-line call records and the few process-wide values of line control. One LineState
// lives for the whole run and is handed to every part that works on lines; the audio code keeps
// its own per-line fields beside it under the same line index.
#include "core/line_limits.h"
#include "platform/telephony/tapi_types.h"
#include "platform/wave/wave_types.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>

namespace qlnrec::telephony {

using core::kLineCount;
using core::kRingIntervalCount;

// recordState values, shared by every part that records.
enum RecordState : std::int32_t {
    kRecordIdle = 0,
    kRecording = 1,
    kAwaitingReply = 2, // an outgoing call is captured while the called party has not answered
};

// Call kinds, the first letter of a recording's file name.
inline const QString kCallKindAnswered = QStringLiteral("A");
inline const QString kCallKindMonitored = QStringLiteral("M");
inline const QString kCallKindOutgoing = QStringLiteral("O");

struct LineSlot {
    platform::HLINE hLine = 0; // 0: the line is not open
    platform::HCALL hCall = 0; // 0: no call
    // The call is connected: from its connected notice to its disconnect or idle notice. Steps
    // that follow a prompt go on only while it holds, so a caller who hung up meanwhile gets
    // no beep and no recording of a dead line.
    bool callConnected = false;
    std::int32_t waveDevice = 0;     // wave device of the current call; -1: the line gave none
    std::int16_t blocked = 0;        // -1: the current caller is blocked
    std::int32_t greetingDue = 0;    // 1: answering-machine call; 0: monitored or answered by hand
    std::int16_t dialOutPending = 0; // -1: dialled by the dialer, until it connects
    QString callerNumberPart;        // "~" + caller number
    QString callerNamePart;          // phone-book name of the caller
    // This call's own caller ID (empty until it arrives): whether the caller is blocked, and the
    // line's caller-ID status line, go by it, never by a caller on another line.
    QString callerNumber;
    QString callerNameText;
    QString callKind;   // "A", "M" or "O"
    QString dtmfDigits; // touch-tone digits since the last menu action
    std::int32_t dtmfIdleTicks = 0;
    std::int32_t recordState = kRecordIdle;
    double lastRingTime = 0;      // clock reading (ms) of the previous ring of this call
    std::int16_t ringSamples = 0; // weight of the learned ring intervals ("Calls")
    // Learned time from ring k to ring k + 1, k = 1..6 at index 0..5 ("Param1".."Param6").
    std::array<std::int32_t, kRingIntervalCount> ringIntervals{};
    // Nonzero while a prompt plays into the line. The output device's callback stores it from
    // the driver's thread, hence atomic.
    std::atomic<std::int16_t> promptPlaying{0};
    platform::HWAVEIN waveInHandle = 0;

    // Learned interval number k (1..6).
    std::int32_t& ringInterval(int k) { return ringIntervals.at(static_cast<std::size_t>(k - 1)); }
    std::int32_t ringInterval(int k) const { return ringIntervals.at(static_cast<std::size_t>(k - 1)); }

    // Every field back to zero or the empty string, as at program start.
    void clear();
};

struct LineState {
    std::array<LineSlot, kLineCount> slot;

    // Line manager.
    platform::HLINEAPP lineApp = 0;
    std::int32_t lineDeviceCount = 0; // at most 4
    std::uint32_t lineApiVersion = 0;
    // Media mode each line is opened with (4 interactive voice, 8 automated voice, 0 none);
    // filled by the setup dialog's load.
    std::array<std::uint32_t, kLineCount> mediaMode{};

    // Ring count on which an offered call is answered.
    std::int32_t ringsToAnswer = 0;
    // Calls currently announced in the incoming-call popup.
    std::int32_t popupCallCount = 0;
    // The most recent caller ID on any line ("UNKNOWN" where absent), for the popup, the dial
    // window and "Last_CallerID"; each line keeps its own caller's in its slot.
    QString callerNumber;
    QString callerNameText;

    LineSlot& operator[](int line) { return slot.at(static_cast<std::size_t>(line)); }
    const LineSlot& operator[](int line) const { return slot.at(static_cast<std::size_t>(line)); }
    static bool validLine(int line) { return line >= 0 && line < kLineCount; }
    // The first line whose call (or line) handle is `handle`; -1 when none. A zero handle names
    // nothing: it is what a line without a call or an unopened line holds.
    int lineByCall(platform::HCALL handle) const;
    int lineByLine(platform::HLINE handle) const;
};

// Settings copied once into the run: five by the setup dialog's load, the fast-busy switch at
// start. Changes made in the setup dialog take effect at the next start. The keys and their
// defaults are those of the settings table (core/settings_table.h).
struct SettingsSnapshot {
    std::int32_t waveFileFormat = 0;      // "WaveFileFormat": 0 PCM, 1 TrueSpeech
    std::int32_t popCallIdEnabled = 0;    // "PopCallID": show the caller-ID popup
    std::int32_t minimizeOnStart = 0;     // "MinOnStart"
    std::int32_t answerManually = 0;      // "ActionMan": calls are answered from the popup
    std::int32_t blockUnknownEnabled = 0; // "BlockUnknown": block callers without a number
    std::int32_t fastBusySwitch = 0;      // "FBS": the call's end is left to the tone detector
};

} // namespace qlnrec::telephony

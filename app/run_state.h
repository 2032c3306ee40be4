#pragma once
// The values the start-up reads once and the rest of the run uses: the settings snapshot.
#include <QString>

#include <array>
#include <cstdint>

namespace qlnrec::app {

inline constexpr int kLineCount = 4;
inline constexpr int kRingIntervalCount = 6;
// Learned ring intervals above this are not believed: they are capped and written back.
inline constexpr int kMaxRingIntervalMs = 13000;

// The silence and call-progress detector settings, read once while the main window loads.
struct DetectorSettings {
    int silence = 0;        // "Silence": hang up on silence (0/1)
    int silenceLevel = 800; // "SilenceLevel": level below which a block counts as silence
    int silenceSeconds = 5; // "SilenceD": seconds of silence before hanging up
    int fastBusy = 0;       // "FBS": fast-busy and dial-tone detector (0/1)
    int country = 0;        // "Country": busy cadence profile 0..3
    friend bool operator==(const DetectorSettings&, const DetectorSettings&) = default;
};

struct RunState {
    int languageOffset = 0;
    QString programFolder;    // no trailing "/"
    QString recordingsFolder; // ends in "/"
    QString tempFolder;       // private to this user, ends in "/"
    DetectorSettings detector;
    // Learned time from ring k to ring k+1 (k = 1..6 at index 0..5), per line, in ms.
    std::array<std::array<int, kRingIntervalCount>, kLineCount> ringIntervalsMs{};
    // Interval of each line's ring timer: its design value, replaced by the learned first
    // interval when that is set.
    std::array<std::uint32_t, kLineCount> ringTimerIntervalMs{20000, 15000, 15000, 15000};
    bool minimizeOnStart = false;
};

} // namespace qlnrec::app

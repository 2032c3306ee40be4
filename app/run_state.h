#pragma once
// The values the start-up reads once and the rest of the run uses: the settings snapshot.
#include "core/detector_settings.h"
#include "core/line_limits.h"

#include <QString>

namespace qlnrec::app {

using core::kLineCount;
using core::kRingIntervalCount;
// Learned ring intervals above this are not believed: they are capped and written back.
inline constexpr int kMaxRingIntervalMs = 13000;

// The silence and call-progress detector settings, read once while the main window loads.
using DetectorSettings = core::DetectorSettings;

struct RunState {
    int languageOffset = 0;
    QString programFolder;    // no trailing "/"
    QString recordingsFolder; // ends in "/"
    QString tempFolder;       // private to this user, ends in "/"
    DetectorSettings detector;
    bool minimizeOnStart = false;
    // --demo: the newcomer watches the call with no what's-new window to close first.
    bool demonstration = false;
};

} // namespace qlnrec::app

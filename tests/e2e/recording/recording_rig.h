#pragma once
// Whole calls over simulated lines in virtual time: line control with the recorder plugged in,
// the recordings lists in a private settings store, and far-end audio made with espeak-ng and
// sox.
#include "core/config_store.h"
#include "core/strings.h"
#include "audio/recorder.h"
#include "platform/acm/acm.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/telephony/line_platform.h"
#include "records/recordings_lists.h"
#include "records/status_log.h"
#include "telephony/line_system.h"
#include "tests/support/temp_home.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace qlnrec::test {

class RecordingRig {
public:
    explicit RecordingRig(const audio::StopTriggerSettings& triggers = {});
    ~RecordingRig();

    platform::SimLine& sim(int line) { return *platform->simLine(static_cast<std::uint32_t>(line)); }
    telephony::LineSlot& slot(int line) { return lines->state()[line]; }
    audio::CaptureEngine& engine() { return recorder->engine(); }

    // Enables and opens the lines given (all four when empty).
    void openLines(std::vector<int> which = {0, 1, 2, 3});
    // Rings twice and stops: the rings-stopped timer answers and the call is recorded as "M".
    // Returns once the line records.
    bool monitoredCall(int line);
    void run(std::uint64_t ms);
    bool runUntil(const std::function<bool()>& done, std::uint64_t maxMs);
    // Until the line's recording file has been written (or given up).
    bool finishRecording(int line, std::uint64_t maxMs = 20000);
    QStringList statusTexts() const;
    int statusCount(const QString& text) const { return static_cast<int>(statusTexts().count(text)); }
    QString recordingPath(const QString& name) const { return recordings + name; }

    TempHome home;
    platform::VirtualEventService events;
    platform::SettingsStore store;
    core::ConfigStore config;
    platform::ScriptedDialogService dialogs;
    core::Strings strings;
    records::StatusLog statusLog;
    std::unique_ptr<platform::LinePlatform> platform;
    platform::AcmDriverRegistry acmRegistry;
    platform::AcmService acm{acmRegistry};
    audio::RecordingHooks hooks;
    telephony::FixedLineControls controls;
    std::unique_ptr<telephony::LineSystem> lines;
    QString recordings;
    QString temp;
    std::unique_ptr<records::RecordingLists> lists;
    std::unique_ptr<audio::Recorder> recorder;
};

// Audio made once per test run with the installed tools (empty when a tool is missing).
struct MadeAudio {
    // Far-end speech, 8 kHz mono 16-bit, exactly `seconds` long.
    static QString speech(double seconds);
    // North-American reorder: 480 + 620 Hz, 0.25 s on, 0.25 s off, for `seconds`.
    static QString reorder(double seconds, double volume);
    // A continuous single tone.
    static QString tone(double hz, double seconds, double volume);
    static std::vector<std::int16_t> samples(const QString& path);
};

} // namespace qlnrec::test

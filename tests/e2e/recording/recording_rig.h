#pragma once
// Whole calls over simulated lines in virtual time: line control with the recorder plugged in,
// the recordings lists in a private settings store, and far-end audio made with espeak-ng and
// sox.
#include "tests/e2e/program_rig.h"

#include <QStringList>

#include <memory>
#include <vector>

namespace qlnrec::test {

// The whole program, set up as its load sequence would leave it for recording (folders, detector
// settings, the recordings lists, the TrueSpeech driver), without the main window.
class RecordingRig : public ProgramRig {
public:
    // linesSpec: the lines setting (simulated lines by default; a modem in the modem tests).
    explicit RecordingRig(const audio::StopTriggerSettings& triggers = {},
                          std::shared_ptr<TempHome> sharedHome = {},
                          const QString& linesSpec = QStringLiteral("sim:4"));

    audio::CaptureEngine& engine() { return program->recorder().engine(); }

    // Enables and opens the lines given (all four when empty).
    void openLines(std::vector<int> which = {0, 1, 2, 3});
    // Rings twice and stops: the rings-stopped timer answers and the call is recorded as "M".
    // Returns once the line records.
    bool monitoredCall(int line);
    void run(std::uint64_t ms);
    bool runUntil(const std::function<bool()>& done, std::uint64_t maxMs);
    // Until the line's recording file has been written (or given up).
    bool finishRecording(int line, std::uint64_t maxMs = 20000);
    int statusCount(const QString& text) const { return static_cast<int>(statusTexts().count(text)); }
    QString recordingPath(const QString& name) const { return recordings + name; }

    // Shuts the program down as SIGTERM and Exit do.
    void shutDown();

    QString recordings;
    QString temp; // where recordings in progress are kept
    records::RecordingLists* lists = nullptr;
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

// A recording's header as an independent reader (Python) sees it: "tag channels rate
// bytes-per-second data-bytes fact-samples riff-size-matches" (fact 0 for PCM). Empty without
// python3.
QString waveHeaderFacts(const QString& path);

// The samples after the 44-byte header of a PCM recording.
std::vector<std::int16_t> pcmFileSamples(const QString& path);
// Where the first non-silent stretch of `part` (probe samples of it) begins inside `whole`, or -1.
std::int64_t findSamples(const std::vector<std::int16_t>& whole, const std::vector<std::int16_t>& part,
                         std::size_t probe = 400);

// A prompt file in the program folder: a tone of its own pitch, so each prompt is told apart in
// what the far end heard. Returns its samples.
std::vector<std::int16_t> writeTonePrompt(ProgramRig& rig, const QString& name, double hz, double seconds);
// True when `heard` holds `prompt` whole, in one piece; *at: where it starts.
bool heardWhole(const std::vector<std::int16_t>& heard, const std::vector<std::int16_t>& prompt,
                std::int64_t* at = nullptr);

} // namespace qlnrec::test

#pragma once
// A capture engine over scripted line audio in virtual time: each line's wave-in device renders
// a test signal by absolute frame, and the harness records status lines, drops, legal notices
// and finished recordings.
#include "audio/capture_engine.h"
#include "platform/acm/acm.h"
#include "platform/core/dialog_service.h"
#include "platform/core/virtual_event_service.h"
#include "platform/wave/paced_devices.h"
#include "platform/wave/wave_service.h"
#include "tests/support/temp_home.h"

#include <QDir>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace qlnrec::test {

using Signal = std::function<std::int16_t(std::int64_t frame)>;

class ScriptedInput final : public platform::PacedInputDevice {
public:
    explicit ScriptedInput(platform::MediaPacer& pacer)
        : PacedInputDevice(pacer, QStringLiteral("Scripted"), 0)
    {
    }
    Signal signal;
    // First frame of each capture start (the device restarts with every capture).
    std::vector<std::int64_t> starts;

protected:
    void render(std::int64_t firstFrame, std::int16_t* out, std::size_t count) override
    {
        if (!rendering_) {
            starts.push_back(firstFrame);
            rendering_ = true;
        }
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = signal ? signal(firstFrame + static_cast<std::int64_t>(i)) : 0;
        }
    }

public:
    bool start(platform::WaveCaptureSink* sink) override
    {
        rendering_ = false;
        return PacedInputDevice::start(sink);
    }

private:
    bool rendering_ = false;
};

// Signals by frame at 8 kHz.
inline Signal silence()
{
    return [](std::int64_t) -> std::int16_t { return 0; };
}
inline Signal sine(double hz, double amplitude)
{
    return [=](std::int64_t f) {
        return static_cast<std::int16_t>(std::lround(amplitude * std::sin(2 * M_PI * hz * f / 8000.0)));
    };
}
// Sum of tones, switched on and off in a cadence (offMs 0: continuous); phaseMs shifts the
// cadence against the frame count.
inline Signal cadence(std::vector<double> hz, double amplitude, int onMs, int offMs, int phaseMs = 0)
{
    return [=](std::int64_t f) -> std::int16_t {
        if (offMs > 0 && ((f + phaseMs * 8) % ((onMs + offMs) * 8)) >= onMs * 8) {
            return 0;
        }
        double v = 0;
        for (double h : hz) {
            v += amplitude * std::sin(2 * M_PI * h * f / 8000.0);
        }
        return static_cast<std::int16_t>(std::lround(v));
    };
}
// Deterministic speech-like noise: bursts of varying loudness, never a steady tone.
inline Signal babble(double amplitude)
{
    return [=](std::int64_t f) -> std::int16_t {
        std::uint32_t x = static_cast<std::uint32_t>(f) * 2654435761u;
        x ^= x >> 13;
        x *= 0x5bd1e995u;
        x ^= x >> 15;
        const double env = 0.55 + 0.45 * std::sin(2 * M_PI * 3.0 * f / 8000.0);
        const double noise = (static_cast<double>(x & 0xFFFF) / 32768.0) - 1.0;
        return static_cast<std::int16_t>(std::lround(amplitude * env * noise));
    };
}
// First `seconds` of a, then b.
inline Signal then(Signal a, double seconds, Signal b)
{
    const auto cut = static_cast<std::int64_t>(seconds * 8000);
    return [=](std::int64_t f) { return f < cut ? a(f) : b(f); };
}

class CaptureHarness {
public:
    TempHome home;
    platform::VirtualEventService events;
    platform::WaveService wave{events,
                               platform::WaveServiceOptions{platform::PacingMode::ClockTimers, false}};
    std::vector<std::shared_ptr<ScriptedInput>> inputs;
    std::shared_ptr<ScriptedInput> soundCardInput;
    platform::AcmDriverRegistry registry;
    platform::AcmService acm{registry};
    platform::ScriptedDialogService dialogs;
    audio::TrueSpeechConversion conversion{acm, dialogs};
    std::vector<QString> statusLines;
    std::vector<QString> sigscanMessages;
    std::vector<QString> finished;
    std::vector<int> drops;
    std::vector<int> legalPlays;
    bool legal = false;
    std::unique_ptr<audio::SigScanLoader> sigscan;
    telephony::LineState lines;
    std::unique_ptr<audio::CaptureEngine> engine;
    QString recordings;
    QString temp;

    explicit CaptureHarness(const QString& sigscanLibrary = QStringLiteral(SIGSCAN_TEST_LIBRARY))
    {
        recordings = home.path(QStringLiteral("recordings/"));
        temp = home.path(QStringLiteral("tmp/"));
        QDir().mkpath(recordings);
        QDir().mkpath(temp);
        for (int i = 0; i < 4; ++i) {
            inputs.push_back(std::make_shared<ScriptedInput>(wave.pacer()));
            wave.addInputDevice(inputs.back());
            lines[i].waveDevice = i;
        }
        soundCardInput = std::make_shared<ScriptedInput>(wave.pacer());
        wave.setSoundCard(soundCardInput, nullptr);
        sigscan = std::make_unique<audio::SigScanLoader>(
            [this](const QString& m) { sigscanMessages.push_back(m); }, QStringList{sigscanLibrary});
    }

    audio::RecorderSettings defaults() const
    {
        audio::RecorderSettings s;
        s.recordingsFolder = recordings;
        s.tempFolder = temp;
        return s;
    }

    void make(audio::RecorderSettings settings)
    {
        audio::RecorderLinks links;
        links.enableDropCall = [this](int line) { drops.push_back(line); };
        links.playLegalOutgoing = [this](int line) { legalPlays.push_back(line); };
        links.legalChecked = [this] { return legal; };
        links.addStatusLine = [this](const QString& t) { statusLines.push_back(t); };
        links.finishedRecording = [this](const QString& n) { finished.push_back(n); };
        engine = std::make_unique<audio::CaptureEngine>(events, wave, lines, conversion, *sigscan,
                                                        std::move(settings), std::move(links));
    }
    void make() { make(defaults()); }

    // Starts a recording of the given kind on a line whose device plays `signal`.
    void start(int line, Signal signal, const QString& kind = QStringLiteral("M"),
               const QString& number = QStringLiteral("~5551234"))
    {
        inputs.at(static_cast<std::size_t>(line))->signal = std::move(signal);
        lines[line].callKind = kind;
        lines[line].callerNumberPart = number;
        engine->StartRecording(line);
    }
    // The way line control ends a recording: recordState 0 and a reset.
    void stop(int line) { engine->StopCapture(line); }
    // Runs the clock until the line's file writer is done (or maxMs passed).
    bool settle(int line, std::uint64_t maxMs = 10000)
    {
        return events.advanceUntil(
            [&] {
                return !engine->line(line).deviceOpen && engine->line(line).captureClosed == 0 &&
                       !engine->timWriteFile(line).isEnabled();
            },
            maxMs, 10);
    }
    std::int64_t captureStart(int line, int capture = 0) const
    {
        return inputs.at(static_cast<std::size_t>(line))->starts.at(static_cast<std::size_t>(capture));
    }
    QString path(const QString& name) const { return recordings + name; }
};

// The samples of a PCM WAVE file written by the recorder (after its 44-byte header).
inline std::vector<std::int16_t> pcmSamples(const QByteArray& file)
{
    std::vector<std::int16_t> out;
    for (qsizetype i = 44; i + 1 < file.size(); i += 2) {
        out.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(file[i]) |
                                                (static_cast<std::uint8_t>(file[i + 1]) << 8)));
    }
    return out;
}

} // namespace qlnrec::test

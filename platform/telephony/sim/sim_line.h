#pragma once
// A simulated voice-modem line: a LineDevice whose far end is scripted (from tests through this
// API, or from a scenario file through ScenarioPlayer) and which records everything the program
// does to the line: hook changes with times, dialled strings, generated digits and tones, and the
// exact samples played into it, per call.
//
// The far end's audio is a timeline on the clock: queued audio plays from the moment it is
// queued (or when the audio queued before it ends), whether or not the program is listening; the
// line's wave-in device hears it only while off hook. Outgoing calls hear ringback or busy tone,
// and a far end that hung up leaves busy tone, dial tone or silence on the line.
//
// Scripting and LineDevice calls happen on the GUI thread; the audio devices may run on the
// pacing thread, so the audio state is guarded by a mutex.
#include "platform/core/event_service.h"
#include "platform/telephony/line_device.h"
#include "platform/wave/wave_service.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

namespace qlnrec::platform {

struct SimLineConfig {
    // Line name in the device capabilities; empty text is a valid (empty) name.
    QString name;
    std::uint32_t mediaModes = 4 | 8 | 16;
    std::uint32_t apiVersionLow = 0x00010003;
    std::uint32_t apiVersionHigh = 0x00010004;
    // Non-zero: the device refuses to open with this code (e.g. LINEERR_RESOURCEUNAVAIL).
    std::int32_t openError = 0;
    // Without a new ring for this long an unanswered call is taken as abandoned and goes idle.
    std::uint32_t ringTimeoutMs = 8000;
    // Delay between the start of a far-end touch tone and its detection report.
    std::uint32_t digitDetectMs = 40;
    // Default length of a generated digit (lineGenerateDigits with duration 0).
    std::uint32_t digitDurationMs = 100;
    // The device refuses to generate digits: each request is reported at once as cancelled, as
    // a modem that answers the beep command with ERROR does.
    bool refuseGenerate = false;
};

// A tone of one or more frequencies, continuous (offMs 0) or in an on/off cadence.
struct ToneSpec {
    std::vector<double> frequenciesHz;
    std::uint32_t onMs = 0;
    std::uint32_t offMs = 0;
    std::uint32_t durationMs = 0;
    int amplitude = 6000; // peak of each component, in 16-bit sample units
};

class SimLine final : public LineDevice {
public:
    // index: the line's number within its provider (names count from 1). wave: where the line's
    // audio devices are registered.
    SimLine(EventService& events, WaveService& wave, int index, std::uint32_t epochMs);
    ~SimLine() override;

    void setConfig(const SimLineConfig& config);
    SimLineConfig config() const;

    // ---- far-end scripting (GUI thread) ----
    // Rings `count` times, one ring every onMs + offMs, starting now. The first ring of a new
    // call offers it. Rings continue the count of the current call.
    void ring(int count = 1, std::uint32_t onMs = 2000, std::uint32_t offMs = 4000);
    void sendCallerId(const CallerIdField& number, const CallerIdField& name);
    void sendCallerId(const CallerId& id) { sendCallerId(id.number, id.name); }
    // Far-end speech: 8 kHz mono 16-bit samples, a WAVE file (any PCM format, converted), a tone
    // or silence; each is queued behind what is already queued.
    void playFarEndAudio(std::vector<std::int16_t> samples);
    bool playFarEndWav(const QString& path, QString* error = nullptr);
    void playFarEndTone(const ToneSpec& tone);
    void playFarEndSilence(std::uint32_t durationMs);
    // Far-end touch tones: heard on the line and reported as digits while monitoring.
    void sendDigits(const QByteArray& digits, std::uint32_t onMs = 100, std::uint32_t offMs = 100);
    // The far end hangs up. On an unanswered call the rings stop and the call is abandoned.
    void hangUpFarEnd(HangUpNotice notice = HangUpNotice::LoopDrop);
    // Progress of an outgoing call.
    void farEndRingback();
    void farEndAnswer();
    void farEndBusy();
    void farEndNoAnswer();

    // ---- state ----
    int index() const { return index_; }
    bool isOpen() const;
    bool offHook() const;
    bool hasCall() const;
    std::optional<DeviceCallState> callState() const;
    bool monitoringDigits() const;
    int callCount() const;                   // calls so far, incoming and outgoing
    std::vector<QByteArray> dialled() const; // every dialled string, in order
    std::uint64_t generatedCount() const;    // generations finished so far
    std::uint64_t playbackRuns() const;      // stretches of played audio that have ended

    // ---- activity record ----
    struct Activity {
        std::uint32_t timeMs; // since the provider started
        QString text;
    };
    std::vector<Activity> activity() const;
    // Samples the program played into the line during call n (1-based), 8 kHz mono.
    std::vector<std::int16_t> playedSamples(int call) const;
    // Samples of the current (or last) call.
    std::vector<std::int16_t> playedSamples() const;

    // ---- LineDevice ----
    LineDeviceCaps caps() const override;
    std::optional<std::uint32_t> waveInId() const override;
    std::optional<std::uint32_t> waveOutId() const override;
    std::int32_t open(LineDeviceEvents* events) override;
    void close() override;
    void answer(std::uint32_t callId, LineCompletion done) override;
    void hangUp(std::uint32_t callId, LineCompletion done) override;
    void dial(const QByteArray& address, std::uint32_t* callId, LineCompletion done) override;
    std::int32_t monitorDigits(std::uint32_t callId, bool enable) override;
    std::int32_t generateDigits(std::uint32_t callId, const QByteArray& digits,
                                std::uint32_t durationMs) override;
    std::int32_t generateTone(std::uint32_t callId, const std::vector<std::uint32_t>& frequenciesHz,
                              std::uint32_t durationMs) override;
    void cancelGenerate(std::uint32_t callId) override;

    // Renders the line audio the modem hears at absolute sample positions (8 kHz since the
    // provider's epoch). Used by the line's wave-in device.
    void renderLineAudio(std::int64_t firstSample, std::int16_t* out, std::size_t count);
    // Receives audio the program plays into the line (used by the line's wave-out device).
    void receivePlayed(const std::int16_t* samples, std::size_t count, bool stepFull);

private:
    class Impl;
    friend class Impl;
    int index_;
    std::unique_ptr<Impl> impl_;
};

} // namespace qlnrec::platform

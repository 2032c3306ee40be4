#pragma once
// Wave devices without a hardware clock, paced by a MediaPacer: the base of the simulated lines'
// audio channels and of the null sound card. Native format: PCM 8 kHz mono 16-bit.
//
// Frame positions are absolute: frame 0 is the device's epoch (a clock reading), so a device can
// render a continuous timeline no matter when capture starts.
#include "platform/wave/media_pacer.h"
#include "platform/wave/wave_device.h"

#include <QString>

#include <cstdint>
#include <mutex>

namespace qlnrec::platform {

class PacedInputDevice : public WaveInDevice {
public:
    PacedInputDevice(MediaPacer& pacer, QString name, std::uint32_t epochMs);
    ~PacedInputDevice() override;

    QString name() const override { return name_; }
    WAVEFORMATEX nativeFormat() const override { return pcm8kMono16(); }
    bool start(WaveCaptureSink* sink) override;
    void flush() override;
    void stop() override;

protected:
    // Produces `count` frames starting at absolute frame `firstFrame`. Runs in the pacing context.
    virtual void render(std::int64_t firstFrame, std::int16_t* out, std::size_t count) = 0;

private:
    void pump(std::uint32_t nowMs);

    MediaPacer& pacer_;
    QString name_;
    std::uint32_t epochMs_;
    std::mutex mutex_;
    WaveCaptureSink* sink_ = nullptr;
    PacedCounter counter_;
    std::int64_t firstFrame_ = 0;
    int pumpId_ = 0;
};

class PacedOutputDevice : public WaveOutDevice {
public:
    PacedOutputDevice(MediaPacer& pacer, QString name);
    ~PacedOutputDevice() override;

    QString name() const override { return name_; }
    WAVEFORMATEX nativeFormat() const override { return pcm8kMono16(); }
    bool start(WavePlaybackSource* source) override;
    void stop() override;

protected:
    // Receives the frames played in one pacing step: `count` frames of queued audio (count may
    // be less than the step when the queue ran dry; 0 when nothing was queued). Runs in the
    // pacing context.
    virtual void played(const std::int16_t* frames, std::size_t count, std::size_t stepFrames) = 0;

private:
    void pump(std::uint32_t nowMs);

    MediaPacer& pacer_;
    QString name_;
    std::mutex mutex_;
    WavePlaybackSource* source_ = nullptr;
    PacedCounter counter_;
    int pumpId_ = 0;
};

// The null sound card: silence in, output discarded, both at the clock's pace.
class NullInputDevice final : public PacedInputDevice {
public:
    explicit NullInputDevice(MediaPacer& pacer) : PacedInputDevice(pacer, QStringLiteral("Null input"), 0) {}

protected:
    void render(std::int64_t, std::int16_t* out, std::size_t count) override;
};

class NullOutputDevice final : public PacedOutputDevice {
public:
    explicit NullOutputDevice(MediaPacer& pacer) : PacedOutputDevice(pacer, QStringLiteral("Null output")) {}
    std::uint64_t framesPlayed() const { return framesPlayed_; }

protected:
    void played(const std::int16_t*, std::size_t count, std::size_t) override { framesPlayed_ += count; }

private:
    std::uint64_t framesPlayed_ = 0;
};

} // namespace qlnrec::platform

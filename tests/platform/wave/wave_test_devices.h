#pragma once
// Devices for the wave-service tests: a capture device whose signal is a known function of the
// absolute frame number, and a playback device that keeps every frame it played with the time.
#include "platform/wave/paced_devices.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace qlnrec::test {

inline std::int16_t rampValue(std::int64_t frame)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((frame * 7919) & 0xFFFF));
}

class RampInput final : public platform::PacedInputDevice {
public:
    explicit RampInput(platform::MediaPacer& pacer) : PacedInputDevice(pacer, QStringLiteral("ramp"), 0) {}

protected:
    void render(std::int64_t firstFrame, std::int16_t* out, std::size_t count) override
    {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = rampValue(firstFrame + static_cast<std::int64_t>(i));
        }
    }
};

class RecordingOutput final : public platform::PacedOutputDevice {
public:
    explicit RecordingOutput(platform::MediaPacer& pacer)
        : PacedOutputDevice(pacer, QStringLiteral("recorder"))
    {
    }

    std::vector<std::int16_t> frames() const
    {
        std::lock_guard lock(mutex_);
        return frames_;
    }

protected:
    void played(const std::int16_t* frames, std::size_t count, std::size_t) override
    {
        std::lock_guard lock(mutex_);
        frames_.insert(frames_.end(), frames, frames + count);
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::int16_t> frames_;
};

} // namespace qlnrec::test

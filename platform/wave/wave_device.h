#pragma once
// The device side of the wave service: what a line provider (simulated line, voice modem) or the
// sound card implements so that waveIn/waveOut can reach it. A device streams in its native
// format; the service converts when a caller opens it through the mapper (WAVE_MAPPED or
// WAVE_MAPPER) with another PCM format.
//
// Threading: start() and stop() are called on the GUI thread. Between them the device may call
// its sink or source from any thread (its own reader thread, the clock's pacing context). After
// stop() returns the device must not touch the sink or source again.
#include "platform/wave/wave_types.h"

#include <QString>

#include <cstddef>
#include <cstdint>

namespace qlnrec::platform {

// Receives captured audio, in the device's native format, as it arrives.
class WaveCaptureSink {
public:
    virtual void captured(const std::uint8_t* data, std::size_t bytes) = 0;

protected:
    ~WaveCaptureSink() = default;
};

// Supplies audio to play. pull() copies up to `bytes` bytes of queued audio (native format) and
// returns how many it copied; 0 means nothing is queued (the device plays silence). The moment a
// byte is pulled counts as the moment it is played.
class WavePlaybackSource {
public:
    virtual std::size_t pull(std::uint8_t* out, std::size_t bytes) = 0;

protected:
    ~WavePlaybackSource() = default;
};

class WaveInDevice {
public:
    virtual ~WaveInDevice() = default;
    virtual QString name() const = 0;
    virtual WAVEFORMATEX nativeFormat() const = 0;
    // Begins delivering audio to sink; false when the device cannot start (busy, unplugged).
    virtual bool start(WaveCaptureSink* sink) = 0;
    // Delivers what has been captured up to this moment, so a reset hands back a block that is
    // filled exactly to now. Devices that deliver continuously may do nothing.
    virtual void flush() {}
    virtual void stop() = 0;
};

class WaveOutDevice {
public:
    virtual ~WaveOutDevice() = default;
    virtual QString name() const = 0;
    virtual WAVEFORMATEX nativeFormat() const = 0;
    // Begins pulling audio from source at the device's playback rate.
    virtual bool start(WavePlaybackSource* source) = 0;
    virtual void stop() = 0;
};

} // namespace qlnrec::platform

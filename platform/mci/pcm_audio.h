#pragma once
// Decoded audio as the players use it: signed 16-bit little-endian samples, interleaved.
#include "platform/mci/mci_errors.h"
#include "platform/riff/wave_file.h"

#include <QByteArray>

#include <cstdint>

namespace qlnrec::platform {

class AcmService;

struct PcmAudio {
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 0;
    QByteArray samples; // int16, interleaved, whole frames only

    std::uint32_t frameBytes() const { return 2u * channels; }
    std::uint64_t frames() const
    {
        return channels ? static_cast<std::uint64_t>(samples.size()) / frameBytes() : 0;
    }
    // Length in milliseconds, rounded to the nearest.
    std::uint64_t durationMs() const { return framesToMs(frames(), sampleRate); }
    // Byte offset of the frame at ms (rounded down, at most the end).
    std::uint64_t byteAtMs(std::uint64_t ms) const;

    static std::uint64_t framesToMs(std::uint64_t frames, std::uint32_t sampleRate)
    {
        return sampleRate ? (frames * 1000u + sampleRate / 2) / sampleRate : 0;
    }
};

// Turns a WAVE file's contents into PcmAudio: PCM of 8, 16, 24 or 32 bits (also in the
// extensible layout), 32-bit float, or any other tag through a compression driver that turns
// it into 16-bit PCM. Without such a driver: MCIERR_WAVE_OUTPUTSUNSUITABLE.
MCIERROR decodeWave(const WaveFileData& wave, AcmService* acm, PcmAudio* out);

// Raw PCM bytes in the given layout (8-bit unsigned or 16/24/32-bit signed) to PcmAudio.
PcmAudio pcmFromRaw(const QByteArray& raw, std::uint32_t sampleRate, std::uint16_t channels,
                    std::uint16_t bitsPerSample);

// The same sound at another rate (linear interpolation) and channel count (mono copied to every
// channel; several channels mixed to mono by their mean).
PcmAudio convertPcm(const PcmAudio& in, std::uint32_t sampleRate, std::uint16_t channels);

} // namespace qlnrec::platform

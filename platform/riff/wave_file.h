#pragma once
// A whole WAVE file read in one call: its format record, the format's extra bytes, the sample
// count of a "fact" chunk and the bytes of the "data" chunk.
#include "platform/riff/mmsystem.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qlnrec::platform {

struct WaveFileData {
    WAVEFORMATEX format{};           // cbSize is the number of bytes in extra
    std::vector<std::uint8_t> extra; // format bytes after the 18-byte record
    bool hasFact = false;
    std::uint32_t factSamples = 0;
    QByteArray data; // whole frames and a possible partial frame, as stored
    MMRESULT error = MMSYSERR_NOERROR;
    QString errorText; // empty when error is 0

    bool ok() const { return error == MMSYSERR_NOERROR; }
    // Bytes followed by the extra bytes: what a WAVEFORMATEX pointer is expected to point at.
    QByteArray formatRecord() const;
    // Length of the data in milliseconds by the format's byte rate (0 when unknown).
    std::uint64_t durationMs() const;
};

// Larger data chunks are refused rather than read into memory.
inline constexpr std::uint32_t kMaxWaveDataBytes = 1u << 30;

WaveFileData readWaveFile(const QString& path);
WaveFileData readWaveMemory(const std::uint8_t* bytes, std::size_t size);

// The 44-byte header of a PCM WAVE file with dataBytes of samples.
QByteArray pcmWaveHeader(std::uint32_t samplesPerSec, std::uint16_t channels, std::uint16_t bitsPerSample,
                         std::uint32_t dataBytes);

} // namespace qlnrec::platform

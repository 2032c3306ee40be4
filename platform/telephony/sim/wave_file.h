#pragma once
// Small WAVE file helpers for the simulated lines: reading far-end audio from any PCM WAVE file
// (converted to 8 kHz mono 16-bit) and writing what was played into a line. Unlike the program's
// strict RIFF reader (platform/riff), this one takes streamed WAVE data whose header sizes are
// placeholders (speech synthesisers writing to a pipe) and keeps what a truncated file holds,
// because a test script's far end should play whatever audio it was given.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace qlnrec::platform {

// Reads a PCM WAVE file (8 or 16 bits, mono or stereo, any rate) as 8 kHz mono 16-bit samples.
// Returns false with a reason for a missing, truncated or non-PCM file.
bool readWaveFileAs8kMono(const QString& path, std::vector<std::int16_t>& samples, QString* error);
bool parseWaveAs8kMono(const QByteArray& bytes, std::vector<std::int16_t>& samples, QString* error);

// Writes 8 kHz mono 16-bit samples as a canonical 44-byte-header PCM WAVE file.
bool writeWaveFile8kMono(const QString& path, const std::vector<std::int16_t>& samples, QString* error);

} // namespace qlnrec::platform

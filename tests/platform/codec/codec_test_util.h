#pragma once
// Helpers for the codec tests: TrueSpeech WAVE files, the reference decoder (ffmpeg), speech
// samples made with espeak-ng, and quality measures.
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

namespace qlnrec::test {

using Samples = std::vector<std::int16_t>;
using Bytes = std::vector<std::uint8_t>;

// The 90-byte tag-34 header followed by the blocks.
Bytes trueSpeechWave(const Bytes& blocks);

// Decodes TrueSpeech blocks with ffmpeg; nothing when ffmpeg is missing or fails.
std::optional<Samples> decodeWithFfmpeg(const Bytes& blocks, const QString& workFolder);

// Speech from espeak-ng for a voice, at 8 kHz 16-bit mono (through sox); empty on failure.
Samples speakAt8kHz(const QString& voice, const QString& text, const QString& workFolder);

// Segmental SNR in dB over 240-sample frames: each frame's SNR is limited to [-10, 40] dB and
// frames quieter than -50 dBFS in the reference are left out.
double segmentalSnrDb(const Samples& reference, const Samples& test);

// Longest run of consecutive samples at or beyond +-limit.
int longestRunAtLimit(const Samples& s, int limit);

} // namespace qlnrec::test

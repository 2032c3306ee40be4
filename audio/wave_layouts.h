#pragma once
// The two WAVE layouts a recording is stored in: a 44-byte header for PCM 8 kHz 16-bit mono,
// and a 90-byte header (format record with 32 extra bytes, then a "fact" chunk) for TrueSpeech.
// All integers little-endian; the data chunk follows the header directly.
#include "platform/riff/mmsystem.h"

#include <QByteArray>

#include <cstdint>

namespace qlnrec::audio {

enum class OutputFormat : std::int32_t { Pcm = 0, TrueSpeech = 1 };

inline constexpr int kPcmHeaderBytes = 44;
inline constexpr int kTrueSpeechHeaderBytes = 90;
// Compressed bytes per second, and the extra bytes of the TrueSpeech format record.
inline constexpr std::uint32_t kTrueSpeechBytesPerSecond = 1067;
inline constexpr int kTrueSpeechExtraBytes = 32;

int headerBytes(OutputFormat format);

// Samples in L bytes of TrueSpeech data: L x 8000 / 1067, rounded down, without 32-bit overflow.
std::uint32_t trueSpeechSampleCount(std::uint64_t dataBytes);

QByteArray pcmWaveHeader(std::uint64_t dataBytes);
QByteArray trueSpeechWaveHeader(std::uint64_t dataBytes);
QByteArray waveHeader(OutputFormat format, std::uint64_t dataBytes);

// The TrueSpeech format record as the compression service takes it: WAVEFORMATEX (tag 34,
// 1 channel, 8000 Hz, 1067 bytes/s, block 32, 1 bit, cbSize 32) followed by revision 1,
// 240 samples per block and 28 zero bytes. The same 50 bytes the file header carries.
struct TrueSpeechFormat {
    platform::WAVEFORMATEX wfx;
    std::uint8_t extra[kTrueSpeechExtraBytes];
};
TrueSpeechFormat trueSpeechFormat();

} // namespace qlnrec::audio
static_assert(sizeof(qlnrec::audio::TrueSpeechFormat) == 50);

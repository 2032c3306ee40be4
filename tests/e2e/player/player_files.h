#pragma once
// Recordings for the player's tests, written as the program writes them: a tone sweep in PCM
// (8 kHz, 16-bit, mono) or encoded with the TrueSpeech encoder.
#include <QString>

#include <cstdint>

namespace qlnrec::test {

enum class PlayerFormat { Pcm, TrueSpeech };

// The tone's sample n (8 kHz).
std::int16_t playerToneSample(long n);
bool writePlayerRecording(const QString& path, double seconds, PlayerFormat format);

} // namespace qlnrec::test

#pragma once
// Constant tables of the TrueSpeech 8.5 bitstream (WAVE format tag 34). They are format data:
// an encoder and a decoder must use exactly these numbers to interoperate.
#include <array>
#include <cstdint>

namespace qlnrec::platform::truespeech::tables {

// Reflection-coefficient quantizers k1..k8, Q15, ascending.
extern const std::array<std::int16_t, 32> kReflection1;
extern const std::array<std::int16_t, 32> kReflection2;
extern const std::array<std::int16_t, 16> kReflection3;
extern const std::array<std::int16_t, 16> kReflection4;
extern const std::array<std::int16_t, 16> kReflection5;
extern const std::array<std::int16_t, 8> kReflection6;
extern const std::array<std::int16_t, 8> kReflection7;
extern const std::array<std::int16_t, 8> kReflection8;

// Number of entries of each reflection quantizer (5, 5, 4, 4, 4, 3, 3, 3 bits).
inline constexpr std::array<int, 8> kReflectionSizes = {32, 32, 16, 16, 16, 8, 8, 8};
inline constexpr std::array<int, 8> kReflectionBits = {5, 5, 4, 4, 4, 3, 3, 3};

// The quantizer of coefficient i (0..7), as a pointer to its first entry.
const std::int16_t* reflectionTable(int i);

// Pulse-position enumeration: row r, column i holds C(29 - i, 3 - r).
extern const std::array<std::int16_t, 120> kPulsePositionBinomials;

// Bandwidth expansion 0.994^(m+1), Q15.
extern const std::array<std::int16_t, 8> kBandwidthExpansion;

// Two-tap pitch predictor gains, 25 pairs (tap at lag+1, tap at lag), Q14.
extern const std::array<std::int16_t, 50> kPitchTaps;

// Pulse amplitudes: row s = {+a, +3a, -a, -3a}.
extern const std::array<std::int16_t, 64> kPulseAmplitudes;

// Post-filter weights 0.55^(m+1) (zeros) and 0.75^(m+1) (poles), Q15.
extern const std::array<std::int16_t, 8> kPostFilterZeros;
extern const std::array<std::int16_t, 8> kPostFilterPoles;

} // namespace qlnrec::platform::truespeech::tables

#pragma once
// The fields of one 32-byte TrueSpeech block and their packing. Every field lies inside one
// little-endian 32-bit word of the block.
#include <array>
#include <cstdint>

namespace qlnrec::platform {

inline constexpr int kTrueSpeechBlockBytes = 32;
inline constexpr int kTrueSpeechFrameSamples = 240;
inline constexpr int kTrueSpeechSubframeSamples = 60;
inline constexpr int kTrueSpeechPitchOff = 127;

struct TrueSpeechFrame {
    bool interpolate = false;                      // blend the first two subframes' filters
    std::array<std::uint8_t, 8> reflection{};      // quantizer index of k1..k8
    std::array<std::uint8_t, 4> pitch{};           // 25 * lagOffset + gainIndex, or 127 for off
    std::array<std::uint8_t, 2> lagBase{};         // per half frame, lag = 18 + base + offset
    std::array<std::uint16_t, 4> pulseCodes{};     // 7 x 2 bits, first pulse in the top bits
    std::array<std::uint8_t, 4> pulseScale{};      // 0..15
    std::array<std::uint32_t, 4> pulsePositions{}; // (rank of 3 in 0..29) << 15 | rank of 4 in 30..59
};

TrueSpeechFrame unpackTrueSpeechFrame(const std::uint8_t block[kTrueSpeechBlockBytes]);
void packTrueSpeechFrame(const TrueSpeechFrame& frame, std::uint8_t block[kTrueSpeechBlockBytes]);

namespace truespeech {

// Number of codes of a half subframe: C(30, 3) and C(30, 4).
inline constexpr std::uint32_t kFirstHalfCodes = 4060;
inline constexpr std::uint32_t kSecondHalfCodes = 27405;

// Lexicographic rank of `count` distinct increasing positions in 0..29 among all such subsets.
std::uint32_t positionRank(const int* positions, int count);

} // namespace truespeech
} // namespace qlnrec::platform

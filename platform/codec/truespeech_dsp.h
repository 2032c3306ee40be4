#pragma once
// The integer building blocks of the TrueSpeech decoder. The encoder runs the very same steps
// as its local decoder, so both stay in step sample for sample.
#include "platform/codec/truespeech_frame.h"

#include <algorithm>
#include <array>
#include <cstdint>

namespace qlnrec::platform::truespeech {

inline constexpr int kHistoryLength = 146;

using Coefficients = std::array<std::int16_t, 8>; // direct-form predictor, Q12

// Everything a decoder carries from one block to the next.
struct DecoderState {
    std::array<std::int32_t, kHistoryLength> history{}; // excitation history, newest last
    Coefficients previous{};                            // last frame's predictor
    std::array<std::int16_t, 8> synthesisMemory{};      // last synthesis outputs, newest first
    std::array<std::int16_t, 8> postZeroMemory{};       // post-filter input memory
    std::array<std::int16_t, 8> postPoleMemory{};       // post-filter output memory
};

// Reflection indices -> bandwidth-expanded direct form, as the decoder computes it. Returns
// false when an intermediate value did not fit 16 bits (the decoder then uses a wrapped,
// meaningless filter; an encoder must not send such an index set).
bool reflectionToPredictor(const std::array<std::uint8_t, 8>& indices, Coefficients& out);

// The four subframes' predictors from the current and previous frame's sets.
void subframePredictors(const Coefficients& current, const Coefficients& previous, bool interpolate,
                        std::array<Coefficients, 4>& out);

// Pitch lag (delay of the second tap) for a code and lag base; the first tap is one further back.
// Inline: the encoder asks it for every code of every lag base.
inline int pitchLag(int code, int lagBase)
{
    return std::clamp(code / 25 + lagBase + 18, 0, kHistoryLength - 1);
}

// The long-term prediction for a given lag (18..145) and gain pair index (0..24). Returns false
// when a value had to be wrapped to 16 bits.
bool pitchVector(const std::array<std::int32_t, kHistoryLength>& history, int lag, int gainIndex,
                 std::int16_t v[kTrueSpeechSubframeSamples]);

// Builds the long-term prediction for one subframe. Returns false when a value had to be
// wrapped to 16 bits (which the decoder does silently).
bool pitchPrediction(const std::array<std::int32_t, kHistoryLength>& history, int code, int lagBase,
                     std::int16_t v[kTrueSpeechSubframeSamples]);

// The seven signed pulses of one subframe.
void placePulses(std::uint16_t codes, int scale, std::uint32_t positions,
                 std::int16_t e[kTrueSpeechSubframeSamples]);

// x = e + v (wrapped) and the history update with the leaky pitch part.
void combineExcitation(std::array<std::int32_t, kHistoryLength>& history,
                       const std::int16_t e[kTrueSpeechSubframeSamples],
                       const std::int16_t v[kTrueSpeechSubframeSamples],
                       std::int16_t x[kTrueSpeechSubframeSamples]);

// All-pole synthesis of one subframe. Returns false when the filter sum left 32 bits.
bool synthesize(const Coefficients& c, std::array<std::int16_t, 8>& memory,
                const std::int16_t x[kTrueSpeechSubframeSamples], std::int16_t y[kTrueSpeechSubframeSamples]);

// Formant post-filter, tilt and the fixed 7/8 output gain of one subframe.
void postFilter(const Coefficients& c, std::int16_t k1, DecoderState& state,
                const std::int16_t y[kTrueSpeechSubframeSamples],
                std::int16_t out[kTrueSpeechSubframeSamples]);

} // namespace qlnrec::platform::truespeech

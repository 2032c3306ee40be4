#pragma once
// TrueSpeech encoder: 240 16-bit samples (8 kHz) to one 32-byte block, by analysis through
// synthesis. It runs its own copy of the decoder's state, updated by the decoder's integer
// steps, so what it searches against is exactly what any decoder will produce.
#include "platform/codec/truespeech_dsp.h"
#include "platform/codec/truespeech_frame.h"

#include <array>
#include <cstdint>
#include <vector>

namespace qlnrec::platform {

class TrueSpeechEncoder {
public:
    void encodeBlock(const std::int16_t in[kTrueSpeechFrameSamples], std::uint8_t out[kTrueSpeechBlockBytes]);
    TrueSpeechFrame encodeFrame(const std::int16_t in[kTrueSpeechFrameSamples]);
    void reset();

    // The decoder's synthesis output (before its post-filter) for the last frame encoded.
    const std::array<std::int16_t, kTrueSpeechFrameSamples>& lastSynthesis() const { return synthesis_; }

    // Search effort knobs, mainly for measurements; the defaults are the product setting.
    struct Effort {
        int pitchCandidates = 6;           // pitch (lag, gain) pairs checked exactly
        int pitchCandidatesForPulses = 2;  // of those, how many get a full pulse search
        int scaleSpread = 1;               // pulse scales tried on each side of the estimate
        int refinePasses = 3;              // pulse re-placement passes
        bool tryBothInterpolations = true; // blended or previous filter for the first half
        int filterCandidates = 1;          // quantized filters tried in closed loop (each doubles the cost)
    };
    void setEffort(const Effort& effort) { effort_ = effort; }

private:
    struct SubframeChoice;
    struct FrameTrial;

    struct FilterChoice {
        std::array<std::uint8_t, 8> indices{};
        truespeech::Coefficients predictor{};
        double cost = 0;
    };
    std::vector<FilterChoice> analyse(const std::int16_t in[kTrueSpeechFrameSamples]) const;
    void encodeSubframes(FrameTrial& trial, const truespeech::Coefficients& current,
                         const float* speech) const;
    SubframeChoice encodeSubframe(truespeech::DecoderState& state, const truespeech::Coefficients& c,
                                  const float* speech, const std::array<std::uint8_t, 128 * 25>* allowed,
                                  std::int16_t y[kTrueSpeechSubframeSamples]) const;
    SubframeChoice searchSubframe(truespeech::DecoderState& state, const truespeech::Coefficients& c,
                                  const float* speech, const std::array<std::uint8_t, 128 * 25>* allowed,
                                  float targetGain, std::int16_t y[kTrueSpeechSubframeSamples]) const;

    truespeech::DecoderState state_{};
    std::array<std::int16_t, kTrueSpeechFrameSamples> synthesis_{};
    Effort effort_{};
};

} // namespace qlnrec::platform

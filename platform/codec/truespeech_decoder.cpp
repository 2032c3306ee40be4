#include "platform/codec/truespeech_decoder.h"

#include "platform/codec/truespeech_tables.h"

namespace qlnrec::platform {

void TrueSpeechDecoder::decodeBlock(const std::uint8_t block[kTrueSpeechBlockBytes],
                                    std::int16_t out[kTrueSpeechFrameSamples])
{
    decodeFrame(unpackTrueSpeechFrame(block), out);
}

void TrueSpeechDecoder::decodeFrame(const TrueSpeechFrame& frame, std::int16_t out[kTrueSpeechFrameSamples])
{
    using namespace truespeech;
    Coefficients current{};
    reflectionToPredictor(frame.reflection, current);
    std::array<Coefficients, 4> predictors{};
    subframePredictors(current, state_.previous, frame.interpolate, predictors);
    const std::int16_t k1 = truespeech::tables::kReflection1[frame.reflection[0] & 31u];

    for (int q = 0; q < 4; ++q) {
        const auto uq = static_cast<std::size_t>(q);
        std::int16_t v[kTrueSpeechSubframeSamples];
        std::int16_t e[kTrueSpeechSubframeSamples];
        std::int16_t x[kTrueSpeechSubframeSamples];
        std::int16_t* y = synthesis_.data() + q * kTrueSpeechSubframeSamples;
        pitchPrediction(state_.history, frame.pitch[uq] & 127, frame.lagBase[uq >> 1], v);
        placePulses(frame.pulseCodes[uq], frame.pulseScale[uq], frame.pulsePositions[uq], e);
        combineExcitation(state_.history, e, v, x);
        synthesize(predictors[uq], state_.synthesisMemory, x, y);
        postFilter(predictors[uq], k1, state_, y, out + q * kTrueSpeechSubframeSamples);
    }
    state_.previous = current;
}

void TrueSpeechDecoder::reset()
{
    state_ = {};
    synthesis_ = {};
}

} // namespace qlnrec::platform

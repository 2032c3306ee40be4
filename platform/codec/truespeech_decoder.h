#pragma once
// TrueSpeech decoder: 32-byte blocks to 240 16-bit samples, with state carried across blocks.
// Any 32 bytes are accepted; nonsense blocks give nonsense sound, never undefined behaviour.
#include "platform/codec/truespeech_dsp.h"
#include "platform/codec/truespeech_frame.h"

#include <array>
#include <cstdint>

namespace qlnrec::platform {

class TrueSpeechDecoder {
public:
    void decodeBlock(const std::uint8_t block[kTrueSpeechBlockBytes],
                     std::int16_t out[kTrueSpeechFrameSamples]);
    void decodeFrame(const TrueSpeechFrame& frame, std::int16_t out[kTrueSpeechFrameSamples]);
    void reset();

    // The synthesis output of the last block before the post-filter: the signal the encoder
    // matches, useful to measure waveform quality.
    const std::array<std::int16_t, kTrueSpeechFrameSamples>& lastSynthesis() const { return synthesis_; }

    const truespeech::DecoderState& state() const { return state_; }

private:
    truespeech::DecoderState state_{};
    std::array<std::int16_t, kTrueSpeechFrameSamples> synthesis_{};
};

} // namespace qlnrec::platform

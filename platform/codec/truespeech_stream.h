#pragma once
// Stream converters for callers that hand over audio in pieces of any size (for example one
// second of capture at a time, which is not a whole number of 240-sample frames). Whatever does
// not complete a frame or block is kept and goes in front of the next piece, so nothing is lost
// at the boundaries and the output does not depend on how the input was cut.
#include "platform/codec/truespeech_decoder.h"
#include "platform/codec/truespeech_encoder.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace qlnrec::platform {

struct StreamConversion {
    std::size_t sourceUsed = 0; // input bytes taken into the stream (kept ones included)
    std::size_t produced = 0;   // output bytes written
};

// 16-bit little-endian mono PCM at 8 kHz -> TrueSpeech blocks.
class TrueSpeechStreamEncoder {
public:
    // Takes as much input as the output room allows (all of it when there is room for every
    // completed frame) and writes one 32-byte block per completed frame.
    StreamConversion convert(const std::uint8_t* pcm, std::size_t pcmBytes, std::uint8_t* out,
                             std::size_t outCapacity);
    // Encodes the samples still waiting, padded with silence, as one last block (0 or 32 bytes).
    std::size_t flush(std::uint8_t* out, std::size_t outCapacity);
    // Largest output a conversion of `pcmBytes` more input can produce.
    std::size_t maxOutputFor(std::size_t pcmBytes) const;
    std::size_t pendingSamples() const { return pendingSamples_; }
    void reset();

    void setEffort(const TrueSpeechEncoder::Effort& effort) { encoder_.setEffort(effort); }

private:
    TrueSpeechEncoder encoder_;
    std::array<std::int16_t, kTrueSpeechFrameSamples> pending_{};
    std::size_t pendingSamples_ = 0;
    bool haveLowByte_ = false; // an odd byte count leaves half a sample
    std::uint8_t lowByte_ = 0;
};

// TrueSpeech blocks -> 16-bit little-endian mono PCM at 8 kHz.
class TrueSpeechStreamDecoder {
public:
    StreamConversion convert(const std::uint8_t* blocks, std::size_t bytes, std::uint8_t* out,
                             std::size_t outCapacity);
    std::size_t maxOutputFor(std::size_t bytes) const;
    std::size_t pendingBytes() const { return pendingBytes_; }
    void reset();

private:
    TrueSpeechDecoder decoder_;
    std::array<std::uint8_t, kTrueSpeechBlockBytes> pending_{};
    std::size_t pendingBytes_ = 0;
};

} // namespace qlnrec::platform

#include "platform/codec/truespeech_stream.h"

#include <algorithm>

namespace qlnrec::platform {

namespace {

constexpr std::size_t kFrame = kTrueSpeechFrameSamples;
constexpr std::size_t kBlock = kTrueSpeechBlockBytes;

void writeSamples(const std::int16_t* samples, std::size_t count, std::uint8_t* out)
{
    for (std::size_t i = 0; i < count; ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        out[2 * i] = static_cast<std::uint8_t>(v);
        out[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
}

} // namespace

StreamConversion TrueSpeechStreamEncoder::convert(const std::uint8_t* pcm, std::size_t pcmBytes,
                                                  std::uint8_t* out, std::size_t outCapacity)
{
    StreamConversion result;
    if (pcm == nullptr) {
        pcmBytes = 0;
    }
    if (out == nullptr) {
        outCapacity = 0;
    }
    // Take bytes while every frame they complete still has room in the output.
    const std::size_t roomFrames = outCapacity / kBlock;
    const std::size_t held = pendingSamples_ * 2 + (haveLowByte_ ? 1 : 0);
    const std::size_t take = std::min(pcmBytes, (roomFrames + 1) * kFrame * 2 - 1 - held);
    for (std::size_t i = 0; i < take; ++i) {
        if (!haveLowByte_) {
            lowByte_ = pcm[i];
            haveLowByte_ = true;
            continue;
        }
        haveLowByte_ = false;
        pending_[pendingSamples_++] =
            static_cast<std::int16_t>(static_cast<std::uint16_t>(lowByte_ | pcm[i] << 8));
        if (pendingSamples_ == kFrame) {
            encoder_.encodeBlock(pending_.data(), out + result.produced);
            result.produced += kBlock;
            pendingSamples_ = 0;
        }
    }
    result.sourceUsed = take;
    return result;
}

std::size_t TrueSpeechStreamEncoder::flush(std::uint8_t* out, std::size_t outCapacity)
{
    if (pendingSamples_ == 0 || out == nullptr || outCapacity < kBlock) {
        return 0;
    }
    std::fill(pending_.begin() + static_cast<std::ptrdiff_t>(pendingSamples_), pending_.end(),
              std::int16_t{0});
    encoder_.encodeBlock(pending_.data(), out);
    pendingSamples_ = 0;
    haveLowByte_ = false;
    return kBlock;
}

std::size_t TrueSpeechStreamEncoder::maxOutputFor(std::size_t pcmBytes) const
{
    const std::size_t bytes = pcmBytes + pendingSamples_ * 2 + (haveLowByte_ ? 1 : 0);
    return bytes / (2 * kFrame) * kBlock;
}

void TrueSpeechStreamEncoder::reset()
{
    encoder_.reset();
    pendingSamples_ = 0;
    haveLowByte_ = false;
}

StreamConversion TrueSpeechStreamDecoder::convert(const std::uint8_t* blocks, std::size_t bytes,
                                                  std::uint8_t* out, std::size_t outCapacity)
{
    StreamConversion result;
    if (blocks == nullptr) {
        bytes = 0;
    }
    if (out == nullptr) {
        outCapacity = 0;
    }
    const std::size_t roomBlocks = outCapacity / (2 * kFrame);
    const std::size_t take = std::min(bytes, (roomBlocks + 1) * kBlock - 1 - pendingBytes_);
    std::array<std::int16_t, kFrame> samples{};
    for (std::size_t i = 0; i < take; ++i) {
        pending_[pendingBytes_++] = blocks[i];
        if (pendingBytes_ == kBlock) {
            decoder_.decodeBlock(pending_.data(), samples.data());
            writeSamples(samples.data(), kFrame, out + result.produced);
            result.produced += 2 * kFrame;
            pendingBytes_ = 0;
        }
    }
    result.sourceUsed = take;
    return result;
}

std::size_t TrueSpeechStreamDecoder::maxOutputFor(std::size_t bytes) const
{
    return (bytes + pendingBytes_) / kBlock * 2 * kFrame;
}

void TrueSpeechStreamDecoder::reset()
{
    decoder_.reset();
    pendingBytes_ = 0;
}

} // namespace qlnrec::platform

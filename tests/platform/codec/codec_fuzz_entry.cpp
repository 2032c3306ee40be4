#include "tests/platform/codec/codec_fuzz_entry.h"

#include "platform/codec/truespeech_decoder.h"
#include "platform/codec/truespeech_encoder.h"
#include "platform/codec/truespeech_stream.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

namespace qlnrec::test {

using namespace qlnrec::platform;

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

int fuzzCodecOnce(const std::uint8_t* data, std::size_t size)
{
    // As TrueSpeech blocks.
    TrueSpeechDecoder decoder;
    std::vector<std::uint8_t> whole;
    std::array<std::int16_t, 240> frame{};
    for (std::size_t at = 0; at + 32 <= size; at += 32) {
        decoder.decodeBlock(data + at, frame.data());
        for (const std::int16_t v : frame) {
            whole.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v)));
            whole.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(v) >> 8));
        }
    }
    TrueSpeechStreamDecoder stream;
    std::vector<std::uint8_t> pieces;
    std::vector<std::uint8_t> out(2 * 480);
    std::size_t at = 0;
    std::size_t step = size > 0 ? data[0] % 61 + 1 : 1;
    while (at < size) {
        const StreamConversion r =
            stream.convert(data + at, std::min(step, size - at), out.data(), out.size());
        pieces.insert(pieces.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(r.produced));
        at += r.sourceUsed;
        step = step % 61 + 7;
    }
    check(pieces == whole);

    // As PCM.
    TrueSpeechEncoder encoder;
    TrueSpeechDecoder check_decoder;
    std::array<std::int16_t, 240> pcm{};
    std::array<std::uint8_t, 32> block{};
    for (std::size_t f = 0; f + 480 <= size; f += 480) {
        for (std::size_t i = 0; i < 240; ++i) {
            pcm[i] = static_cast<std::int16_t>(
                static_cast<std::uint16_t>(data[f + 2 * i] | data[f + 2 * i + 1] << 8));
        }
        encoder.encodeBlock(pcm.data(), block.data());
        check_decoder.decodeBlock(block.data(), frame.data());
        check(encoder.lastSynthesis() == check_decoder.lastSynthesis());
        const TrueSpeechFrame fields = unpackTrueSpeechFrame(block.data());
        for (int q = 0; q < 4; ++q) {
            check((fields.pulsePositions[static_cast<std::size_t>(q)] >> 15) < truespeech::kFirstHalfCodes);
            check((fields.pulsePositions[static_cast<std::size_t>(q)] & 0x7FFFu) <
                  truespeech::kSecondHalfCodes);
        }
    }
    return 0;
}

} // namespace qlnrec::test

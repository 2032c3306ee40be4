// The mapper's PCM conversion: rates, widths, channels and streaming across calls.
#include "platform/wave/pcm_converter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>

using namespace qlnrec::platform;

namespace {

std::vector<std::uint8_t> bytesOf(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> out(samples.size() * 2);
    std::memcpy(out.data(), samples.data(), out.size());
    return out;
}

std::vector<std::int16_t> samplesOf(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> out(bytes.size() / 2);
    std::memcpy(out.data(), bytes.data(), out.size() * 2);
    return out;
}

std::vector<std::int16_t> sine(double hz, double rate, std::size_t frames, double amplitude = 10000)
{
    std::vector<std::int16_t> out(frames);
    for (std::size_t i = 0; i < frames; ++i) {
        out[i] = static_cast<std::int16_t>(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * i / rate)));
    }
    return out;
}

TEST(PcmConverter, Resampling11025To8000Keeps400HzAndTheDuration)
{
    const WAVEFORMATEX from{WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0};
    const auto input = sine(400, 11025, 11025);
    const auto out = samplesOf(convertPcm(from, bytesOf(input).data(), input.size() * 2, pcm8kMono16()));
    ASSERT_NEAR(static_cast<double>(out.size()), 8000.0, 2.0);
    const auto expected = sine(400, 8000, out.size());
    for (std::size_t i = 0; i < out.size(); ++i) {
        ASSERT_NEAR(out[i], expected[i], 200) << i; // linear interpolation error at 400 Hz
    }
}

TEST(PcmConverter, StreamingInOddPiecesGivesTheSameResultAsOneBlock)
{
    const WAVEFORMATEX from{WAVE_FORMAT_PCM, 2, 22050, 88200, 4, 16, 0};
    std::vector<std::int16_t> stereo(2 * 5000);
    for (std::size_t i = 0; i < 5000; ++i) {
        stereo[2 * i] = static_cast<std::int16_t>(i * 3);
        stereo[2 * i + 1] = static_cast<std::int16_t>(-static_cast<int>(i));
    }
    const auto bytes = bytesOf(stereo);
    const auto whole = convertPcm(from, bytes.data(), bytes.size(), pcm8kMono16());
    PcmConverter converter(from, pcm8kMono16());
    std::vector<std::uint8_t> pieces;
    std::size_t offset = 0;
    std::size_t step = 1;
    while (offset < bytes.size()) {
        const std::size_t take = std::min(step, bytes.size() - offset);
        converter.convert(bytes.data() + offset, take, pieces);
        offset += take;
        step = step * 3 % 997 + 1; // pieces that split frames
    }
    EXPECT_EQ(pieces, whole);
}

TEST(PcmConverter, WidthsAndChannelsConvertAtTheSameRate)
{
    // 8-bit unsigned mono to 16-bit signed stereo and back.
    const WAVEFORMATEX u8{WAVE_FORMAT_PCM, 1, 8000, 8000, 1, 8, 0};
    const WAVEFORMATEX s16stereo{WAVE_FORMAT_PCM, 2, 8000, 32000, 4, 16, 0};
    const std::vector<std::uint8_t> input = {0x00, 0x80, 0xFF, 0x40};
    const auto wide = samplesOf(convertPcm(u8, input.data(), input.size(), s16stereo));
    EXPECT_EQ(wide, (std::vector<std::int16_t>{-32768, -32768, 0, 0, 32512, 32512, -16384, -16384}));
    const auto back = convertPcm(s16stereo, bytesOf(wide).data(), wide.size() * 2, u8);
    EXPECT_EQ(back, input);
    // Stereo to mono averages the channels.
    const std::vector<std::int16_t> lr = {1000, 3000, -100, 100};
    EXPECT_EQ(samplesOf(convertPcm(s16stereo, bytesOf(lr).data(), 8, pcm8kMono16())),
              (std::vector<std::int16_t>{2000, 0}));
    EXPECT_TRUE(PcmConverter(pcm8kMono16(), pcm8kMono16()).identity());
    EXPECT_FALSE(PcmConverter::supported(WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 8000, 24000, 3, 24, 0}));
    EXPECT_FALSE(PcmConverter::supported(WAVEFORMATEX{WAVE_FORMAT_PCM, 1, 8000, 16000, 4, 16, 0}));
}

} // namespace

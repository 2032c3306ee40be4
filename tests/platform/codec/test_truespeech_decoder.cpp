// Our decoder against ffmpeg's, sample for sample, on random, plausible and edge-case blocks.
#include "platform/codec/truespeech_decoder.h"
#include "platform/codec/truespeech_dsp.h"
#include "platform/codec/truespeech_frame.h"
#include "tests/platform/codec/codec_fuzz_entry.h"
#include "tests/platform/codec/codec_test_util.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace qlnrec::platform;
using qlnrec::test::Bytes;
using qlnrec::test::Samples;

namespace {

Samples decodeOurs(const Bytes& blocks)
{
    TrueSpeechDecoder decoder;
    Samples out(blocks.size() / 32 * 240);
    for (std::size_t b = 0; b + 32 <= blocks.size(); b += 32) {
        decoder.decodeBlock(blocks.data() + b, out.data() + b / 32 * 240);
    }
    return out;
}

void appendBlock(Bytes& stream, const TrueSpeechFrame& f)
{
    std::uint8_t block[32];
    packTrueSpeechFrame(f, block);
    stream.insert(stream.end(), block, block + 32);
}

std::uint32_t randomRank(std::mt19937& rng, int count)
{
    std::array<int, 30> all{};
    for (int i = 0; i < 30; ++i) {
        all[static_cast<std::size_t>(i)] = i;
    }
    std::shuffle(all.begin(), all.end(), rng);
    std::sort(all.begin(), all.begin() + count);
    return truespeech::positionRank(all.data(), count);
}

// A frame a real encoder might send: valid position codes and moderate pulse scales.
TrueSpeechFrame plausibleFrame(std::mt19937& rng)
{
    TrueSpeechFrame f;
    f.interpolate = (rng() & 1u) != 0;
    for (int i = 0; i < 8; ++i) {
        f.reflection[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(rng() % (i < 2   ? 32u
                                                                                       : i < 5 ? 16u
                                                                                               : 8u));
    }
    for (auto& p : f.pitch) {
        p = static_cast<std::uint8_t>(rng() % 128u);
    }
    for (auto& b : f.lagBase) {
        b = static_cast<std::uint8_t>(rng() % 128u);
    }
    for (int q = 0; q < 4; ++q) {
        const auto uq = static_cast<std::size_t>(q);
        f.pulseCodes[uq] = static_cast<std::uint16_t>(rng() & 0x3FFFu);
        f.pulseScale[uq] = static_cast<std::uint8_t>(rng() % 11u);
        f.pulsePositions[uq] = randomRank(rng, 3) << 15 | randomRank(rng, 4);
    }
    return f;
}

class DecoderAgainstFfmpeg : public ::testing::Test {
protected:
    void expectSameAsFfmpeg(const Bytes& blocks)
    {
        const auto reference = qlnrec::test::decodeWithFfmpeg(blocks, home.root());
        if (!reference) {
            GTEST_SKIP() << "ffmpeg is not available";
        }
        const Samples ours = decodeOurs(blocks);
        ASSERT_EQ(reference->size(), ours.size());
        std::size_t differing = 0;
        std::size_t first = ours.size();
        for (std::size_t i = 0; i < ours.size(); ++i) {
            if (ours[i] != (*reference)[i]) {
                ++differing;
                first = std::min(first, i);
            }
        }
        EXPECT_EQ(differing, 0u) << "first difference at sample " << first << " (block " << first / 240
                                 << ")";
    }

    qlnrec::test::TempHome home;
};

TEST_F(DecoderAgainstFfmpeg, ConstantBlocksFromFreshState)
{
    for (const std::uint8_t fill : {0x00, 0xFF, 0x55, 0xAA, 0x80, 0x7F}) {
        SCOPED_TRACE(static_cast<int>(fill));
        expectSameAsFfmpeg(Bytes(32 * 20, fill));
    }
}

TEST_F(DecoderAgainstFfmpeg, EveryFieldAtItsExtremes)
{
    std::mt19937 rng(7);
    Bytes stream;
    auto extreme = [&](auto change) {
        for (int i = 0; i < 2; ++i) {
            appendBlock(stream, plausibleFrame(rng));
        }
        TrueSpeechFrame f = plausibleFrame(rng);
        change(f);
        appendBlock(stream, f);
        appendBlock(stream, f);
    };
    for (const int flag : {0, 1}) {
        extreme([&](TrueSpeechFrame& f) { f.interpolate = flag != 0; });
    }
    for (int i = 0; i < 8; ++i) {
        const auto ui = static_cast<std::size_t>(i);
        const int top = (i < 2 ? 32 : i < 5 ? 16 : 8) - 1;
        extreme([&](TrueSpeechFrame& f) { f.reflection[ui] = 0; });
        extreme([&](TrueSpeechFrame& f) { f.reflection[ui] = static_cast<std::uint8_t>(top); });
    }
    // Every reflection index at its lowest and highest together: the predictor overflows.
    extreme([](TrueSpeechFrame& f) { f.reflection = {0, 0, 0, 0, 0, 0, 0, 0}; });
    extreme([](TrueSpeechFrame& f) { f.reflection = {31, 31, 15, 15, 15, 7, 7, 7}; });
    extreme([](TrueSpeechFrame& f) { f.reflection = {0, 31, 0, 15, 0, 7, 0, 7}; });
    for (const int code : {0, 24, 25, 100, 124, 125, 126, 127}) {
        for (const int base : {0, 1, 122, 127, 128, 200, 255}) {
            extreme([&](TrueSpeechFrame& f) {
                f.pitch.fill(static_cast<std::uint8_t>(code));
                f.lagBase.fill(static_cast<std::uint8_t>(base));
                f.pulseScale.fill(15);
            });
        }
    }
    for (const std::uint16_t codes : {0x0000, 0x3FFF, 0x1555, 0x2AAA}) {
        for (const std::uint8_t scale : {0, 15}) {
            extreme([&](TrueSpeechFrame& f) {
                f.pulseCodes.fill(codes);
                f.pulseScale.fill(scale);
            });
        }
    }
    for (const std::uint32_t first : {0u, 4059u, 4060u, 4095u}) {
        for (const std::uint32_t second : {0u, 27404u, 27405u, 32767u}) {
            extreme([&](TrueSpeechFrame& f) { f.pulsePositions.fill(first << 15 | second); });
        }
    }
    // Saturating sound: loudest pulses, strongest pitch gain, sharpest filter.
    extreme([](TrueSpeechFrame& f) {
        f.reflection = {0, 31, 0, 15, 0, 7, 0, 7};
        f.pitch.fill(5);
        f.lagBase.fill(0);
        f.pulseScale.fill(15);
        f.pulseCodes.fill(0x3FFF);
    });
    for (int i = 0; i < 4; ++i) {
        appendBlock(stream, plausibleFrame(rng));
    }
    expectSameAsFfmpeg(stream);
}

TEST_F(DecoderAgainstFfmpeg, LongRandomStreams)
{
    std::mt19937 rng(20240607);
    Bytes garbage(32 * 3000);
    for (auto& b : garbage) {
        b = static_cast<std::uint8_t>(rng());
    }
    expectSameAsFfmpeg(garbage);

    Bytes plausible;
    for (int i = 0; i < 3000; ++i) {
        appendBlock(plausible, plausibleFrame(rng));
    }
    expectSameAsFfmpeg(plausible);
}

TEST(TrueSpeechFrame, PackingRoundTripsEveryField)
{
    std::mt19937 rng(3);
    for (int i = 0; i < 2000; ++i) {
        std::uint8_t block[32];
        for (auto& b : block) {
            b = static_cast<std::uint8_t>(rng());
        }
        const TrueSpeechFrame f = unpackTrueSpeechFrame(block);
        std::uint8_t again[32];
        packTrueSpeechFrame(f, again);
        ASSERT_TRUE(std::equal(block, block + 32, again)) << "block " << i;
    }
    TrueSpeechFrame f;
    f.lagBase = {0xA5, 0x3C};
    f.pitch = {1, 2, 3, 127};
    std::uint8_t block[32];
    packTrueSpeechFrame(f, block);
    const TrueSpeechFrame back = unpackTrueSpeechFrame(block);
    EXPECT_EQ(back.lagBase, f.lagBase);
    EXPECT_EQ(back.pitch, f.pitch);
}

TEST(TrueSpeechFrame, PositionRankIsDecodedBackToThePositions)
{
    const int firstThree[] = {0, 1, 2};
    const int lastThree[] = {27, 28, 29};
    const int lastFour[] = {26, 27, 28, 29};
    EXPECT_EQ(truespeech::positionRank(firstThree, 3), 0u);
    EXPECT_EQ(truespeech::positionRank(lastThree, 3), truespeech::kFirstHalfCodes - 1);
    EXPECT_EQ(truespeech::positionRank(lastFour, 4), truespeech::kSecondHalfCodes - 1);

    std::mt19937 rng(11);
    for (int trial = 0; trial < 3000; ++trial) {
        std::array<int, 30> all{};
        for (int i = 0; i < 30; ++i) {
            all[static_cast<std::size_t>(i)] = i;
        }
        std::shuffle(all.begin(), all.end(), rng);
        std::sort(all.begin(), all.begin() + 3);
        std::sort(all.begin() + 3, all.begin() + 7);
        const std::uint32_t code =
            truespeech::positionRank(all.data(), 3) << 15 | truespeech::positionRank(all.data() + 3, 4);
        std::int16_t e[60];
        truespeech::placePulses(0, 0, code, e);
        std::vector<int> placed;
        for (int n = 0; n < 60; ++n) {
            if (e[n] != 0) {
                placed.push_back(n);
            }
        }
        const std::vector<int> expected = {all[0],      all[1],      all[2],     30 + all[3],
                                           30 + all[4], 30 + all[5], 30 + all[6]};
        ASSERT_EQ(placed, expected);
    }
}

TEST(TrueSpeechFuzzEntry, RandomAndConstantInputsPass)
{
    // The fuzz target's checks on a few fixed inputs, so they run with every test run too.
    std::mt19937 rng(42);
    for (const std::size_t size : {0u, 1u, 31u, 32u, 479u, 480u, 4801u}) {
        Bytes data(size);
        for (auto& b : data) {
            b = static_cast<std::uint8_t>(rng());
        }
        EXPECT_EQ(qlnrec::test::fuzzCodecOnce(data.data(), data.size()), 0);
        const Bytes ones(size, 0xFF);
        EXPECT_EQ(qlnrec::test::fuzzCodecOnce(ones.data(), ones.size()), 0);
    }
}

} // namespace

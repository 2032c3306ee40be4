// The built-in TrueSpeech driver, driven only through the compression-service calls the
// recorder makes.
#include "platform/acm/acm.h"
#include "platform/acm/truespeech_driver.h"
#include "platform/codec/truespeech_decoder.h"
#include "platform/codec/truespeech_encoder.h"

#include <gtest/gtest.h>

#include <QString>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace qlnrec::platform;

namespace {

#pragma pack(push, 1)
struct TrueSpeechWaveFormat {
    WAVEFORMATEX wfx;
    std::uint16_t revision;
    std::uint16_t samplesPerBlock;
    std::uint8_t reserved[28];
};
#pragma pack(pop)

TrueSpeechWaveFormat trueSpeechFormat()
{
    TrueSpeechWaveFormat f{};
    f.wfx = {WAVE_FORMAT_DSPGROUP_TRUESPEECH, 1, 8000, 1067, 32, 1, 32};
    f.revision = 1;
    f.samplesPerBlock = 240;
    return f;
}

WAVEFORMATEX captureFormat()
{
    return {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
}

std::vector<std::uint8_t> pcmBytes(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto v = static_cast<std::uint16_t>(samples[i]);
        bytes[2 * i] = static_cast<std::uint8_t>(v);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    return bytes;
}

// A minute of something like a voice: a gliding harmonic tone, syllables and breath noise.
std::vector<std::int16_t> voiceLike(double seconds)
{
    std::mt19937 rng(17);
    std::normal_distribution<double> noise(0.0, 200.0);
    std::vector<std::int16_t> s(static_cast<std::size_t>(seconds * 8000));
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / 8000.0;
        phase += 2 * std::numbers::pi * (120 + 30 * std::sin(2 * std::numbers::pi * 0.4 * t)) / 8000.0;
        double v = 0;
        for (int h = 1; h <= 10; ++h) {
            v += std::sin(h * phase) / h;
        }
        const double envelope = std::max(0.0, std::sin(2 * std::numbers::pi * 2.3 * t));
        s[i] = static_cast<std::int16_t>(
            std::lround(std::clamp(5000 * envelope * v + noise(rng), -32768.0, 32767.0)));
    }
    return s;
}

struct TrueSpeechThroughAcm : ::testing::Test {
    AcmDriverRegistry registry;
    AcmService acm{registry};

    void SetUp() override { registerBuiltInAcmDrivers(registry); }

    // The start-up search: every driver, disabled ones included; the first whose upper-cased
    // short name contains "TRUESPEECH".
    HACMDRIVERID findTrueSpeech()
    {
        HACMDRIVERID found = nullptr;
        const MMRESULT r = acm.acmDriverEnum(
            [&](HACMDRIVERID id, std::uintptr_t, std::uint32_t) {
                ACMDRIVERDETAILSW details{};
                details.cbStruct = sizeof(details);
                if (acm.acmDriverDetailsW(id, &details, 0) != MMSYSERR_NOERROR) {
                    return true;
                }
                if (QString::fromStdU16String(details.szShortName)
                        .toUpper()
                        .contains(QStringLiteral("TRUESPEECH"))) {
                    found = id;
                    return false;
                }
                return true;
            },
            0, ACM_DRIVERENUMF_DISABLED);
        EXPECT_EQ(r, MMSYSERR_NOERROR);
        return found;
    }

    HACMSTREAM openStream(HACMDRIVER driver, bool encode)
    {
        const WAVEFORMATEX pcm = captureFormat();
        const TrueSpeechWaveFormat ts = trueSpeechFormat();
        HACMSTREAM stream = nullptr;
        const auto* tsFormat = reinterpret_cast<const WAVEFORMATEX*>(&ts);
        EXPECT_EQ(acm.acmStreamOpen(&stream, driver, encode ? &pcm : tsFormat, encode ? tsFormat : &pcm,
                                    nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME),
                  MMSYSERR_NOERROR);
        return stream;
    }

    // One prepare/convert/unprepare cycle with flags 0, as the recorder does for each block.
    std::vector<std::uint8_t> convert(HACMSTREAM stream, std::vector<std::uint8_t> source, std::uint32_t room)
    {
        std::vector<std::uint8_t> destination(room, 0);
        ACMSTREAMHEADER h{};
        h.cbStruct = 88;
        h.pbSrc = source.data();
        h.cbSrcLength = static_cast<std::uint32_t>(source.size());
        h.pbDst = destination.data();
        h.cbDstLength = room;
        EXPECT_EQ(acm.acmStreamPrepareHeader(stream, &h, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(acm.acmStreamConvert(stream, &h, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(h.cbSrcLengthUsed, source.size()) << "the stream keeps what it cannot use yet";
        EXPECT_EQ(acm.acmStreamUnprepareHeader(stream, &h, 0), MMSYSERR_NOERROR);
        destination.resize(h.cbDstLengthUsed);
        return destination;
    }
};

TEST_F(TrueSpeechThroughAcm, OneSecondBlocksOfAMinuteEqualTheWholeEncodedAtOnce)
{
    const HACMDRIVERID id = findTrueSpeech();
    ASSERT_NE(id, nullptr);
    HACMDRIVER driver = nullptr;
    ASSERT_EQ(acm.acmDriverOpen(&driver, id, 0), MMSYSERR_NOERROR);
    const HACMSTREAM stream = openStream(driver, true);

    const std::vector<std::int16_t> signal = voiceLike(60);
    const std::vector<std::uint8_t> pcm = pcmBytes(signal);
    std::vector<std::uint8_t> viaAcm;
    for (std::size_t at = 0; at < pcm.size(); at += 16000) {
        const std::vector<std::uint8_t> block(pcm.begin() + static_cast<std::ptrdiff_t>(at),
                                              pcm.begin() + static_cast<std::ptrdiff_t>(at + 16000));
        const std::vector<std::uint8_t> out = convert(stream, block, 1600);
        EXPECT_EQ(out.size() % 32, 0u);
        viaAcm.insert(viaAcm.end(), out.begin(), out.end());
    }
    EXPECT_EQ(acm.acmStreamClose(stream, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmDriverClose(driver, 0), MMSYSERR_NOERROR);

    // 8,000 samples a second are 33 frames and 80 samples: over a minute the carried samples add
    // up to 20 more frames, none dropped.
    EXPECT_EQ(viaAcm.size(), 2000u * 32);
    TrueSpeechEncoder whole;
    std::vector<std::uint8_t> direct(2000 * 32);
    for (std::size_t f = 0; f < 2000; ++f) {
        whole.encodeBlock(signal.data() + f * 240, direct.data() + f * 32);
    }
    EXPECT_EQ(viaAcm, direct);

    // And back to PCM through a decoding stream, in pieces that split blocks.
    const HACMSTREAM back = openStream(nullptr, false);
    std::vector<std::uint8_t> decoded;
    for (std::size_t at = 0; at < viaAcm.size(); at += 1000) {
        const std::size_t n = std::min<std::size_t>(1000, viaAcm.size() - at);
        const std::vector<std::uint8_t> piece(viaAcm.begin() + static_cast<std::ptrdiff_t>(at),
                                              viaAcm.begin() + static_cast<std::ptrdiff_t>(at + n));
        const std::vector<std::uint8_t> out = convert(back, piece, 16000);
        decoded.insert(decoded.end(), out.begin(), out.end());
    }
    EXPECT_EQ(acm.acmStreamClose(back, 0), MMSYSERR_NOERROR);
    TrueSpeechDecoder decoder;
    std::vector<std::int16_t> reference(2000 * 240);
    for (std::size_t f = 0; f < 2000; ++f) {
        decoder.decodeBlock(direct.data() + f * 32, reference.data() + f * 240);
    }
    EXPECT_EQ(decoded, pcmBytes(reference));
}

TEST_F(TrueSpeechThroughAcm, StreamsOfDifferentLinesKeepTheirOwnState)
{
    const HACMDRIVERID id = findTrueSpeech();
    ASSERT_NE(id, nullptr);
    HACMDRIVER driver = nullptr;
    ASSERT_EQ(acm.acmDriverOpen(&driver, id, 0), MMSYSERR_NOERROR);
    const HACMSTREAM first = openStream(driver, true);
    const HACMSTREAM second = openStream(driver, true);

    const std::vector<std::uint8_t> a = pcmBytes(voiceLike(3));
    std::vector<std::uint8_t> b = a;
    std::reverse(b.begin(), b.end());
    std::vector<std::uint8_t> outA;
    std::vector<std::uint8_t> outB;
    for (std::size_t at = 0; at < a.size(); at += 16000) {
        const auto from = static_cast<std::ptrdiff_t>(at);
        const auto to = static_cast<std::ptrdiff_t>(std::min(at + 16000, a.size()));
        auto pieceA = convert(first, {a.begin() + from, a.begin() + to}, 1600);
        auto pieceB = convert(second, {b.begin() + from, b.begin() + to}, 1600);
        outA.insert(outA.end(), pieceA.begin(), pieceA.end());
        outB.insert(outB.end(), pieceB.begin(), pieceB.end());
    }
    acm.acmStreamClose(first, 0);
    acm.acmStreamClose(second, 0);
    acm.acmDriverClose(driver, 0);

    for (const auto& [input, output] :
         {std::pair<const std::vector<std::uint8_t>*, const std::vector<std::uint8_t>*>{&a, &outA},
          {&b, &outB}}) {
        TrueSpeechEncoder alone;
        std::vector<std::uint8_t> expected(input->size() / 480 * 32);
        for (std::size_t f = 0; f < expected.size() / 32; ++f) {
            std::vector<std::int16_t> frame(240);
            for (std::size_t i = 0; i < 240; ++i) {
                const std::size_t at = (f * 240 + i) * 2;
                frame[i] = static_cast<std::int16_t>(
                    static_cast<std::uint16_t>((*input)[at] | (*input)[at + 1] << 8));
            }
            alone.encodeBlock(frame.data(), expected.data() + f * 32);
        }
        EXPECT_EQ(*output, expected);
    }
}

TEST_F(TrueSpeechThroughAcm, OnlyTheExactFormatsOpen)
{
    const HACMDRIVERID id = findTrueSpeech();
    ASSERT_NE(id, nullptr);
    ACMDRIVERDETAILSW details{};
    details.cbStruct = sizeof(details);
    ASSERT_EQ(acm.acmDriverDetailsW(id, &details, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(QString::fromStdU16String(details.szShortName), QStringLiteral("DSP Group TrueSpeech(TM)"));

    HACMDRIVER driver = nullptr;
    ASSERT_EQ(acm.acmDriverOpen(&driver, id, 0), MMSYSERR_NOERROR);
    const TrueSpeechWaveFormat good = trueSpeechFormat();
    const WAVEFORMATEX pcm = captureFormat();
    auto tryOpen = [&](const WAVEFORMATEX& src, const TrueSpeechWaveFormat& dst) {
        HACMSTREAM s = nullptr;
        const MMRESULT r = acm.acmStreamOpen(&s, driver, &src, reinterpret_cast<const WAVEFORMATEX*>(&dst),
                                             nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
        if (r == MMSYSERR_NOERROR) {
            acm.acmStreamClose(s, 0);
        }
        return r;
    };
    EXPECT_EQ(tryOpen(pcm, good), MMSYSERR_NOERROR);

    WAVEFORMATEX stereo = pcm;
    stereo.nChannels = 2;
    stereo.nBlockAlign = 4;
    stereo.nAvgBytesPerSec = 32000;
    EXPECT_EQ(tryOpen(stereo, good), ACMERR_NOTPOSSIBLE);
    WAVEFORMATEX wideband = pcm;
    wideband.nSamplesPerSec = 16000;
    wideband.nAvgBytesPerSec = 32000;
    EXPECT_EQ(tryOpen(wideband, good), ACMERR_NOTPOSSIBLE);
    TrueSpeechWaveFormat otherBlock = good;
    otherBlock.samplesPerBlock = 480;
    EXPECT_EQ(tryOpen(pcm, otherBlock), ACMERR_NOTPOSSIBLE);
    TrueSpeechWaveFormat noExtra = good;
    noExtra.wfx.cbSize = 0;
    EXPECT_EQ(tryOpen(pcm, noExtra), ACMERR_NOTPOSSIBLE);
    acm.acmDriverClose(driver, 0);
}

TEST_F(TrueSpeechThroughAcm, EndOfStreamCodesTheHeldBackSamples)
{
    const HACMSTREAM stream = openStream(nullptr, true);
    std::vector<std::uint8_t> pcm = pcmBytes(voiceLike(0.1)); // 800 samples: 3 frames and 80 left
    std::vector<std::uint8_t> out(1600, 0);
    ACMSTREAMHEADER h{};
    h.cbStruct = 88;
    h.pbSrc = pcm.data();
    h.cbSrcLength = static_cast<std::uint32_t>(pcm.size());
    h.pbDst = out.data();
    h.cbDstLength = static_cast<std::uint32_t>(out.size());
    std::uint32_t worstCase = 0;
    ASSERT_EQ(acm.acmStreamSize(stream, h.cbSrcLength, &worstCase, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(worstCase, 4u * 32);
    ASSERT_EQ(acm.acmStreamPrepareHeader(stream, &h, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acm.acmStreamConvert(stream, &h, ACM_STREAMCONVERTF_END), MMSYSERR_NOERROR);
    EXPECT_EQ(h.cbSrcLengthUsed, pcm.size());
    EXPECT_EQ(h.cbDstLengthUsed, 4u * 32);
    acm.acmStreamUnprepareHeader(stream, &h, 0);
    acm.acmStreamClose(stream, 0);
}

} // namespace

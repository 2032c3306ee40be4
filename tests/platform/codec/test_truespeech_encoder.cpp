// Encoder quality on speech, robustness on extreme signals, and lossless stream boundaries.
#include "platform/codec/truespeech_decoder.h"
#include "platform/codec/truespeech_encoder.h"
#include "platform/codec/truespeech_stream.h"
#include "tests/platform/codec/codec_test_util.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QString>

#include <cmath>
#include <iostream>
#include <numbers>
#include <random>

using namespace qlnrec::platform;
using qlnrec::test::Bytes;
using qlnrec::test::Samples;

namespace {

struct Encoded {
    Bytes blocks;
    Samples encoderSynthesis; // what the encoder believes the decoder synthesizes
};

Encoded encodeAll(const Samples& in)
{
    TrueSpeechEncoder encoder;
    Encoded result;
    for (std::size_t f = 0; f + 240 <= in.size(); f += 240) {
        std::uint8_t block[32];
        encoder.encodeBlock(in.data() + f, block);
        result.blocks.insert(result.blocks.end(), block, block + 32);
        result.encoderSynthesis.insert(result.encoderSynthesis.end(), encoder.lastSynthesis().begin(),
                                       encoder.lastSynthesis().end());
    }
    return result;
}

struct Decoded {
    Samples output;
    Samples synthesis; // before the post-filter
};

Decoded decodeAll(const Bytes& blocks)
{
    TrueSpeechDecoder decoder;
    Decoded result;
    Samples frame(240);
    for (std::size_t b = 0; b + 32 <= blocks.size(); b += 32) {
        decoder.decodeBlock(blocks.data() + b, frame.data());
        result.output.insert(result.output.end(), frame.begin(), frame.end());
        result.synthesis.insert(result.synthesis.end(), decoder.lastSynthesis().begin(),
                                decoder.lastSynthesis().end());
    }
    return result;
}

Samples clipped(const std::vector<double>& x)
{
    Samples s(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) {
        s[i] = static_cast<std::int16_t>(std::clamp(std::lround(x[i]), -32768L, 32767L));
    }
    return s;
}

Samples tone(double hz, double amplitude, double seconds)
{
    std::vector<double> x(static_cast<std::size_t>(seconds * 8000));
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / 8000.0);
    }
    return clipped(x);
}

// A voiced-speech stand-in: a gliding harmonic tone with a syllable rhythm, plus some noise.
Samples speechLike(double seconds, unsigned seed)
{
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 300.0);
    std::vector<double> x(static_cast<std::size_t>(seconds * 8000));
    double phase = 0;
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / 8000.0;
        const double pitchHz = 140 + 40 * std::sin(2 * std::numbers::pi * 0.7 * t);
        phase += 2 * std::numbers::pi * pitchHz / 8000.0;
        const double envelope = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 3.1 * t);
        double voiced = 0;
        for (int h = 1; h <= 12; ++h) {
            voiced += std::sin(h * phase) / h;
        }
        x[i] = 6000 * envelope * voiced + noise(rng);
    }
    return clipped(x);
}

double snrDb(const Samples& reference, const Samples& test)
{
    double signal = 0;
    double noise = 0;
    for (std::size_t i = 0; i < std::min(reference.size(), test.size()); ++i) {
        const double d = static_cast<double>(reference[i]) - test[i];
        signal += static_cast<double>(reference[i]) * reference[i];
        noise += d * d;
    }
    return 10 * std::log10(std::max(signal, 1.0) / std::max(noise, 1.0));
}

// ---------------------------------------------------------------------------------------------

struct Voice {
    const char* voice;
    const char* text;
};

const Voice kVoices[] = {
    {"en",
     "The quick brown fox jumps over the lazy dog. A telephone call recorder keeps every message safe "
     "until you have time to listen. Please leave your name, your number and a short message after the "
     "tone, and we will call you back as soon as we can. Thank you for calling, and have a pleasant day."},
    {"en+f3",
     "The quick brown fox jumps over the lazy dog. A telephone call recorder keeps every message safe "
     "until you have time to listen. Please leave your name, your number and a short message after "
     "the tone, and we will call you back as soon as we can. Thank you for calling, and have a "
     "pleasant day."},
    {"de",
     "Guten Tag, Sie sind mit dem automatischen Anrufbeantworter verbunden. Bitte hinterlassen Sie nach "
     "dem Signalton Ihren Namen und Ihre Telefonnummer. Wir rufen Sie so bald wie möglich zurück. Vielen "
     "Dank für Ihren Anruf und einen schönen Tag noch."},
    {"fr",
     "Bonjour, vous êtes bien sur le répondeur automatique. Veuillez laisser votre nom, votre numéro de "
     "téléphone et un court message après le signal sonore. Nous vous rappellerons dès que possible. "
     "Merci de votre appel et bonne journée."},
    {"cmn", "你好，这里是自动电话答录机。请在提示音之后留下您的姓名、电话号码和简短的留言。"
            "我们会尽快给您回电。感谢您的来电，祝您今天愉快。"},
};

TEST(TrueSpeechEncoderQuality, SpeechInSeveralVoicesDecodedByFfmpeg)
{
    qlnrec::test::TempHome home;
    if (!qlnrec::test::haveCommand(QStringLiteral("ffmpeg")) ||
        !qlnrec::test::haveCommand(QStringLiteral("espeak-ng")) ||
        !qlnrec::test::haveCommand(QStringLiteral("sox"))) {
        GTEST_SKIP() << "needs ffmpeg, espeak-ng and sox";
    }
    double totalSeconds = 0;
    double snrSeconds = 0; // segmental SNR before the post-filter, weighted by duration
    for (const Voice& v : kVoices) {
        SCOPED_TRACE(v.voice);
        const Samples speech =
            qlnrec::test::speakAt8kHz(QString::fromLatin1(v.voice), QString::fromUtf8(v.text), home.root());
        ASSERT_GT(speech.size(), 8000u * 8) << "espeak-ng gave too little speech";
        const Samples input(speech.begin(),
                            speech.begin() + static_cast<std::ptrdiff_t>(speech.size() / 240 * 240));
        const double seconds = static_cast<double>(input.size()) / 8000.0;
        totalSeconds += seconds;

        const Encoded encoded = encodeAll(input);
        const Decoded ours = decodeAll(encoded.blocks);
        const auto reference = qlnrec::test::decodeWithFfmpeg(encoded.blocks, home.root());
        ASSERT_TRUE(reference.has_value());
        // Our decoder reproduces ffmpeg exactly, so its pre-post-filter signal is ffmpeg's too.
        ASSERT_EQ(*reference, ours.output);
        // The encoder's own copy of the decoder state never drifts.
        ASSERT_EQ(encoded.encoderSynthesis, ours.synthesis);

        const double synthesisSnr = qlnrec::test::segmentalSnrDb(input, ours.synthesis);
        const double outputSnr = qlnrec::test::segmentalSnrDb(input, *reference);
        snrSeconds += synthesisSnr * seconds;
        std::cout << "voice " << v.voice << ": " << seconds << " s, segmental SNR before post-filter "
                  << synthesisSnr << " dB, ffmpeg output " << outputSnr << " dB\n";
        EXPECT_GE(synthesisSnr, 6.0);
        EXPECT_GE(outputSnr, 3.0);
    }
    EXPECT_GE(totalSeconds, 60.0);
    // The search reaches about 12.6 dB over the whole set (sox's dither moves it by a few
    // hundredths); speeding the search up must not cost quality.
    const double overallSnr = snrSeconds / totalSeconds;
    std::cout << "all voices: segmental SNR before post-filter " << overallSnr << " dB\n";
    EXPECT_GE(overallSnr, 12.5);
}

TEST(TrueSpeechEncoderRobustness, ExtremeSignalsEncodeWithoutOverflowOrStuckSamples)
{
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> fullScale(-32768, 32767);
    Samples noise(8000 * 4);
    for (auto& s : noise) {
        s = static_cast<std::int16_t>(fullScale(rng));
    }
    struct Case {
        const char* name;
        Samples input;
        double minSnrDb;
    };
    const Case cases[] = {
        {"1 kHz tone near full scale", tone(1000, 32000, 4), 15.0},
        {"300 Hz tone at full scale", tone(300, 32767, 4), 15.0},
        {"3.4 kHz tone", tone(3400, 20000, 4), 6.0},
        {"full-scale white noise", noise, 0.5},
        {"speech-like signal driven into clipping",
         [] {
             Samples s = speechLike(4, 5);
             for (auto& v : s) {
                 v = static_cast<std::int16_t>(std::clamp(v * 6, -32768, 32767));
             }
             return s;
         }(),
         3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Encoded encoded = encodeAll(c.input);
        const Decoded decoded = decodeAll(encoded.blocks);
        ASSERT_EQ(encoded.encoderSynthesis, decoded.synthesis);
        // A 16-bit wrap inside the decoder shows up as a burst of error and as stuck samples;
        // runs at the limit may only be as long as the input's own.
        EXPECT_GE(snrDb(c.input, decoded.synthesis), c.minSnrDb);
        const int inputRun = std::max(4, qlnrec::test::longestRunAtLimit(c.input, 32766));
        EXPECT_LE(qlnrec::test::longestRunAtLimit(decoded.synthesis, 32766), inputRun);
        EXPECT_LE(qlnrec::test::longestRunAtLimit(decoded.output, 32766), inputRun);
    }

    // Silence cannot be coded exactly; it must come out as the faintest possible hiss.
    const Samples silence(8000 * 2, 0);
    const Decoded quiet = decodeAll(encodeAll(silence).blocks);
    for (std::size_t i = 0; i < quiet.output.size(); ++i) {
        ASSERT_LE(std::abs(quiet.synthesis[i]), 8) << "sample " << i;
        ASSERT_LE(std::abs(quiet.output[i]), 8) << "sample " << i;
    }
}

TEST(TrueSpeechEncoderRobustness, FrameFieldsStayValid)
{
    // Whatever the input, the encoder sends only codes a decoder interprets as intended.
    Samples input = speechLike(3, 1);
    const Samples loud = tone(200, 32767, 1);
    input.insert(input.end(), loud.begin(), loud.end());
    TrueSpeechEncoder encoder;
    for (std::size_t f = 0; f + 240 <= input.size(); f += 240) {
        const TrueSpeechFrame frame = encoder.encodeFrame(input.data() + f);
        truespeech::Coefficients c{};
        EXPECT_TRUE(truespeech::reflectionToPredictor(frame.reflection, c));
        for (int half = 0; half < 2; ++half) {
            EXPECT_LE(frame.lagBase[static_cast<std::size_t>(half)], 127);
        }
        for (int q = 0; q < 4; ++q) {
            const auto uq = static_cast<std::size_t>(q);
            EXPECT_LT(frame.pulsePositions[uq] >> 15, truespeech::kFirstHalfCodes);
            EXPECT_LT(frame.pulsePositions[uq] & 0x7FFFu, truespeech::kSecondHalfCodes);
            EXPECT_LE(frame.pitch[uq], 127);
        }
    }
}

TEST(TrueSpeechStream, OneSecondCallsGiveTheSameBytesAsOneLongCall)
{
    const Samples input = speechLike(5, 3);
    Bytes pcm(input.size() * 2);
    for (std::size_t i = 0; i < input.size(); ++i) {
        pcm[2 * i] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(input[i]));
        pcm[2 * i + 1] = static_cast<std::uint8_t>(static_cast<std::uint16_t>(input[i]) >> 8);
    }
    const Bytes direct = encodeAll(input).blocks;

    TrueSpeechStreamEncoder whole;
    Bytes wholeOut(whole.maxOutputFor(pcm.size()));
    const StreamConversion all = whole.convert(pcm.data(), pcm.size(), wholeOut.data(), wholeOut.size());
    EXPECT_EQ(all.sourceUsed, pcm.size());
    EXPECT_EQ(all.produced, input.size() / 240 * 32);
    EXPECT_EQ(wholeOut, direct);

    // One-second capture blocks: 33 frames and 80 samples each; the 80 go in front of the next.
    TrueSpeechStreamEncoder chunked;
    Bytes chunkedOut;
    for (std::size_t at = 0; at < pcm.size(); at += 16000) {
        const std::size_t n = std::min<std::size_t>(16000, pcm.size() - at);
        Bytes out(1600, 0);
        const StreamConversion r = chunked.convert(pcm.data() + at, n, out.data(), out.size());
        EXPECT_EQ(r.sourceUsed, n);
        chunkedOut.insert(chunkedOut.end(), out.begin(),
                          out.begin() + static_cast<std::ptrdiff_t>(r.produced));
    }
    EXPECT_EQ(chunkedOut, direct);
    EXPECT_EQ(chunked.pendingSamples(), input.size() % 240);

    // Odd byte counts and an output too small for everything: what is not taken is offered again.
    std::mt19937 rng(5);
    TrueSpeechStreamEncoder ragged;
    Bytes raggedOut;
    std::size_t at = 0;
    while (at < pcm.size()) {
        const std::size_t n = std::min<std::size_t>(rng() % 3001, pcm.size() - at);
        Bytes out(32 * (rng() % 4));
        const StreamConversion r = ragged.convert(pcm.data() + at, n, out.data(), out.size());
        ASSERT_LE(r.sourceUsed, n);
        ASSERT_LE(r.produced, out.size());
        at += r.sourceUsed;
        raggedOut.insert(raggedOut.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(r.produced));
    }
    EXPECT_EQ(raggedOut, direct);

    // The tail is coded, padded with silence, only when asked.
    Bytes last(32);
    EXPECT_EQ(ragged.flush(last.data(), last.size()), input.size() % 240 == 0 ? 0u : 32u);
    EXPECT_EQ(ragged.pendingSamples(), 0u);
}

TEST(TrueSpeechStream, DecoderStreamKeepsPartialBlocks)
{
    std::mt19937 rng(8);
    Bytes blocks(32 * 200);
    for (auto& b : blocks) {
        b = static_cast<std::uint8_t>(rng());
    }
    const Decoded whole = decodeAll(blocks);
    TrueSpeechStreamDecoder stream;
    Bytes pcm;
    std::size_t at = 0;
    while (at < blocks.size()) {
        const std::size_t n = std::min<std::size_t>(rng() % 100, blocks.size() - at);
        Bytes out(480 * (rng() % 3));
        const StreamConversion r = stream.convert(blocks.data() + at, n, out.data(), out.size());
        at += r.sourceUsed;
        pcm.insert(pcm.end(), out.begin(), out.begin() + static_cast<std::ptrdiff_t>(r.produced));
    }
    ASSERT_EQ(pcm.size(), whole.output.size() * 2);
    for (std::size_t i = 0; i < whole.output.size(); ++i) {
        ASSERT_EQ(static_cast<std::int16_t>(static_cast<std::uint16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8)),
                  whole.output[i]);
    }
}

} // namespace

// An hour-long call on each of the four lines at once, in both formats, in virtual time: the PCM
// recordings hold what each far end said sample for sample, and the TrueSpeech recordings are as
// long as the PCM ones (the codec drops nothing at the block boundaries of a long call).
#include "tests/e2e/recording/recording_rig.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace qlnrec;
using test::RecordingRig;

namespace {

constexpr std::int64_t kRate = 8000;
constexpr std::int64_t kHourSamples = 3600 * kRate;

// What the far end of a line says: noise shaped into syllables, different on every line, never
// quiet for long and never a steady tone.
std::int16_t farEndSample(int line, std::int64_t n)
{
    std::uint32_t x =
        static_cast<std::uint32_t>(n) * 2654435761u ^ static_cast<std::uint32_t>(line + 1) * 40503u;
    x ^= x >> 13;
    x *= 0x5bd1e995u;
    x ^= x >> 15;
    const double envelope = 0.55 + 0.45 * std::sin(static_cast<double>(n) * 2 * M_PI / (kRate / 4.0));
    return static_cast<std::int16_t>((static_cast<int>(x % 12001) - 6000) * envelope);
}

std::vector<std::int16_t> farEndHour(int line)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(kHourSamples));
    for (std::int64_t n = 0; n < kHourSamples; ++n) {
        samples[static_cast<std::size_t>(n)] = farEndSample(line, n);
    }
    return samples;
}

QString recordingOfLine(const RecordingRig& rig, int line)
{
    const QStringList names = QDir(rig.recordings).entryList({QStringLiteral("M~L %1*.wav").arg(line)});
    return names.size() == 1 ? rig.recordings + names.first() : QString();
}

// Records an hour on every line at once; returns each recording's path.
std::array<QString, 4> recordHour(RecordingRig& rig, audio::OutputFormat format)
{
    const int value = format == audio::OutputFormat::TrueSpeech ? 1 : 0;
    rig.store("WaveFileFormat", QString::number(value));
    rig.program->lines().settings().waveFileFormat = value;
    rig.openLines();
    for (int line = 0; line < 4; ++line) {
        EXPECT_TRUE(rig.monitoredCall(line)) << line;
        rig.sim(line).playFarEndAudio(farEndHour(line));
    }
    rig.run(3600 * 1000 + 2000);
    std::array<QString, 4> paths;
    for (int line = 0; line < 4; ++line) {
        rig.sim(line).hangUpFarEnd();
    }
    for (int line = 0; line < 4; ++line) {
        EXPECT_TRUE(rig.finishRecording(line, 30000)) << line;
        paths[static_cast<std::size_t>(line)] = recordingOfLine(rig, line);
    }
    return paths;
}

} // namespace

TEST(HourLongCalls, FourLinesAtOnceAreStoredWholeInBothFormats)
{
    std::array<std::int64_t, 4> pcmSamples{};
    {
        RecordingRig rig;
        const auto paths = recordHour(rig, audio::OutputFormat::Pcm);
        for (int line = 0; line < 4; ++line) {
            SCOPED_TRACE(line);
            const auto recorded = test::pcmFileSamples(paths[static_cast<std::size_t>(line)]);
            pcmSamples[static_cast<std::size_t>(line)] = static_cast<std::int64_t>(recorded.size());
            std::vector<std::int16_t> opening(kRate);
            for (std::int64_t n = 0; n < kRate; ++n) {
                opening[static_cast<std::size_t>(n)] = farEndSample(line, n);
            }
            const std::int64_t at = test::findSamples(recorded, opening);
            ASSERT_GE(at, 0);
            ASSERT_GE(static_cast<std::int64_t>(recorded.size()), at + kHourSamples);
            std::int64_t differing = 0;
            for (std::int64_t n = 0; n < kHourSamples; ++n) {
                differing += recorded[static_cast<std::size_t>(at + n)] != farEndSample(line, n) ? 1 : 0;
            }
            EXPECT_EQ(differing, 0);
        }
    }
    RecordingRig rig;
    const auto paths = recordHour(rig, audio::OutputFormat::TrueSpeech);
    for (int line = 0; line < 4; ++line) {
        SCOPED_TRACE(line);
        // "tag channels rate bytes-per-second data-bytes fact-samples sizes-add-up"
        const QStringList facts = test::waveHeaderFacts(paths[static_cast<std::size_t>(line)]).split(' ');
        ASSERT_EQ(facts.size(), 7);
        EXPECT_EQ(facts[0], "34");
        EXPECT_EQ(facts[6], "True");
        // 32 bytes a frame of 240 samples; what the codec holds back at the end is less than a frame.
        const std::int64_t samples = facts[4].toLongLong() / 32 * 240;
        EXPECT_LE(std::abs(samples - pcmSamples[static_cast<std::size_t>(line)]), 240)
            << samples << " against " << pcmSamples[static_cast<std::size_t>(line)];
    }
}

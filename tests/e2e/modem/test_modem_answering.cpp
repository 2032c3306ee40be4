// The answering machine over a voice modem of every chipset family, as a caller meets it: the
// whole program over a simulated modem on an in-process link, in virtual time. The modem rings,
// the program answers on the ring count, the greeting reaches the modem in its voice format, the
// beep follows, the caller speaks and hangs up, and the message is kept as an unread "A"
// recording of what the caller said.
#include "tests/e2e/recording/recording_rig.h"
#include "tests/platform/modem/in_process_modem.h"

#include "platform/telephony/sim/wave_file.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

using namespace qlnrec;
using modemsim::SimFormat;
using test::RecordingRig;

namespace {

constexpr int kRate = 8000;

// A rising sweep, so no stretch of it repeats and it is found in one place only.
std::vector<std::int16_t> sweep(double fromHz, double toHz, double seconds)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
    double phase = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double hz =
            fromHz + (toHz - fromHz) * static_cast<double>(i) / static_cast<double>(samples.size());
        phase += 2 * M_PI * hz / kRate;
        samples[i] = static_cast<std::int16_t>(std::lround(9000 * std::sin(phase)));
    }
    return samples;
}

// What a sample may become on its way through a format: one of the two values of the format
// that enclose it. Any sound converter (rounding or truncating, G.711's decision levels or the
// nearest code) picks one of them; 16-bit linear keeps the sample itself.
class FormatLevels {
public:
    explicit FormatLevels(SimFormat format) : exact_(format == SimFormat::Signed16)
    {
        for (int code = 0; !exact_ && code < 256; ++code) {
            levels_.insert(modemsim::simDecodeSample(format, static_cast<std::uint8_t>(code)));
        }
    }
    bool carries(std::int16_t original, std::int16_t received) const
    {
        if (exact_ || original == received) {
            return original == received;
        }
        const auto above = levels_.lower_bound(original);
        const bool isAbove = above != levels_.end() && *above == received;
        const bool isBelow = above != levels_.begin() && *std::prev(above) == received;
        return isAbove || isBelow;
    }

private:
    bool exact_;
    std::set<std::int16_t> levels_;
};

// Where `prompt` arrived whole inside `received` (the first place), or -1.
std::int64_t findCarried(const std::vector<std::int16_t>& received, const std::vector<std::int16_t>& prompt,
                         const FormatLevels& levels)
{
    const auto matchesAt = [&](std::size_t at, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!levels.carries(prompt[i], received[at + i])) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t at = 0; at + prompt.size() <= received.size(); ++at) {
        if (matchesAt(at, 400) && matchesAt(at, prompt.size())) {
            return static_cast<std::int64_t>(at);
        }
    }
    return -1;
}

bool containsWhole(const std::vector<std::int16_t>& whole, const std::vector<std::int16_t>& part)
{
    const std::int64_t at = test::findSamples(whole, part);
    return at >= 0 && static_cast<std::size_t>(at) + part.size() <= whole.size() &&
           std::equal(part.begin(), part.end(), whole.begin() + at);
}

class ModemAnswering : public ::testing::TestWithParam<QString> {};

TEST_P(ModemAnswering, AnsweredCallSendsTheGreetingInTheModemsFormatBeepsAndKeepsTheCallersMessage)
{
    const QString speechFile = test::MadeAudio::speech(6);
    if (speechFile.isEmpty()) {
        GTEST_SKIP() << "espeak-ng or sox is not installed";
    }
    test::registerInProcessModem();
    RecordingRig rig({}, {}, QStringLiteral("modemsim:") + GetParam());
    auto& provider = static_cast<test::InProcessModemProvider&>(*rig.platform->providers().front());
    modemsim::ModemSimulator& modem = provider.sim();

    const std::vector<std::int16_t> greeting = sweep(300, 3000, 2.5);
    QString error;
    ASSERT_TRUE(platform::writeWaveFile8kMono(rig.home.programFolder() + "/Greeting.wav", greeting, &error))
        << error.toStdString();
    rig.store("Rings", "2");
    rig.openLines({0});
    ASSERT_TRUE(rig.runUntil([&] { return provider.line().setupInfo().ready; }, 60000));
    ASSERT_FALSE(provider.line().failed()) << provider.line().statusText().toStdString();

    // The caller rings until the program takes the line.
    for (int ring = 0; ring < 6 && !modem.offHook(); ++ring) {
        modem.ring();
        rig.runUntil([&] { return modem.offHook(); }, 6000);
    }
    ASSERT_TRUE(modem.offHook());
    EXPECT_EQ(rig.slot(0).greetingDue, 1);
    if (const qsizetype eq = GetParam().indexOf("format="); eq >= 0) {
        EXPECT_EQ(modemsim::simFormatName(modem.format()), GetParam().mid(eq + 7).toStdString());
    }

    // The greeting plays, then the beep; the caller speaks after it and hangs up.
    ASSERT_TRUE(rig.runUntil([&] { return !modem.tones().isEmpty(); }, 20000)) << "no beep";
    const std::vector<std::int16_t> heard = modem.transmitted();
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 10000));
    ASSERT_TRUE(modem.queueFarEndWav(speechFile, &error)) << error.toStdString();
    ASSERT_TRUE(rig.runUntil([&] { return modem.farEndQueueEmpty(); }, 20000));
    rig.run(500);
    modem.farEndHangsUp();
    ASSERT_TRUE(rig.finishRecording(0, 60000));
    rig.run(1000);
    EXPECT_FALSE(modem.offHook());

    // (1) The modem received the greeting whole, in the format it negotiated, before the beep.
    EXPECT_GE(findCarried(heard, greeting, FormatLevels(modem.format())), 0)
        << modemsim::simFormatName(modem.format()) << ": " << heard.size() << " samples transmitted";

    // (2) The message is an unread "A" recording holding the caller's audio as the modem sent it
    // (decoding a voice format is exact, so sample for sample).
    ASSERT_EQ(rig.lists->unread().size(), 1);
    const QString name = rig.lists->unread().first();
    EXPECT_TRUE(name.startsWith("A~L 0")) << name.toStdString();
    EXPECT_TRUE(name.endsWith(".wav")) << name.toStdString();
    const std::vector<std::int16_t> said = modem.farEndSent();
    ASSERT_GT(said.size(), 5u * kRate);
    EXPECT_TRUE(containsWhole(test::pcmFileSamples(rig.recordingPath(name)), said));
    EXPECT_TRUE(rig.lists->recent().isEmpty());
}

// Every family in the format it picks itself (16-bit or 8-bit linear), and the two companded
// formats chosen by the user.
QStringList modems()
{
    return modemsim::familyNames() +
           QStringList{QStringLiteral("usr,format=ulaw"), QStringLiteral("lucent,format=alaw")};
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, ModemAnswering, ::testing::ValuesIn(modems()),
                         [](const ::testing::TestParamInfo<QString>& info) {
                             QString name = info.param;
                             return name
                                 .replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")),
                                          QStringLiteral("_"))
                                 .toStdString();
                         });

} // namespace

// Prompts played into a line: what the far end hears is the prompt file's samples, exactly;
// odd-sized, data-less and other-rate files; and the shipped prompts a fresh install writes.
#include "audio/default_prompts.h"
#include "tests/e2e/prompts/prompt_rig.h"

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using platform::readWaveFile;

// Plays a prompt file into line 0 and returns what the far end heard of it.
std::vector<std::int16_t> playIntoLine(PromptRig& rig, const QString& path)
{
    const std::size_t before = rig.sim(0).playedSamples().size();
    rig.prompts.LoadPrompt(path, 0);
    rig.prompts.PlayPrompt(*rig.sim(0).waveOutId(), 0);
    platform::runVirtualTime(
        rig.events, [&] { return rig.slot(0).promptPlaying == 0; }, 60000);
    rig.prompts.StopPrompt(0);
    rig.run(100);
    const std::vector<std::int16_t> all = rig.sim(0).playedSamples();
    return {all.begin() + static_cast<std::ptrdiff_t>(before), all.end()};
}

TEST(PromptPlayer, TheCallerHearsTheShippedGreetingSampleForSampleAndOddOrMissingDataIsSafe)
{
    PromptRig rig;
    rig.configureLines({0});
    rig.store(QStringLiteral("Rings"), QStringLiteral("1"));
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    rig.sim(0).ring(1);
    ASSERT_TRUE(platform::runVirtualTime(
        rig.events, [&] { return rig.slot(0).hCall != 0 && rig.sim(0).offHook(); }, 20000));

    // The greeting the start-up wrote, heard whole and unchanged.
    const platform::WaveFileData greeting = readWaveFile(rig.path(QStringLiteral("Greeting.wav")));
    ASSERT_TRUE(greeting.ok());
    ASSERT_GT(greeting.data.size(), 16000); // over a second of speech
    EXPECT_EQ(playIntoLine(rig, rig.path(QStringLiteral("Greeting.wav"))), int16Samples(greeting.data));
    EXPECT_EQ(rig.prompts.promptFormat().nSamplesPerSec, 8000u);

    // Seven data bytes of 16-bit audio: three whole samples play.
    const QByteArray odd =
        platform::pcmWaveHeader(8000, 1, 16, 7) + QByteArray("\x01\x00\x02\x00\x03\x00\x04", 7);
    writeBytes(rig.path(QStringLiteral("odd.wav")), odd);
    EXPECT_EQ(playIntoLine(rig, rig.path(QStringLiteral("odd.wav"))), (std::vector<std::int16_t>{1, 2, 3}));
    EXPECT_EQ(rig.prompts.promptFrames(0), 3);

    // No "data" chunk: nothing loads, nothing plays, and the line is not left waiting.
    writeBytes(rig.path(QStringLiteral("nodata.wav")), platform::pcmWaveHeader(8000, 1, 16, 0).left(36));
    rig.prompts.LoadPrompt(rig.path(QStringLiteral("nodata.wav")), 0);
    EXPECT_FALSE(rig.prompts.promptLoaded(0));
    EXPECT_TRUE(playIntoLine(rig, rig.path(QStringLiteral("nodata.wav"))).empty());
    EXPECT_EQ(rig.slot(0).promptPlaying, 0);

    // A prompt at 11,025 Hz (a menu prompt) is converted to the line's 8 kHz, not garbled.
    const platform::WaveFileData menu = readWaveFile(rig.path(QStringLiteral("01.wav")));
    ASSERT_TRUE(menu.ok());
    EXPECT_EQ(menu.format.nSamplesPerSec, 11025u);
    const double expected = static_cast<double>(menu.data.size() / 2) * 8000 / 11025;
    EXPECT_NEAR(static_cast<double>(playIntoLine(rig, rig.path(QStringLiteral("01.wav"))).size()), expected,
                2);
}

TEST(DefaultPrompts, AreWrittenOnlyWhereMissingAndFollowTheLanguageWhileTheyAreTheProgramsOwn)
{
    PromptRig rig;
    rig.configureLines({});
    rig.store(QStringLiteral("Language"), QStringLiteral("1"));
    rig.strings = core::Strings(core::Strings::kSimplifiedChinese);
    // The user's own greeting, and a legal notice still as an English start left it.
    const QByteArray mine = platform::pcmWaveHeader(8000, 1, 16, 4) + QByteArray("\x10\x00\x20\x00", 4);
    writeBytes(rig.path(QStringLiteral("Greeting.wav")), mine);
    const QByteArray englishLegal = fileBytes(audio::shippedPromptResource(0, QStringLiteral("legal.wav")));
    writeBytes(rig.path(QStringLiteral("legal.wav")), englishLegal);
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);

    EXPECT_EQ(fileBytes(rig.path(QStringLiteral("Greeting.wav"))), mine);
    const QByteArray chineseLegal =
        fileBytes(audio::shippedPromptResource(1000, QStringLiteral("legal.wav")));
    EXPECT_NE(chineseLegal, englishLegal);
    EXPECT_EQ(fileBytes(rig.path(QStringLiteral("legal.wav"))), chineseLegal);
    for (const QString& name : audio::promptFileNames()) {
        const platform::WaveFileData wave = readWaveFile(rig.path(name));
        ASSERT_TRUE(wave.ok()) << name.toStdString();
        EXPECT_EQ(wave.format.wFormatTag, platform::WAVE_FORMAT_PCM);
        EXPECT_EQ(wave.format.nChannels, 1);
        EXPECT_EQ(wave.format.wBitsPerSample, 16);
        EXPECT_EQ(wave.format.nSamplesPerSec, name.startsWith(QLatin1Char('0')) ? 11025u : 8000u);
    }

    // A folder that cannot take the files: each is reported, nothing is thrown.
    EXPECT_EQ(audio::installDefaultPrompts(QStringLiteral("/nonexistent/qlnrec"), 0).failed.size(), 7);
}

} // namespace
} // namespace qlnrec::test

// The capture session over scripted line audio in virtual time: blocks stored sample for sample,
// the file-writer poll with its grace tick, the stop triggers, outgoing calls waiting for a
// reply, TrueSpeech output and the failure paths.
#include "audio/recording_name.h"
#include "capture_harness.h"
#include "tests/platform/acm/fake_drivers.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlnrec;
using telephony::kAwaitingReply;
using telephony::kRecordIdle;
using telephony::kRecording;
using test::CaptureHarness;

namespace {

const QString kName = QStringLiteral("M~L 02026-12-07~14-05-09~5551234.wav");

std::vector<std::int16_t> expected(const test::Signal& signal, std::int64_t first, std::size_t count)
{
    std::vector<std::int16_t> out(count);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = signal(first + static_cast<std::int64_t>(i));
    }
    return out;
}

int count(const std::vector<QString>& lines, const QString& text)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

} // namespace

TEST(CaptureEngine, StoresEverySampleFromTheStartOfCaptureAndListsTheFile)
{
    CaptureHarness h;
    h.make();
    const test::Signal signal = test::babble(9000);
    h.start(0, signal);
    EXPECT_EQ(h.lines[0].recordState, kRecording);
    EXPECT_TRUE(h.engine->timWriteFile(0).isEnabled());
    h.events.advance(5500);
    h.stop(0);
    ASSERT_TRUE(h.settle(0));

    ASSERT_EQ(h.finished.size(), 1u);
    EXPECT_EQ(h.finished[0], kName);
    const QByteArray file = test::readFile(h.path(kName));
    const auto samples = test::pcmSamples(file);
    // 5.5 s of audio, no sample lost or repeated at the block joints.
    EXPECT_EQ(samples.size(), 44000u);
    EXPECT_EQ(samples, expected(signal, h.captureStart(0), samples.size()));
    EXPECT_EQ(h.wave.totalDroppedCaptureFrames(), 0u);
    EXPECT_EQ(h.engine->line(0).blocksProcessed, 6u); // five full blocks and the last part
    // The capture blocks are freed once the file is written.
    EXPECT_EQ(h.engine->line(0).blocks[0], nullptr);
    EXPECT_EQ(h.engine->line(0).blocks[1], nullptr);
}

// The GUI thread is busy for 900 ms twice, each time across a block's end, so the device's
// audio arrives while no header is queued; the second time line control ends the call (its own
// reset) before the late swap has run.
TEST(CaptureEngine, AGuiThreadBusyAcrossBlockEndsLosesNoSample)
{
    CaptureHarness h;
    h.make();
    const test::Signal signal = test::babble(9000);
    h.start(0, signal);
    h.events.advance(500);
    h.events.busyFor(900);
    h.events.advance(2100);
    h.events.busyFor(900); // to 4.4 s
    h.lines[0].recordState = kRecordIdle;
    h.wave.waveInReset(h.lines[0].waveInHandle);
    ASSERT_TRUE(h.settle(0));

    ASSERT_EQ(h.finished.size(), 1u);
    const auto samples = test::pcmSamples(test::readFile(h.path(h.finished[0])));
    EXPECT_EQ(samples.size(), 35200u);
    EXPECT_EQ(samples, expected(signal, h.captureStart(0), samples.size()));
    EXPECT_EQ(h.wave.totalDroppedCaptureFrames(), 0u);
}

// The greeting recorder frees line 3's blocks a second after its Stop; a call may have opened a
// capture on that line by then, and its device is writing into those blocks.
TEST(CaptureEngine, BlocksOfAnOpenCaptureAreNeverFreed)
{
    CaptureHarness h;
    h.make();
    const test::Signal signal = test::babble(9000);
    h.start(3, signal);
    h.events.advance(1500);
    EXPECT_FALSE(h.engine->FreeCaptureBlocks(3));
    EXPECT_NE(h.engine->line(3).blocks[0], nullptr);
    h.events.advance(1000);
    h.stop(3);
    ASSERT_TRUE(h.settle(3));
    ASSERT_EQ(h.finished.size(), 1u);
    const auto samples = test::pcmSamples(test::readFile(h.path(h.finished[0])));
    EXPECT_EQ(samples.size(), 20000u);
    EXPECT_EQ(samples, expected(signal, h.captureStart(3), samples.size()));
    EXPECT_TRUE(h.engine->FreeCaptureBlocks(3)); // closed: nothing holds them
}

TEST(CaptureEngine, FileIsWrittenOnlyAfterOneTickOfGrace)
{
    CaptureHarness h;
    h.make();
    h.start(1, test::babble(9000));
    h.events.advance(2000);
    h.stop(1);
    h.events.advance(5); // the last block is processed and the device closes
    EXPECT_EQ(h.engine->line(1).captureClosed, 1);
    EXPECT_FALSE(h.engine->line(1).deviceOpen);
    // First poll tick: 1 -> 2, nothing written yet.
    h.events.advanceUntil([&] { return h.engine->line(1).captureClosed == 2; }, 1100);
    EXPECT_TRUE(h.finished.empty());
    h.events.advance(1000);
    EXPECT_EQ(h.engine->line(1).captureClosed, 0);
    EXPECT_FALSE(h.engine->timWriteFile(1).isEnabled());
    EXPECT_EQ(h.finished.size(), 1u);
}

TEST(CaptureEngine, ANewCaptureStartsAFreshTemporaryFile)
{
    CaptureHarness h;
    h.make();
    test::writeFile(h.temp + "qlnt3", QByteArray(50000, 'x'));
    h.start(3, test::babble(9000));
    h.events.advance(1200);
    h.stop(3);
    ASSERT_TRUE(h.settle(3));
    // Only this capture's audio is in the recording, and the written recording leaves no copy
    // behind.
    ASSERT_EQ(h.finished.size(), 1u);
    EXPECT_EQ(QFile(h.path(h.finished[0])).size(), 44 + 1200 * 16);
    EXPECT_FALSE(QFile::exists(h.temp + "qlnt3"));
    EXPECT_TRUE(QDir(h.temp).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

TEST(CaptureEngine, RecordingShorterThanTheThresholdLeavesAnEmptyUnlistedFile)
{
    CaptureHarness h;
    h.make();
    h.start(0, test::babble(9000));
    h.events.advance(200); // 3,200 bytes
    h.stop(0);
    ASSERT_TRUE(h.settle(0));
    EXPECT_TRUE(h.finished.empty());
    EXPECT_TRUE(QFile::exists(h.path(kName)));
    EXPECT_EQ(QFile(h.path(kName)).size(), 0);
}

TEST(CaptureEngine, DeviceMinusOneOpensTheSoundCardWithoutMapping)
{
    CaptureHarness h;
    h.make();
    h.lines[1].waveDevice = -1;
    h.start(1, test::silence());
    h.soundCardInput->signal = test::sine(300, 5000);
    h.events.advance(1500);
    h.stop(1);
    ASSERT_TRUE(h.settle(1));
    EXPECT_EQ(h.soundCardInput->starts.size(), 1u);
    EXPECT_TRUE(h.inputs[1]->starts.empty());
    EXPECT_EQ(h.finished.size(), 1u);
}

TEST(CaptureEngine, AFailedOpenStartsNoTimersAndWritesNoFile)
{
    CaptureHarness h;
    h.make();
    h.lines[0].waveDevice = 9; // no such device
    h.start(0, test::babble(9000));
    EXPECT_NE(h.engine->lastWaveResult(), platform::MMSYSERR_NOERROR);
    EXPECT_EQ(h.lines[0].recordState, kRecording);
    EXPECT_FALSE(h.engine->timWriteFile(0).isEnabled());
    h.events.advance(3000);
    h.stop(0);
    h.events.advance(3000);
    EXPECT_TRUE(h.finished.empty());
    EXPECT_FALSE(QFile::exists(h.path(kName)));
}

TEST(CaptureEngine, GreetingCaptureIsStoredRawWithoutAnalysisOrFilePoll)
{
    CaptureHarness h;
    auto s = h.defaults();
    s.triggers.silence = 1;
    s.triggers.silenceSeconds = 1;
    h.make(s);
    h.inputs[3]->signal = test::silence();
    h.engine->OpenCapture(3, audio::kGreetingName, 3);
    h.lines[3].recordState = kRecording;
    EXPECT_FALSE(h.engine->timWriteFile(3).isEnabled());
    h.events.advance(4000); // silent, but a greeting is never stopped for silence
    EXPECT_EQ(h.lines[3].recordState, kRecording);
    h.stop(3);
    h.events.advance(2000);
    EXPECT_FALSE(h.engine->line(3).deviceOpen);
    EXPECT_TRUE(h.finished.empty());
    EXPECT_EQ(QFile(h.temp + "qlnt3").size(), 4000 * 16);
    EXPECT_TRUE(h.drops.empty());
}

// ---- stop triggers ----

TEST(StopTriggers, ALoudBlockRestartsTheSilenceCount)
{
    CaptureHarness h;
    auto s = h.defaults();
    s.triggers.silence = 1;
    s.triggers.silenceSeconds = 5;
    h.make(s);
    // Quiet seconds 0-4, loud second 5, quiet again: the stop comes six quiet blocks after it.
    h.start(0, [](std::int64_t f) -> std::int16_t {
        const auto second = f / 8000;
        return second == 5 ? test::babble(9000)(f) : 0;
    });
    h.events.advanceUntil([&] { return h.lines[0].recordState == kRecordIdle; }, 30000);
    EXPECT_EQ(h.engine->line(0).blocksProcessed, 12u);
}

TEST(StopTriggers, SilenceSwitchedOffNeverStops)
{
    CaptureHarness h;
    h.make(); // "Silence" 0
    h.start(0, test::silence());
    h.events.advance(20000);
    EXPECT_EQ(h.lines[0].recordState, kRecording);
    EXPECT_TRUE(h.drops.empty());
}

TEST(StopTriggers, BalanceAndSegmentRules)
{
    std::int32_t quiet = 0;
    EXPECT_FALSE(audio::CaptureEngine::balanced(0, 0, 0, quiet)); // zero adjustment: 0 / 1
    EXPECT_EQ(quiet, 1);
    quiet = 4000;
    EXPECT_TRUE(audio::CaptureEngine::balanced(4000, 4000, 3900, quiet));
    quiet = 1000;
    EXPECT_FALSE(audio::CaptureEngine::balanced(4000, 4000, 7000, quiet)); // rejected profile
    quiet = 1000;
    EXPECT_TRUE(audio::CaptureEngine::balanced(1000, 7000, 7000, quiet)); // 8000 / 8000
    quiet = 118;
    EXPECT_FALSE(audio::CaptureEngine::balanced(0, 0, 100, quiet)); // 0.847
    quiet = 100;
    EXPECT_FALSE(audio::CaptureEngine::balanced(0, 0, 115, quiet)); // 1.15 exactly

    std::int32_t seg[11] = {0, 100, 100, 100, 100, 100, 100, 100, 100, 100, 100};
    EXPECT_EQ(audio::CaptureEngine::segmentMatches(seg), 9);
    seg[1] = 105; // 1.05 exactly is outside
    seg[2] = 95;
    EXPECT_EQ(audio::CaptureEngine::segmentMatches(seg), 7);
    seg[5] = 0;
    EXPECT_EQ(audio::CaptureEngine::segmentMatches(seg), 0);
}

TEST(StopTriggers, BalanceCountersCarryOverToTheNextRecording)
{
    CaptureHarness h;
    h.make();
    h.start(0, test::babble(9000));
    h.events.advance(2000);
    h.stop(0);
    ASSERT_TRUE(h.settle(0));
    const auto prevSound = h.engine->line(0).prevSoundCount;
    const auto prevQuiet = h.engine->line(0).prevQuietCount;
    EXPECT_NE(prevSound + prevQuiet, 0);
    h.events.advance(1000);
    h.start(0, test::babble(9000));
    EXPECT_EQ(h.engine->line(0).prevSoundCount, prevSound);
    EXPECT_EQ(h.engine->line(0).prevQuietCount, prevQuiet);
    EXPECT_EQ(h.engine->line(0).silenceRun, 0);
}

// ---- outgoing calls ----

TEST(OutgoingCall, BlocksAreNotStoredUntilAVoiceAnswers)
{
    CaptureHarness h;
    h.make();
    h.lines[1].recordState = kAwaitingReply;
    // A steady ringing tone (2 s on, 4 s off) for 6 s, then the called party speaks.
    h.start(1, test::then(test::cadence({440}, 8000, 2000, 4000), 6.0, test::babble(9000)), "O", "~5550000");
    EXPECT_EQ(h.lines[1].recordState, kAwaitingReply);
    h.events.advanceUntil([&] { return h.lines[1].recordState == kRecording; }, 20000);
    EXPECT_EQ(count(h.statusLines, "Start Recording"), 1);
    const auto answeredAfter = h.engine->line(1).blocksProcessed;
    EXPECT_GE(answeredAfter, 6u); // the block that reaches into the speech
    h.events.advance(3000);
    h.stop(1);
    ASSERT_TRUE(h.settle(1));
    ASSERT_EQ(h.finished.size(), 1u);
    EXPECT_TRUE(h.finished[0].startsWith("O~L 1"));
    // Only the blocks after the answer are in the file: all of them speech.
    const auto samples = test::pcmSamples(test::readFile(h.path(h.finished[0])));
    const std::int64_t firstStored = h.captureStart(1) + static_cast<std::int64_t>(answeredAfter) * 8000;
    EXPECT_EQ(samples, expected(test::babble(9000), firstStored, samples.size()));
}

TEST(OutgoingCall, WithTheLegalBoxTheCaptureClosesAndLeavesNoFile)
{
    CaptureHarness h;
    h.make();
    h.legal = true;
    h.lines[0].recordState = kAwaitingReply;
    h.start(0, test::babble(9000), "O");
    h.events.advanceUntil([&] { return !h.legalPlays.empty(); }, 10000);
    EXPECT_EQ(h.legalPlays, std::vector<int>{0});
    EXPECT_EQ(h.lines[0].recordState, kAwaitingReply);
    EXPECT_FALSE(h.engine->line(0).deviceOpen); // the device really closed
    h.events.advance(5000);
    EXPECT_TRUE(h.finished.empty());
    EXPECT_EQ(h.legalPlays.size(), 1u);
    EXPECT_FALSE(h.engine->timWriteFile(0).isEnabled());
}

TEST(OutgoingCall, AShortLegalNoticeDoesNotConfuseTheNextCapture)
{
    CaptureHarness h;
    h.make();
    h.legal = true;
    h.lines[0].recordState = kAwaitingReply;
    h.start(0, test::babble(9000), "O");
    h.events.advanceUntil([&] { return !h.legalPlays.empty(); }, 10000);
    // The notice ends 600 ms later, inside the grace of the file-writer poll, and recording
    // resumes as "O" with recordState 1.
    h.events.advance(600);
    h.lines[0].recordState = kRecording;
    h.start(0, test::babble(9000), "O");
    h.events.advance(3000);
    EXPECT_EQ(h.lines[0].recordState, kRecording);
    EXPECT_TRUE(h.finished.empty());
    h.stop(0);
    ASSERT_TRUE(h.settle(0));
    ASSERT_EQ(h.finished.size(), 1u);
    EXPECT_EQ(QFile(h.path(h.finished[0])).size(), 44 + 3000 * 16);
}

TEST(OutgoingCall, SilenceWhileWaitingDropsWithoutTheMessage)
{
    CaptureHarness h;
    auto s = h.defaults();
    s.triggers.silence = 1;
    s.triggers.silenceSeconds = 2;
    h.make(s);
    h.lines[2].recordState = kAwaitingReply;
    h.start(2, test::silence(), "O");
    h.events.advanceUntil([&] { return h.lines[2].recordState == kRecordIdle; }, 10000);
    ASSERT_FALSE(h.drops.empty());
    EXPECT_EQ(h.drops.front(), 2);
    EXPECT_EQ(count(h.statusLines, "Silence Detected"), 0);
}

// ---- without the analysis library ----

TEST(NoSigScan, RecordingGoesOnWithoutAnalysisAndSaysSoOnce)
{
    CaptureHarness h(QStringLiteral("/nonexistent/libSigScan.so"));
    auto s = h.defaults();
    s.triggers.silence = 1;
    s.triggers.silenceSeconds = 1;
    h.make(s);
    h.start(0, test::silence());
    h.lines[1].recordState = kAwaitingReply;
    h.start(1, test::silence(), "O");
    h.events.advance(5000);
    EXPECT_EQ(h.lines[0].recordState, kRecording);
    // An outgoing call cannot wait for a voice that cannot be heard: it records at once.
    EXPECT_EQ(h.lines[1].recordState, kRecording);
    EXPECT_EQ(h.sigscanMessages.size(), 1u);
}

// ---- TrueSpeech output ----

TEST(TrueSpeechOutput, ConvertedBytesGoToTheFileBehindTheLongHeader)
{
    CaptureHarness h;
    h.registry.add(std::make_shared<platform::fakes::FakeTrueSpeechDriver>());
    h.conversion.FindTrueSpeechDriver();
    auto s = h.defaults();
    s.outputFormat = audio::OutputFormat::TrueSpeech;
    h.make(s);
    h.start(0, test::babble(9000), "A");
    h.events.advance(6000);
    h.stop(0);
    ASSERT_TRUE(h.settle(0));
    ASSERT_EQ(h.finished.size(), 1u);
    const QByteArray file = test::readFile(h.path(h.finished[0]));
    // Six full blocks: 96,000 PCM bytes are 200 frames of 480 bytes (this codec keeps a partial
    // frame for the next block); the last, empty block converts to nothing.
    const int data = 200 * 32;
    ASSERT_EQ(file.size(), 90 + data);
    EXPECT_EQ(file.left(90), audio::trueSpeechWaveHeader(data));
    EXPECT_EQ(h.acm.openStreamCount(), 0u); // closed with the file
    EXPECT_TRUE(h.dialogs.messages().empty());
}

TEST(TrueSpeechOutput, WithoutADriverBlocksAreDroppedAfterTheTwoBoxes)
{
    CaptureHarness h;
    h.conversion.FindTrueSpeechDriver();
    auto s = h.defaults();
    s.outputFormat = audio::OutputFormat::TrueSpeech;
    h.make(s);
    h.start(0, test::babble(9000));
    EXPECT_EQ(h.dialogs.messages().size(), 2u);
    h.events.advance(3000);
    h.stop(0);
    ASSERT_TRUE(h.settle(0));
    EXPECT_TRUE(h.finished.empty());
    EXPECT_EQ(QFile(h.path(kName)).size(), 0);
}

TEST(PcmOutput, NeverTouchesTheCodec)
{
    CaptureHarness h; // no TrueSpeech driver at all
    h.conversion.FindTrueSpeechDriver();
    h.make();
    h.start(0, test::babble(9000));
    h.events.advance(2000);
    h.stop(0);
    ASSERT_TRUE(h.settle(0));
    EXPECT_TRUE(h.dialogs.messages().empty());
    EXPECT_EQ(h.finished.size(), 1u);
}

// The weakest tones the default "SilenceLevel" (800) still hears as steady sound.
TEST(StopTriggers, DialToneAt425HzFiresAtMinus15dBFSButNotAtMinus17dBFS)
{
    for (double dbfs : {-15.0, -17.0}) {
        SCOPED_TRACE(dbfs);
        CaptureHarness h;
        auto s = h.defaults();
        s.triggers.country = 3;
        h.make(s);
        h.start(0, test::sine(425, 32767 * std::pow(10.0, dbfs / 20)));
        h.events.advance(6000);
        EXPECT_EQ(count(h.statusLines, "Dial Tone Detected, Stop Recording"), dbfs > -16 ? 1 : 0);
    }
}

TEST(StopTriggers, ReorderFiresAtMinus5dBFSPeakButNotAtMinus8dBFS)
{
    for (double dbfs : {-5.0, -8.0}) {
        SCOPED_TRACE(dbfs);
        CaptureHarness h;
        auto s = h.defaults();
        s.triggers.fastBusy = 1;
        h.make(s);
        const double each = 32767 * std::pow(10.0, dbfs / 20) / 2;
        h.start(0, test::cadence({480, 620}, each, 250, 250, 250));
        h.events.advance(6000);
        EXPECT_EQ(count(h.statusLines, "Fast Busy Signal Detected"), dbfs > -6 ? 1 : 0);
    }
}

TEST(CaptureEngine, ACallAfterAGreetingCaptureDoesNotListTheGreeting)
{
    CaptureHarness h;
    h.make();
    h.inputs[3]->signal = test::babble(9000);
    h.engine->OpenCapture(3, audio::kGreetingName, 3);
    h.lines[3].recordState = kRecording;
    h.events.advance(2000);
    h.stop(3);
    h.events.advance(100); // closed; the greeting recorder has not collected it yet
    h.start(3, test::babble(9000));
    h.events.advance(2000);
    h.stop(3);
    ASSERT_TRUE(h.settle(3));
    ASSERT_EQ(h.finished.size(), 1u);
    EXPECT_TRUE(h.finished[0].startsWith("M~L 3"));
    EXPECT_FALSE(QFile::exists(h.path(audio::kGreetingName)));
}

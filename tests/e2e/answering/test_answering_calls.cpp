// The answering machine as a caller meets it, over simulated lines in virtual time: what the far
// end hears (sample for sample against the prompt files), the beep, the recorded message, the
// legal notice, the touch-tone menu, missing prompts, and the calls that must end even when the
// device or the settings get in the way.
#include "tests/e2e/recording/recording_rig.h"

#include "platform/mci/null_media_backend.h"
#include "platform/telephony/sim/wave_file.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace qlnrec;
using test::MadeAudio;
using test::RecordingRig;

namespace {

constexpr int kRate = 8000;

using test::heardWhole;

std::vector<std::int16_t> writePrompt(RecordingRig& rig, const QString& name, double hz, double seconds)
{
    return test::writeTonePrompt(rig, name, hz, seconds);
}

const platform::NullMediaBackend& media(RecordingRig& rig)
{
    return static_cast<const platform::NullMediaBackend&>(*rig.media);
}

// Opens the lines, the program answering on the third ring.
void openLines(RecordingRig& rig, std::vector<int> lines)
{
    rig.store("Rings", "3");
    rig.openLines(std::move(lines));
}

// A call that rings until the program answers on the ring count.
bool answeredOnTheRingCount(RecordingRig& rig, int line = 0)
{
    rig.sim(line).ring(6, 2000, 4000);
    return rig.runUntil([&] { return rig.sim(line).offHook(); }, 30000);
}

#define REQUIRE_AUDIO(path)                                                                                  \
    if ((path).isEmpty()) {                                                                                  \
        GTEST_SKIP() << "espeak-ng or sox is not installed";                                                 \
    }

} // namespace

TEST(AnsweringMachine, AnsweredCallHearsTheGreetingAndTheBeepAndItsMessageIsKeptUnread)
{
    const QString speechFile = MadeAudio::speech(8);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);

    RecordingRig rig;
    const auto greeting = writePrompt(rig, "Greeting.wav", 440, 3);
    openLines(rig, {0});
    ASSERT_TRUE(answeredOnTheRingCount(rig));
    EXPECT_EQ(rig.slot(0).greetingDue, 1);

    // The caller waits for the beep, speaks, and hangs up.
    ASSERT_TRUE(rig.runUntil([&] { return rig.sim(0).generatedCount() == 1; }, 10000));
    EXPECT_GE(rig.sim(0).playbackRuns(), 1u);
    rig.run(300);
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    rig.run(9000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    rig.run(1000);
    EXPECT_FALSE(rig.sim(0).offHook());
    EXPECT_EQ(rig.slot(0).hCall, 0u);

    // The far end heard the greeting whole, then the beep asked for after it.
    std::int64_t greetingAt = -1;
    EXPECT_TRUE(heardWhole(rig.sim(0).playedSamples(1), greeting, &greetingAt));
    EXPECT_EQ(greetingAt, 0);
    const QStringList status = rig.statusTexts();
    EXPECT_TRUE(status.contains("Line0 Starts Recording"));
    EXPECT_TRUE(status.contains("Line0 Disconnected"));

    // The message is an unread "A" recording holding what the caller said, sample for sample.
    ASSERT_EQ(rig.lists->unread().size(), 1);
    const QString name = rig.lists->unread().first();
    EXPECT_TRUE(name.startsWith("A~L 0")) << name.toStdString();
    EXPECT_TRUE(heardWhole(test::pcmFileSamples(rig.recordingPath(name)), speech));
    EXPECT_TRUE(rig.lists->recent().isEmpty());
}

TEST(AnsweringMachine, LegalNoticePlaysBeforeAMonitoredRecordingButNotBeforeTheGreeting)
{
    RecordingRig rig;
    rig.store("Legal", "1");
    const auto legal = writePrompt(rig, "legal.wav", 660, 2);
    const auto greeting = writePrompt(rig, "Greeting.wav", 440, 2);
    openLines(rig, {0, 1});

    // Line 0: taken on the handset after two rings, the call is monitored: legal notice, then "M".
    ASSERT_TRUE(rig.monitoredCall(0));
    EXPECT_EQ(rig.slot(0).callKind, "M");
    EXPECT_TRUE(heardWhole(rig.sim(0).playedSamples(1), legal));
    EXPECT_TRUE(rig.statusTexts().contains("Line0 Start Recording"));

    // Line 1: answered on the ring count, the greeting comes first and the legal notice not at all.
    ASSERT_TRUE(answeredOnTheRingCount(rig, 1));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(1).recordState == telephony::kRecording; }, 10000));
    const auto heard = rig.sim(1).playedSamples(1);
    std::int64_t at = -1;
    EXPECT_TRUE(heardWhole(heard, greeting, &at));
    EXPECT_EQ(at, 0);
    EXPECT_FALSE(heardWhole(heard, legal));
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

TEST(AnsweringMachine, TouchToneMenuPlaysSubOperatorsLogsOtherKeysAndHashHashEndsTheCall)
{
    RecordingRig rig;
    openLines(rig, {0});
    ASSERT_TRUE(answeredOnTheRingCount(rig));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 10000));

    // "2", then quiet: the second sub operator plays on the computer, not into the line.
    rig.sim(0).sendDigits("2");
    rig.run(4000);
    ASSERT_FALSE(media(rig).soundRequests().empty());
    EXPECT_EQ(media(rig).soundRequests().back().path, rig.home.programFolder() + "/02.wav");
    EXPECT_TRUE(rig.statusTexts().contains("Line0Calling 02"));

    // "1" and "2" within the idle time form "12": logged and shown, no menu entry.
    rig.sim(0).sendDigits("12");
    rig.run(4000);
    EXPECT_TRUE(rig.statusTexts().contains("[ 12 ]"));
    QFile log(rig.home.programFolder() + "/dtmf.txt");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), QByteArray("12\r\n"));
    EXPECT_EQ(log.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);

    // "##" ends the recording and hangs up half a second later.
    rig.sim(0).sendDigits("##");
    ASSERT_TRUE(rig.finishRecording(0));
    rig.run(1000);
    EXPECT_TRUE(rig.statusTexts().contains("##End of Recording"));
    EXPECT_FALSE(rig.sim(0).offHook());
    EXPECT_EQ(rig.lists->unread().size(), 1);
}

TEST(AnsweringMachine, AnOutgoingCallWithLegalTickedPlaysTheNoticeOnceTheCalledPartySpeaksThenRecords)
{
    const QString speechFile = MadeAudio::speech(8);
    REQUIRE_AUDIO(speechFile);
    RecordingRig rig;
    rig.store("Legal", "1");
    const auto legal = writePrompt(rig, "legal.wav", 660, 2);
    openLines(rig, {0});

    // What the dialer does: the call is marked as dialled and placed on the line.
    telephony::LineSlot& slot = rig.slot(0);
    slot.dialOutPending = -1;
    platform::HCALL call = 0;
    ASSERT_GT(rig.program->lines().context().tapi.lineMakeCall(slot.hLine, &call, "5551234", 0, nullptr), 0);
    rig.run(500); // the handle is filled in when the request completes
    slot.hCall = call;
    rig.sim(0).farEndAnswer();
    ASSERT_TRUE(rig.runUntil([&] { return slot.recordState == telephony::kAwaitingReply; }, 5000));
    EXPECT_TRUE(rig.statusTexts().contains("Line0 waiting for reply"));

    // The called party speaks: the legal notice plays, then the call is recorded as "O".
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    ASSERT_TRUE(rig.runUntil([&] { return slot.recordState == telephony::kRecording; }, 15000));
    EXPECT_TRUE(heardWhole(rig.sim(0).playedSamples(1), legal));
    EXPECT_EQ(slot.callKind, "O");
    EXPECT_TRUE(rig.statusTexts().contains("Line  0 Start Recording"));
    rig.run(3000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    ASSERT_EQ(rig.lists->recent().size(), 1);
    EXPECT_TRUE(rig.lists->recent().first().startsWith("O~L 0"));
}

TEST(AnsweringMachine, MissingLegalNoticeGivesItsBoxAndTheCallGoesOnAMissingGreetingGivesNone)
{
    RecordingRig rig;
    rig.store("Legal", "1");
    openLines(rig, {0, 1});

    ASSERT_TRUE(rig.monitoredCall(0));
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages()[0].text, "File Not Found: 'LEGAL.WAV'");
    EXPECT_EQ(rig.dialogs.messages()[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(rig.slot(0).callKind, "M");

    ASSERT_TRUE(answeredOnTheRingCount(rig, 1));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(1).recordState == telephony::kRecording; }, 10000));
    EXPECT_EQ(rig.slot(1).callKind, "A");
    EXPECT_EQ(rig.dialogs.messages().size(), 1u);
}

TEST(AnsweringMachine, ABeepTheModemRefusesStillLeadsToTheRecording)
{
    RecordingRig rig;
    auto config = rig.sim(0).config();
    config.refuseGenerate = true;
    rig.sim(0).setConfig(config);
    openLines(rig, {0});
    ASSERT_TRUE(answeredOnTheRingCount(rig));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 10000));
    EXPECT_EQ(rig.slot(0).callKind, "A");
    EXPECT_EQ(rig.sim(0).generatedCount(), 0u);
}

TEST(AnsweringMachine, WithTheFastBusySwitchACallerWhoHangsUpDuringTheGreetingIsStillHungUpOn)
{
    audio::StopTriggerSettings triggers;
    triggers.fastBusy = 1;
    RecordingRig rig(triggers);
    writePrompt(rig, "Greeting.wav", 440, 10);
    openLines(rig, {0});
    ASSERT_TRUE(answeredOnTheRingCount(rig));
    rig.run(3000);
    rig.sim(0).hangUpFarEnd();
    // No capture runs while the greeting plays, so no detector would ever end this call.
    ASSERT_TRUE(rig.runUntil([&] { return !rig.sim(0).offHook(); }, 5000));
    rig.run(12000);
    EXPECT_EQ(rig.slot(0).recordState, telephony::kRecordIdle);
    EXPECT_EQ(rig.sim(0).generatedCount(), 0u); // no beep to a caller who is gone
    EXPECT_TRUE(rig.lists->unread().isEmpty());
}

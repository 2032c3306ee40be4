// Whole calls recorded over simulated lines in virtual time: what the far end says lands in the
// file sample for sample, and the silence, fast-busy and dial-tone triggers end calls as the
// detector settings say. Every file is read back by an independent reader.
#include "recording_rig.h"

#include "audio/recording_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace qlnrec;
using test::MadeAudio;
using test::RecordingRig;

namespace {

// sox's and Python's view of a PCM recording: rate, channels, frames.
void checkWithIndependentReaders(const QString& path, std::size_t frames)
{
    if (test::haveCommand("sox")) {
        EXPECT_EQ(test::runCommand(QString("sox --i -r '%1'").arg(path)).trimmed(), "8000");
        EXPECT_EQ(test::runCommand(QString("sox --i -c '%1'").arg(path)).trimmed(), "1");
        EXPECT_EQ(test::runCommand(QString("sox --i -s '%1'").arg(path)).trimmed(), QString::number(frames));
    }
    if (test::haveCommand("python3")) {
        EXPECT_EQ(test::runCommand(QString("python3 -c \"import wave,sys; w=wave.open(sys.argv[1]); "
                                           "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), "
                                           "w.getnframes())\" '%1'")
                                       .arg(path))
                      .trimmed(),
                  QString("1 2 8000 %1").arg(frames));
    }
}

#define REQUIRE_AUDIO(path)                                                                                  \
    if ((path).isEmpty()) {                                                                                  \
        GTEST_SKIP() << "espeak-ng or sox is not installed";                                                 \
    }

} // namespace

TEST(RecordedCall, MonitoredCallHoldsWhatTheFarEndSaidSampleForSample)
{
    const QString speechFile = MadeAudio::speech(20);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    ASSERT_EQ(speech.size(), 160000u);

    RecordingRig rig;
    rig.openLines({0});
    ASSERT_TRUE(rig.monitoredCall(0));
    EXPECT_EQ(rig.slot(0).callKind, "M");
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    rig.run(20000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    rig.run(1000); // the drop
    EXPECT_FALSE(rig.sim(0).offHook());

    ASSERT_EQ(rig.lists->recent().size(), 1);
    const QString name = rig.lists->recent().first();
    EXPECT_TRUE(name.startsWith("M~L 02026-12-07~14-05-")) << name.toStdString();
    EXPECT_TRUE(name.endsWith(".wav"));
    EXPECT_EQ(rig.config.getSetting("Data", " 0"), name);
    const auto recorded = test::pcmFileSamples(rig.recordingPath(name));
    checkWithIndependentReaders(rig.recordingPath(name), recorded.size());

    // The whole 20 s of speech is in the file in one piece: the swap of the two capture blocks
    // loses nothing (the device holds what arrives while no block is queued).
    const std::int64_t at = test::findSamples(recorded, speech);
    ASSERT_GE(at, 0);
    ASSERT_LE(static_cast<std::size_t>(at) + speech.size(), recorded.size());
    EXPECT_TRUE(std::equal(speech.begin(), speech.end(), recorded.begin() + at));
    EXPECT_EQ(rig.platform->wave().totalDroppedCaptureFrames(), 0u);
    ::testing::Test::RecordProperty("speech_offset_samples", static_cast<int>(at));
    ::testing::Test::RecordProperty("samples_after_speech",
                                    static_cast<int>(recorded.size() - at - speech.size()));
    EXPECT_EQ(rig.statusCount("Silence Detected"), 0);
}

TEST(RecordedCall, SilenceEndsTheCallOnTheSixthQuietBlock)
{
    const QString speechFile = MadeAudio::speech(3);
    REQUIRE_AUDIO(speechFile);
    audio::StopTriggerSettings triggers;
    triggers.silence = 1;
    triggers.silenceSeconds = 5;
    RecordingRig rig(triggers);
    rig.openLines({0});
    ASSERT_TRUE(rig.monitoredCall(0));
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    // The far end says its piece and then stays silent on the line without hanging up.
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecordIdle; }, 30000));
    EXPECT_EQ(rig.statusCount("Silence Detected"), 1);
    ASSERT_TRUE(rig.finishRecording(0));
    rig.run(1000);
    EXPECT_FALSE(rig.sim(0).offHook()); // dropped by the program
    ASSERT_EQ(rig.lists->recent().size(), 1);
    const auto recorded = test::pcmFileSamples(rig.recordingPath(rig.lists->recent().first()));
    // After the block that holds the last of the speech come exactly six quiet blocks; the
    // capture was reset right after the sixth, so the final block is (nearly) empty.
    std::size_t lastSound = 0;
    for (std::size_t i = 0; i < recorded.size(); ++i) {
        if (recorded[i] != 0) {
            lastSound = i;
        }
    }
    const std::size_t fullBlocks = recorded.size() / 8000;
    EXPECT_EQ(fullBlocks - lastSound / 8000 - 1, 6u);
    EXPECT_LT(recorded.size() % 8000, 80u);
}

TEST(RecordedCall, ReorderToneEndsTheCallOnlyWithTheFastBusySwitch)
{
    const QString speechFile = MadeAudio::speech(4);
    const QString reorderFile = MadeAudio::reorder(20, 0.7);
    REQUIRE_AUDIO(speechFile);
    REQUIRE_AUDIO(reorderFile);
    for (int fbs : {1, 0}) {
        SCOPED_TRACE(fbs);
        audio::StopTriggerSettings triggers;
        triggers.fastBusy = fbs;
        RecordingRig rig(triggers);
        rig.openLines({0});
        ASSERT_TRUE(rig.monitoredCall(0));
        ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
        // The analysis hears a reorder cadence whose on-period starts right at a block edge badly
        // (its segments then mix two sound runs); 200 ms later it is clear.
        rig.sim(0).playFarEndSilence(200);
        ASSERT_TRUE(rig.sim(0).playFarEndWav(reorderFile));
        const bool stopped =
            rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecordIdle; }, 22000);
        if (fbs == 1) {
            ASSERT_TRUE(stopped);
            EXPECT_EQ(rig.statusCount("Fast Busy Signal Detected"), 1);
            // Two balanced blocks of tone after the speech.
            EXPECT_LE(rig.engine().line(0).blocksProcessed, 4u + 4u);
            ASSERT_TRUE(rig.finishRecording(0));
            rig.run(1000);
            EXPECT_FALSE(rig.sim(0).offHook());
        } else {
            EXPECT_FALSE(stopped);
            EXPECT_EQ(rig.statusCount("Fast Busy Signal Detected"), 0);
            rig.sim(0).hangUpFarEnd();
            ASSERT_TRUE(rig.finishRecording(0));
        }
        EXPECT_EQ(rig.lists->recent().size(), 1);
    }
}

TEST(RecordedCall, AustralianDialToneEndsTheCall)
{
    const QString speechFile = MadeAudio::speech(3);
    const QString dialTone = MadeAudio::tone(425, 15, 0.5);
    REQUIRE_AUDIO(speechFile);
    REQUIRE_AUDIO(dialTone);
    audio::StopTriggerSettings triggers;
    triggers.country = 3;
    RecordingRig rig(triggers);
    rig.openLines({0});
    ASSERT_TRUE(rig.monitoredCall(0));
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    ASSERT_TRUE(rig.sim(0).playFarEndWav(dialTone));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecordIdle; }, 20000));
    EXPECT_EQ(rig.statusCount("Dial Tone Detected, Stop Recording"), 1);
    EXPECT_LE(rig.engine().line(0).blocksProcessed, 3u + 2u);
    ASSERT_TRUE(rig.finishRecording(0));
    EXPECT_EQ(rig.lists->recent().size(), 1);
}

TEST(RecordedCall, TwoLinesRecordingAtOnceKeepSeparateFiles)
{
    const QString speechFile = MadeAudio::speech(8);
    const QString toneFile = MadeAudio::tone(700, 8, 0.3);
    REQUIRE_AUDIO(speechFile);
    REQUIRE_AUDIO(toneFile);
    RecordingRig rig;
    rig.openLines({0, 2});
    rig.sim(0).ring(2, 2000, 4000);
    rig.run(1500);
    rig.sim(2).ring(2, 2000, 4000);
    ASSERT_TRUE(rig.runUntil(
        [&] {
            return rig.slot(0).recordState == telephony::kRecording &&
                   rig.slot(2).recordState == telephony::kRecording;
        },
        30000));
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    ASSERT_TRUE(rig.sim(2).playFarEndWav(toneFile));
    rig.run(8500);
    rig.sim(0).hangUpFarEnd();
    rig.sim(2).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    ASSERT_TRUE(rig.finishRecording(2));
    ASSERT_EQ(rig.lists->recent().size(), 2);
    const QStringList onLine0 = rig.lists->recent().filter(QRegularExpression("^M~L 0"));
    const QStringList onLine2 = rig.lists->recent().filter(QRegularExpression("^M~L 2"));
    ASSERT_EQ(onLine0.size(), 1);
    ASSERT_EQ(onLine2.size(), 1);
    const QString first = onLine0.first();
    const QString second = onLine2.first();
    const auto line0 = test::pcmFileSamples(rig.recordingPath(first));
    const auto line2 = test::pcmFileSamples(rig.recordingPath(second));
    const auto speech = MadeAudio::samples(speechFile);
    const auto tone = MadeAudio::samples(toneFile);
    const auto at0 = test::findSamples(line0, speech);
    const auto at2 = test::findSamples(line2, tone);
    ASSERT_GE(at0, 0);
    ASSERT_GE(at2, 0);
    EXPECT_TRUE(std::equal(speech.begin(), speech.end(), line0.begin() + at0));
    EXPECT_TRUE(std::equal(tone.begin(), tone.end(), line2.begin() + at2));
    EXPECT_EQ(test::findSamples(line0, tone), -1);
    EXPECT_EQ(test::findSamples(line2, speech), -1);
    checkWithIndependentReaders(rig.recordingPath(first), line0.size());
    checkWithIndependentReaders(rig.recordingPath(second), line2.size());
}

TEST(RecordedCall, UnsafeCallerTextNeverLeavesTheRecordingsFolder)
{
    const QString speechFile = MadeAudio::speech(3);
    REQUIRE_AUDIO(speechFile);
    RecordingRig rig;
    rig.openLines({1});
    rig.sim(1).ring(2, 2000, 4000);
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(1).hCall != 0; }, 5000));
    // What the caller-ID part would store for a hostile caller.
    rig.slot(1).callerNumberPart = "~555/12*34";
    rig.slot(1).callerNamePart = "../../x\"y\"|z";
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(1).recordState == telephony::kRecording; }, 30000));
    ASSERT_TRUE(rig.sim(1).playFarEndWav(speechFile));
    rig.run(3000);
    rig.sim(1).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(1));
    ASSERT_EQ(rig.lists->recent().size(), 1);
    const QString name = rig.lists->recent().first();
    EXPECT_TRUE(name.endsWith("~555@12@34..@..@x@y@@z.wav")) << name.toStdString();
    EXPECT_TRUE(QFileInfo(rig.recordingPath(name)).isFile());
    EXPECT_EQ(QFileInfo(rig.recordingPath(name)).absolutePath(), QFileInfo(rig.recordings).absolutePath());
    EXPECT_EQ(QDir(rig.recordings).entryList(QDir::Files).size(), 1);
}

TEST(RecordedCall, ShortRecordingThresholdAndTheListKeys)
{
    RecordingRig rig;
    // 50 earlier recordings in the recent list, one gap in the stored keys.
    for (int i = 0; i < 51; ++i) {
        const QString name = QString("M~old%1.wav").arg(i, 2, 10, QChar('0'));
        test::writeFile(rig.recordingPath(name), "RIFF");
        if (i != 7) {
            rig.settingsStore.saveSetting("Data", QString(" %1").arg(i < 7 ? i : i - 1), name);
        }
    }
    rig.settingsStore.saveSetting("Data", " 49", ""); // 49 entries after the gap closes
    rig.lists->LoadRecordingLists();
    ASSERT_EQ(rig.lists->recent().size(), 49);
    EXPECT_EQ(rig.lists->recent().at(7), "M~old08.wav");

    // 4,955 data bytes: an empty file, not listed. 4,956: written and listed.
    audio::CaptureEngine& engine = rig.engine();
    for (int bytes : {4955, 4956, 4956}) {
        engine.line(0).recordingName = QString("M~L 0~%1.wav").arg(bytes);
        engine.writer().deleteTempFile(0);
        const QByteArray data(bytes, '\x11');
        ASSERT_TRUE(engine.writer().AppendBlock(0, data.constData(), bytes));
        engine.FinishRecording(0);
    }
    EXPECT_EQ(QFileInfo(rig.recordingPath("M~L 0~4955.wav")).size(), 0);
    EXPECT_EQ(QFileInfo(rig.recordingPath("M~L 0~4956.wav")).size(), 5000);
    // The same name again does not overwrite the first: it is kept beside it.
    EXPECT_EQ(QFileInfo(rig.recordingPath("M~L 0~4956 (2).wav")).size(), 5000);
    checkWithIndependentReaders(rig.recordingPath("M~L 0~4956.wav"), 2478);
    // 49 + 2 = 51: the oldest went, and the keys hold the newest fifty in order.
    ASSERT_EQ(rig.lists->recent().size(), 50);
    EXPECT_EQ(rig.lists->recent().first(), "M~old01.wav");
    EXPECT_EQ(rig.config.getSetting("Data", " 0"), "M~old01.wav");
    EXPECT_EQ(rig.config.getSetting("Data", " 48"), "M~L 0~4956.wav");
    EXPECT_EQ(rig.config.getSetting("Data", " 49"), "M~L 0~4956 (2).wav");
    EXPECT_EQ(rig.lists->selectedRecording(), "M~L 0~4956 (2).wav");
}

// No conversation is lost when the program ends: a shutdown (SIGTERM, Exit) in the middle of a
// call or within the file writer's grace second writes and lists the recording at once, a crash
// leaves the recording in progress for the next start to finish, a recordings folder that goes
// away or a disk that fills up keeps what was recorded, and recordings and logs are the user's
// only. Every file is read back by an independent reader.
#include "recording_rig.h"

#include "audio/recording_name.h"
#include "tests/support/small_disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace qlnrec;
using test::MadeAudio;
using test::RecordingRig;

namespace {

// How many samples of `speech`, from its start, the recording holds unchanged.
std::size_t speechHeld(const std::vector<std::int16_t>& recorded, const std::vector<std::int16_t>& speech)
{
    const std::int64_t at = test::findSamples(recorded, speech);
    if (at < 0) {
        return 0;
    }
    std::size_t n = 0;
    while (n < speech.size() && static_cast<std::size_t>(at) + n < recorded.size() &&
           recorded[static_cast<std::size_t>(at) + n] == speech[n]) {
        ++n;
    }
    return n;
}

// sox's and Python's view of a PCM recording.
void checkPcmWithIndependentReaders(const QString& path, std::size_t frames)
{
    if (test::haveCommand("sox")) {
        EXPECT_EQ(test::runCommand(QString("sox --i -r '%1'").arg(path)).trimmed(), "8000");
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

// The TrueSpeech header as Python reads it: tag 34, mono, 8 kHz, 1067 bytes/s, the data length of
// the file, the sample count of that length, and RIFF and data sizes that add up.
void checkTrueSpeechHeader(const QString& path)
{
    const qint64 data = QFileInfo(path).size() - 90;
    const QString facts = test::waveHeaderFacts(path);
    if (!facts.isEmpty()) {
        EXPECT_EQ(facts, QString("34 1 8000 1067 %1 %2 True").arg(data).arg(data * 8000 / 1067));
    }
}

int mode(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) {
        return -1;
    }
    return static_cast<int>(st.st_mode & 0777);
}

#define REQUIRE_AUDIO(path)                                                                                  \
    if ((path).isEmpty()) {                                                                                  \
        GTEST_SKIP() << "espeak-ng or sox is not installed";                                                 \
    }

constexpr audio::OutputFormat kFormats[] = {audio::OutputFormat::Pcm, audio::OutputFormat::TrueSpeech};

// As the setup dialog stores it (the hidden dialog copies it into the snapshot when it loads).
void useFormat(RecordingRig& rig, audio::OutputFormat format)
{
    const int value = format == audio::OutputFormat::TrueSpeech ? 1 : 0;
    rig.store("WaveFileFormat", QString::number(value));
    rig.program->lines().settings().waveFileFormat = value;
}

} // namespace

// A shutdown while the far end is still talking: the recording holds every sample up to the
// shutdown, in either format, and is listed.
TEST(ProgramEnd, ShutdownMidCallWritesAndListsTheRecording)
{
    const QString speechFile = MadeAudio::speech(20);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    for (const audio::OutputFormat format : kFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        RecordingRig rig;
        useFormat(rig, format);
        rig.openLines({0});
        ASSERT_TRUE(rig.monitoredCall(0));
        ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
        rig.run(7300);
        const std::uint64_t blocksBefore = rig.engine().line(0).blocksProcessed;

        rig.shutDown();

        EXPECT_EQ(rig.programEnds, 1);
        ASSERT_EQ(rig.lists->recent().size(), 1);
        const QString name = rig.lists->recent().first();
        EXPECT_TRUE(name.startsWith("M~L 0")) << name.toStdString();
        EXPECT_EQ(rig.config.getSetting("Data", " 0"), name);
        const QString path = rig.recordingPath(name);
        // Every block since the last full one reached the file: the part block the device held
        // at the shutdown too.
        EXPECT_EQ(rig.engine().line(0).blocksProcessed, blocksBefore + 1);
        if (format == audio::OutputFormat::Pcm) {
            const auto recorded = test::pcmFileSamples(path);
            checkPcmWithIndependentReaders(path, recorded.size());
            // 7.3 s of speech went down the line before the shutdown; all of it is in the file.
            EXPECT_EQ(speechHeld(recorded, speech), 58400u);
            ::testing::Test::RecordProperty("pcm_samples_recorded", static_cast<int>(recorded.size()));
        } else {
            checkTrueSpeechHeader(path);
            // The 7.3 s captured, as whole 32-byte frames of 240 samples: only the last part
            // frame (80 samples) is not in the file.
            const qint64 data = QFileInfo(path).size() - 90;
            EXPECT_EQ(data, 58400 / 240 * 32);
            ::testing::Test::RecordProperty("truespeech_data_bytes", static_cast<int>(data));
        }
        // Nothing is left behind to be mistaken for an unfinished recording.
        EXPECT_TRUE(QDir(rig.temp).entryList(QDir::Files).isEmpty());
    }
}

// The far end hung up and the capture closed, but the file writer's grace tick has not come yet
// when the program is ended: the call is written and listed all the same.
TEST(ProgramEnd, ShutdownInTheGraceSecondAfterAHangUpWritesTheCall)
{
    const QString speechFile = MadeAudio::speech(5);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    for (const audio::OutputFormat format : kFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        RecordingRig rig;
        useFormat(rig, format);
        rig.openLines({0});
        ASSERT_TRUE(rig.monitoredCall(0));
        ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
        rig.run(5200);
        rig.sim(0).hangUpFarEnd();
        ASSERT_TRUE(rig.runUntil([&] { return rig.engine().line(0).captureClosed != 0; }, 5000));
        ASSERT_TRUE(rig.engine().timWriteFile(0).isEnabled());
        ASSERT_TRUE(rig.lists->recent().isEmpty());

        rig.shutDown();

        ASSERT_EQ(rig.lists->recent().size(), 1);
        const QString path = rig.recordingPath(rig.lists->recent().first());
        if (format == audio::OutputFormat::Pcm) {
            const auto recorded = test::pcmFileSamples(path);
            checkPcmWithIndependentReaders(path, recorded.size());
            EXPECT_EQ(speechHeld(recorded, speech), speech.size());
        } else {
            checkTrueSpeechHeader(path);
            EXPECT_GT(QFileInfo(path).size() - 90, 5 * 1067);
        }
        EXPECT_TRUE(QDir(rig.temp).entryList(QDir::Files).isEmpty());
    }
}

// The program dies in the middle of a call (its objects go without the shutdown). The next start
// finishes the recording: all of it but at most the block in progress, a valid file in either
// format, listed, with a status line. A write the crash cut off mid-sample is not part of it.
TEST(ProgramCrash, TheNextStartRecoversTheRecordingInProgress)
{
    const QString speechFile = MadeAudio::speech(20);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    for (const audio::OutputFormat format : kFormats) {
        SCOPED_TRACE(static_cast<int>(format));
        std::shared_ptr<test::TempHome> home;
        QString name;
        QString temp;
        {
            RecordingRig rig;
            useFormat(rig, format);
            rig.openLines({0});
            ASSERT_TRUE(rig.monitoredCall(0));
            name = rig.engine().line(0).recordingName;
            ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
            rig.run(6500);
            temp = rig.temp;
            home = rig.homeHolder;
            rig.crash();
        }
        // The temporary file lives beside the recordings, not in a folder a reboot wipes.
        EXPECT_TRUE(temp.startsWith(home->path("recordings/")));
        EXPECT_EQ(mode(temp), 0700);
        {
            QFile cut(temp + audio::tempFileName(0));
            ASSERT_TRUE(cut.open(QIODevice::Append));
            cut.write("\x7f", 1);
        }

        test::ProgramRig next(QStringLiteral("sim:4"), {}, {}, home);
        ASSERT_EQ(next.start(), app::LoadResult::Loaded);

        const QString path = home->path("recordings/") + name;
        ASSERT_TRUE(QFileInfo(path).isFile()) << name.toStdString();
        ASSERT_NE(next.program->recordingLists(), nullptr);
        EXPECT_EQ(next.program->recordingLists()->recent(), QStringList{name});
        double seconds = 0;
        if (format == audio::OutputFormat::Pcm) {
            const auto recorded = test::pcmFileSamples(path);
            checkPcmWithIndependentReaders(path, recorded.size());
            // Six of the 6.5 s of speech were in full blocks; the block in progress is lost.
            const std::size_t held = speechHeld(recorded, speech);
            EXPECT_GE(held, 6500u * 8 - 8000);
            EXPECT_LE(held, 6500u * 8);
            seconds = static_cast<double>(recorded.size()) / 8000;
            ::testing::Test::RecordProperty("pcm_speech_samples_recovered", static_cast<int>(held));
        } else {
            checkTrueSpeechHeader(path);
            seconds = static_cast<double>(QFileInfo(path).size() - 90) / 1067;
            EXPECT_GE(seconds, 5.5);
            EXPECT_LE(seconds, 7.0);
        }
        const QString status =
            QString("Recovered unfinished recording %1 (%2 s)").arg(name).arg(seconds, 0, 'f', 1);
        EXPECT_EQ(next.statusTexts().count(status), 1) << next.statusTexts().join('\n').toStdString();
        EXPECT_TRUE(QDir(temp).entryList(QDir::Files).isEmpty());
    }
}

// The recordings folder goes away in the middle of a call (an unplugged disk, a folder moved):
// the status list says so once, the call goes on, the program keeps running, and what was
// recorded before stays a valid recording for the next start. A full disk would need a small
// file system of its own; the same paths report it.
TEST(DiskTrouble, ARecordingsFolderThatGoesAwayKeepsThePartAlreadyRecorded)
{
    const QString speechFile = MadeAudio::speech(20);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    std::shared_ptr<test::TempHome> home;
    QString name;
    {
        RecordingRig rig;
        rig.openLines({0});
        ASSERT_TRUE(rig.monitoredCall(0));
        name = rig.engine().line(0).recordingName;
        ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
        rig.run(4500);
        const QString away = rig.home.path("recordings-away");
        ASSERT_TRUE(QDir().rename(rig.recordings, away));
        rig.run(3000);
        rig.sim(0).hangUpFarEnd();
        ASSERT_TRUE(rig.finishRecording(0));
        EXPECT_EQ(rig.statusTexts().filter("recording cannot be stored").size(), 1);
        EXPECT_EQ(rig.statusTexts().filter(QString("Recording %1 cannot be written").arg(name)).size(), 1);
        EXPECT_TRUE(rig.lists->recent().isEmpty());
        EXPECT_FALSE(rig.lifecycle.shuttingDown);
        // The folder comes back; the next call on the line is recorded as usual and does not
        // take the earlier one's place.
        ASSERT_TRUE(QDir().rename(away, rig.recordings));
        rig.run(2000);
        ASSERT_TRUE(rig.monitoredCall(0));
        rig.run(2000);
        rig.sim(0).hangUpFarEnd();
        ASSERT_TRUE(rig.finishRecording(0));
        EXPECT_EQ(rig.lists->recent().size(), 1);
        home = rig.homeHolder;
    }
    test::ProgramRig next(QStringLiteral("sim:4"), {}, {}, home);
    ASSERT_EQ(next.start(), app::LoadResult::Loaded);
    const QString path = home->path("recordings/") + name;
    ASSERT_TRUE(QFileInfo(path).isFile());
    const auto recorded = test::pcmFileSamples(path);
    checkPcmWithIndependentReaders(path, recorded.size());
    // The 4.5 s of speech before the folder went: its four full blocks.
    const std::size_t held = speechHeld(recorded, speech);
    EXPECT_GE(held, 4500u * 8 - 8000);
    EXPECT_LE(held, 4500u * 8);
    EXPECT_TRUE(next.program->recordingLists()->recent().contains(name));
}

#define REQUIRE_SMALL_DISK(disk)                                                                             \
    if (!(disk).mounted()) {                                                                                 \
        GTEST_SKIP() << (disk).whyNot().toStdString();                                                       \
    }

// The recordings folder on a really full disk (a 2 MB tmpfs): the call goes on with one status
// line; once space is free again the next blocks are stored whole, so the audio after the gap is
// the far end's speech and not noise, and the file is valid.
TEST(DiskTrouble, ADiskThatFillsMidCallKeepsTheCallGoingAndTheAudioValid)
{
    const QString speechFile = MadeAudio::speech(20);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    auto home = std::make_shared<test::TempHome>();
    test::SmallDisk disk(home->path("recordings"));
    REQUIRE_SMALL_DISK(disk);
    RecordingRig rig({}, home);
    rig.openLines({0});
    ASSERT_TRUE(rig.monitoredCall(0));
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    rig.run(4500);
    disk.fill();
    rig.run(3000);
    EXPECT_EQ(rig.statusTexts().filter("recording cannot be stored").size(), 1);
    EXPECT_FALSE(rig.lifecycle.shuttingDown);
    EXPECT_EQ(rig.slot(0).recordState, telephony::kRecording);
    disk.freeSpace();
    rig.run(3000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    ASSERT_EQ(rig.lists->recent().size(), 1);
    const QString path = rig.recordingPath(rig.lists->recent().first());
    const auto recorded = test::pcmFileSamples(path);
    checkPcmWithIndependentReaders(path, recorded.size());
    const std::size_t held = speechHeld(recorded, speech);
    EXPECT_GE(held, 4500u * 8 - 8000);
    EXPECT_LE(held, 7500u * 8);
    // The last second recorded is a stretch of the speech, sample for sample.
    ASSERT_GT(recorded.size(), 8000u);
    const std::vector<std::int16_t> tail(recorded.end() - 8000, recorded.end());
    EXPECT_GE(test::findSamples(speech, tail), 0);
}

// The disk fills while the recording is finished: the file that cannot be written is removed and
// reported, the data stays, and the next start after space is freed writes it as a valid file
// and lists it.
TEST(DiskTrouble, ARecordingThatCannotBeFinishedOnAFullDiskIsRecoveredOnceSpaceIsFree)
{
    const QString speechFile = MadeAudio::speech(20);
    REQUIRE_AUDIO(speechFile);
    const auto speech = MadeAudio::samples(speechFile);
    auto home = std::make_shared<test::TempHome>();
    test::SmallDisk disk(home->path("recordings"));
    REQUIRE_SMALL_DISK(disk);
    QString name;
    {
        RecordingRig rig({}, home);
        rig.openLines({0});
        ASSERT_TRUE(rig.monitoredCall(0));
        name = rig.engine().line(0).recordingName;
        ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
        rig.run(6000);
        rig.sim(0).hangUpFarEnd();
        // Room for the call's last blocks, not for a copy of the whole recording.
        disk.fill(48 * 1024);
        ASSERT_TRUE(rig.finishRecording(0));
        EXPECT_EQ(rig.statusTexts().filter(QString("Recording %1 cannot be written").arg(name)).size(), 1);
        EXPECT_TRUE(rig.lists->recent().isEmpty());
        EXPECT_FALSE(QFileInfo::exists(rig.recordingPath(name)));
        EXPECT_FALSE(rig.lifecycle.shuttingDown);
    }
    disk.freeSpace();
    test::ProgramRig next(QStringLiteral("sim:4"), {}, {}, home);
    ASSERT_EQ(next.start(), app::LoadResult::Loaded);
    const QString path = home->path("recordings/") + name;
    ASSERT_TRUE(QFileInfo(path).isFile());
    const auto recorded = test::pcmFileSamples(path);
    checkPcmWithIndependentReaders(path, recorded.size());
    EXPECT_GE(speechHeld(recorded, speech), 6000u * 8 - 8000);
    EXPECT_TRUE(next.program->recordingLists()->recent().contains(name));
    EXPECT_EQ(next.statusTexts().filter("Recovered unfinished recording " + name).size(), 1);
}

// Recordings, the recording in progress, the logs, the start-up trace, the settings and their
// journal hold other people's voices and numbers: what the program creates is the user's only. A
// recordings folder the user chose with other rights keeps them.
TEST(Privacy, FilesAndFoldersTheProgramMakesAreTheUsersOnly)
{
    const QString speechFile = MadeAudio::speech(3);
    REQUIRE_AUDIO(speechFile);
    std::shared_ptr<test::TempHome> home;
    {
        RecordingRig rig;
        ASSERT_EQ(::chmod(QFile::encodeName(rig.recordings).constData(), 0755), 0);
        rig.openLines({0});
        ASSERT_TRUE(rig.monitoredCall(0));
        ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
        rig.run(3000);
        EXPECT_EQ(mode(rig.temp), 0700);
        EXPECT_EQ(mode(rig.temp + audio::tempFileName(0)), 0600);
        rig.sim(0).hangUpFarEnd();
        ASSERT_TRUE(rig.finishRecording(0));
        ASSERT_EQ(rig.lists->recent().size(), 1);
        EXPECT_EQ(mode(rig.recordingPath(rig.lists->recent().first())), 0600);
        EXPECT_EQ(mode(rig.recordings), 0755);
        home = rig.homeHolder;
    }
    // A start that makes its folders and files afresh.
    test::ProgramRig rig(QStringLiteral("sim:4"), {}, {}, home);
    rig.store("Line0", "1");
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    rig.statusLog.addStatusLine("Line0 555 1234 Mary");
    const QString folder = rig.home.programFolder();
    EXPECT_EQ(mode(folder + "/LogFiles"), 0700);
    EXPECT_EQ(mode(rig.statusLog.currentFilePath()), 0600);
    EXPECT_EQ(mode(folder + "/Steps.txt"), 0600);
    EXPECT_EQ(mode(folder + "/waveFiles"), 0700);
    EXPECT_EQ(mode(rig.config.journalPath()), 0600);
    EXPECT_EQ(mode(rig.settingsStore.filePath()), 0600);
    EXPECT_EQ(QFileInfo(rig.settingsStore.filePath()).permissions(),
              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser |
                  QFileDevice::WriteUser);
}

#include "platform/acm/acm.h"
#include "platform/core/virtual_event_service.h"
#include "platform/mci/mci_service.h"
#include "platform/mci/null_media_backend.h"
#include "platform/mci/qt_media_backend.h"
#include "platform/riff/wave_file.h"
#include "tests/platform/acm/fake_drivers.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QtEndian>

#include <cmath>
#include <random>

using namespace qlnrec::platform;
using qlnrec::test::readFile;
using qlnrec::test::runCommand;
using qlnrec::test::TempHome;

namespace {

QByteArray pcmWave(std::uint32_t rate, std::uint16_t bits, std::uint64_t frames, std::uint16_t channels = 1)
{
    QByteArray data(static_cast<qsizetype>(frames * channels * (bits / 8)), '\0');
    for (qsizetype i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i % 251);
    return pcmWaveHeader(rate, channels, bits, static_cast<std::uint32_t>(data.size())) + data;
}

QByteArray trueSpeechWave(int blocks)
{
    QByteArray h;
    auto put16 = [&](std::uint16_t v) {
        h.append(static_cast<char>(v & 0xFF)).append(static_cast<char>(v >> 8));
    };
    auto put32 = [&](std::uint32_t v) {
        put16(static_cast<std::uint16_t>(v & 0xFFFF));
        put16(static_cast<std::uint16_t>(v >> 16));
    };
    const std::uint32_t dataBytes = static_cast<std::uint32_t>(blocks) * 32;
    h.append("RIFF");
    put32(dataBytes + 82);
    h.append("WAVEfmt ");
    put32(50);
    for (std::uint16_t v : {34, 1})
        put16(v);
    put32(8000);
    put32(1067);
    for (std::uint16_t v : {32, 1, 32, 1, 240})
        put16(v);
    h.append(QByteArray(28, '\0'));
    h.append("fact");
    put32(4);
    put32(dataBytes * 8000 / 1067);
    h.append("data");
    put32(dataBytes);
    for (std::uint32_t i = 0; i < dataBytes; ++i)
        h.append(static_cast<char>(i / 32 + 1));
    return h;
}

struct Mci : ::testing::Test {
    TempHome home;
    VirtualEventService clock;
    NullMediaBackend backend{clock};
    AcmDriverRegistry registry;
    AcmService acm{registry};
    MciService mci{clock, backend, &acm};

    QString file(const QString& relative, const QByteArray& bytes)
    {
        const QString path = home.path(relative);
        QDir().mkpath(QFileInfo(path).path());
        qlnrec::test::writeFile(path, bytes);
        return path;
    }
    QString ask(const QString& command)
    {
        QString reply;
        lastError = mci.mciSendString(command, &reply);
        return reply;
    }
    MCIERROR send(const QString& command) { return mci.mciSendString(command); }
    MCIERROR lastError = 0;
};

} // namespace

// The recording player's sequence on a file whose path has blanks, in virtual time.
TEST_F(Mci, MyMediaPlayPauseSeekResumeToTheEnd)
{
    const QString path = file(QStringLiteral("my recordings/A~L 02026-12-07~14-05-09~5551234.wav"),
                              pcmWave(8000, 16, 8000 * 12 + 4800)); // 12.6 s
    EXPECT_EQ(send(QStringLiteral("close MyMedia")), MCIERR_INVALID_DEVICE_NAME);
    ASSERT_EQ(send(QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia length")), QStringLiteral("12600"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("stopped"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("0"));

    ASSERT_EQ(send(QStringLiteral("play MyMedia")), 0u);
    clock.advance(1000);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("playing"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("1000"));

    ASSERT_EQ(send(QStringLiteral("pause MyMedia")), 0u);
    clock.advance(5000);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("paused"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("1000"));
    ASSERT_EQ(send(QStringLiteral("play MyMedia")), 0u); // resumes where it paused
    clock.advance(500);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("1500"));

    // The seek bar pauses, seeks (the number carries a blank for its sign) and plays again.
    ASSERT_EQ(send(QStringLiteral("pause MyMedia")), 0u);
    ASSERT_EQ(send(QStringLiteral("seek MyMedia to  5000")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("stopped"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("5000"));
    clock.advance(3000);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("5000"));
    ASSERT_EQ(send(QStringLiteral("play MyMedia")), 0u);
    clock.advance(7599);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("playing"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("12599"));
    clock.advance(1);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("stopped"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("12600"));
    clock.advance(10000);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia position")), QStringLiteral("12600"));

    ASSERT_EQ(send(QStringLiteral("close MyMedia")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QString());
    EXPECT_EQ(lastError, MCIERR_INVALID_DEVICE_NAME);
    EXPECT_EQ(mci.openDeviceCount(), 0u);
}

TEST_F(Mci, LengthsOfPcmFilesOfEachKind)
{
    struct Case {
        const char* name;
        QByteArray bytes;
        const char* length;
    } cases[] = {
        {"a8k.wav", pcmWave(8000, 16, 8000 * 3), "3000"},
        {"b11k.wav", pcmWave(11025, 16, 11025 * 3 / 2 + 1), "1500"},
        {"c11k-half.wav", pcmWave(11025, 16, 5512), "500"}, // 499.95 ms rounds up
        {"d8bit.wav", pcmWave(8000, 8, 16000), "2000"},
        {"e-stereo.wav", pcmWave(11025, 16, 11025, 2), "1000"},
        {"f-empty.wav", pcmWave(8000, 16, 0), "0"},
    };
    for (const Case& c : cases) {
        const QString path = file(QString::fromLatin1(c.name), c.bytes);
        ASSERT_EQ(send(QStringLiteral("open ") + path + QStringLiteral(" type waveaudio alias x")), 0u)
            << c.name;
        EXPECT_EQ(ask(QStringLiteral("status x length")), QString::fromLatin1(c.length)) << c.name;
        send(QStringLiteral("close x"));
    }
    // Playing an empty file ends at once.
    const QString empty = home.path(QStringLiteral("f-empty.wav"));
    ASSERT_EQ(send(QStringLiteral("open \"") + empty + QStringLiteral("\" alias e")), 0u);
    EXPECT_EQ(send(QStringLiteral("play e")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status e mode")), QStringLiteral("stopped"));
    // Format items of the opened file.
    const QString eightBit = home.path(QStringLiteral("d8bit.wav"));
    ASSERT_EQ(send(QStringLiteral("open ") + eightBit + QStringLiteral(" alias d")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status d bitspersample")), QStringLiteral("8"));
    EXPECT_EQ(ask(QStringLiteral("status d samplespersec")), QStringLiteral("8000"));
    EXPECT_EQ(ask(QStringLiteral("status d format tag")), QStringLiteral("pcm"));
    EXPECT_EQ(ask(QStringLiteral("status d time format")), QStringLiteral("milliseconds"));
    EXPECT_EQ(send(QStringLiteral("close all")), 0u);
    EXPECT_EQ(mci.openDeviceCount(), 0u);
}

TEST_F(Mci, PlayRangesSeekLimitsAndCommandErrors)
{
    const QString path = file(QStringLiteral("t.wav"), pcmWave(8000, 16, 8000 * 10));
    ASSERT_EQ(send(QStringLiteral("OPEN ") + path + QStringLiteral(" ALIAS Tape")), 0u);
    EXPECT_EQ(send(QStringLiteral("open ") + path + QStringLiteral(" alias tape")), MCIERR_DUPLICATE_ALIAS);

    // from/to: the stretch ends at "to".
    ASSERT_EQ(send(QStringLiteral("play tape from 2000 to 3000")), 0u);
    clock.advance(999);
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("2999"));
    clock.advance(1);
    EXPECT_EQ(ask(QStringLiteral("status tape mode")), QStringLiteral("stopped"));
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("3000"));

    // Seeking: past the end goes to the end, start and end by name; play at the end plays nothing.
    EXPECT_EQ(send(QStringLiteral("seek tape to 99999")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("10000"));
    EXPECT_EQ(send(QStringLiteral("play tape")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status tape mode")), QStringLiteral("stopped"));
    EXPECT_EQ(send(QStringLiteral("seek tape to start")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("0"));
    EXPECT_EQ(send(QStringLiteral("seek tape to end")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("10000"));

    // Stop keeps the position; resume after pause.
    send(QStringLiteral("play tape from 0"));
    clock.advance(250);
    EXPECT_EQ(send(QStringLiteral("stop tape")), 0u);
    clock.advance(250);
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("250"));
    send(QStringLiteral("play tape"));
    send(QStringLiteral("pause tape"));
    clock.advance(100);
    EXPECT_EQ(send(QStringLiteral("resume tape")), 0u);
    clock.advance(100);
    EXPECT_EQ(ask(QStringLiteral("status tape position")), QStringLiteral("350"));

    EXPECT_EQ(send(QStringLiteral("seek tape to -5")), MCIERR_BAD_INTEGER);
    EXPECT_EQ(send(QStringLiteral("seek tape to")), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(send(QStringLiteral("seek tape")), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(send(QStringLiteral("seek tape by 5")), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(send(QStringLiteral("play tape from 20000")), MCIERR_OUTOFRANGE);
    EXPECT_EQ(send(QStringLiteral("play tape from 3000 to 1000")), MCIERR_OUTOFRANGE);
    EXPECT_EQ(send(QStringLiteral("play tape from")), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(send(QStringLiteral("play tape wait")), MCIERR_UNSUPPORTED_FUNCTION);
    EXPECT_EQ(send(QStringLiteral("play tape notify")), 0u);
    EXPECT_EQ(send(QStringLiteral("status tape volume")), MCIERR_UNRECOGNIZED_KEYWORD);
    EXPECT_EQ(send(QStringLiteral("status tape")), MCIERR_MISSING_PARAMETER);
    EXPECT_EQ(send(QStringLiteral("set tape samplespersec 8000")), MCIERR_NONAPPLICABLE_FUNCTION);
    EXPECT_EQ(send(QStringLiteral("set tape time format ms")), 0u);
    EXPECT_EQ(send(QStringLiteral("set tape time format frames")), MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(send(QStringLiteral("rewind tape")), MCIERR_UNRECOGNIZED_COMMAND);
    EXPECT_EQ(send(QStringLiteral("play")), MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(send(QStringLiteral("   ")), MCIERR_MISSING_COMMAND_STRING);
    EXPECT_EQ(send(QStringLiteral("play \"tape")), MCIERR_NO_CLOSING_QUOTE);
    EXPECT_EQ(send(QStringLiteral("play all")), MCIERR_CANNOT_USE_ALL);
    EXPECT_EQ(send(QStringLiteral("open new type waveaudio")), MCIERR_NEW_REQUIRES_ALIAS);
    EXPECT_EQ(send(QStringLiteral("open alias x")), MCIERR_MISSING_DEVICE_NAME);
    EXPECT_EQ(
        send(QStringLiteral("open ") + home.path(QStringLiteral("none.wav")) + QStringLiteral(" alias y")),
        MCIERR_FILE_NOT_FOUND);
    const QString junk = file(QStringLiteral("junk.wav"), QByteArray("RIFF\x04\0\0\0WAVE", 12));
    EXPECT_EQ(send(QStringLiteral("open ") + junk + QStringLiteral(" alias y")), MCIERR_INVALID_FILE);
    EXPECT_FALSE(mci.isOpen(QStringLiteral("y")));
    EXPECT_FALSE(mciGetErrorString(MCIERR_INVALID_FILE).isEmpty());
}

// The greeting dialogs name the device by the file itself: "Close", "Open", "Play" & path.
TEST_F(Mci, PlainFileFormWithBlanksInThePath)
{
    const QString path = file(QStringLiteral("prompt folder/01.wav"), pcmWave(11025, 16, 11025 * 2));
    EXPECT_EQ(send(QStringLiteral("Close ") + path), MCIERR_INVALID_DEVICE_NAME);
    ASSERT_EQ(send(QStringLiteral("Open ") + path), 0u);
    EXPECT_EQ(send(QStringLiteral("Open ") + path), MCIERR_DEVICE_OPEN);
    ASSERT_EQ(send(QStringLiteral("Play ") + path), 0u);
    clock.advance(1500);
    EXPECT_EQ(ask(QStringLiteral("status ") + path + QStringLiteral(" position")), QStringLiteral("1500"));
    EXPECT_EQ(ask(QStringLiteral("status \"") + path + QStringLiteral("\" mode")), QStringLiteral("playing"));
    clock.advance(600);
    EXPECT_EQ(ask(QStringLiteral("status ") + path + QStringLiteral(" mode")), QStringLiteral("stopped"));
    EXPECT_EQ(send(QStringLiteral("Close ") + path), 0u);
    EXPECT_EQ(mci.openDeviceCount(), 0u);

    // Two open files where one name begins the other: the longer name wins where it fits.
    const QString a = file(QStringLiteral("x/a.wav"), pcmWave(8000, 16, 8000));
    const QString ab = file(QStringLiteral("x/a.wav b.wav"), pcmWave(8000, 16, 16000));
    ASSERT_EQ(send(QStringLiteral("open ") + a), 0u);
    ASSERT_EQ(send(QStringLiteral("open ") + ab), 0u);
    EXPECT_EQ(ask(QStringLiteral("status ") + ab + QStringLiteral(" length")), QStringLiteral("2000"));
    EXPECT_EQ(ask(QStringLiteral("status ") + a + QStringLiteral(" length")), QStringLiteral("1000"));
}

TEST_F(Mci, WaveRecorderSavesElevenKilohertzMonoSixteenBit)
{
    // A 440 Hz tone as the microphone signal.
    backend.setCaptureGenerator([](std::uint64_t frame, std::uint16_t) {
        return static_cast<std::int16_t>(
            std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * frame / 11025.0)));
    });
    const QString target = home.path(QStringLiteral("prompt folder/02.wav"));
    QDir().mkpath(QFileInfo(target).path());
    ASSERT_EQ(send(QStringLiteral("Open New type WaveAudio alias wave")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status wave samplespersec")), QStringLiteral("11025"));
    EXPECT_EQ(ask(QStringLiteral("status wave bitspersample")), QStringLiteral("8"));
    ASSERT_EQ(send(QStringLiteral("set wave samplespersec 11025")), 0u);
    ASSERT_EQ(send(QStringLiteral("set wave channels 1")), 0u);
    ASSERT_EQ(send(QStringLiteral("set wave bitspersample 16")), 0u);
    ASSERT_EQ(send(QStringLiteral("record wave")), 0u);
    clock.advance(1000);
    EXPECT_EQ(ask(QStringLiteral("status wave mode")), QStringLiteral("recording"));
    EXPECT_EQ(ask(QStringLiteral("status wave length")), QStringLiteral("1000"));
    EXPECT_EQ(send(QStringLiteral("set wave channels 2")), MCIERR_NONAPPLICABLE_FUNCTION);
    clock.advance(1000);
    ASSERT_EQ(send(QStringLiteral("stop wave")), 0u);
    clock.advance(700); // nothing more is recorded after stop
    EXPECT_EQ(ask(QStringLiteral("status wave mode")), QStringLiteral("stopped"));
    EXPECT_EQ(ask(QStringLiteral("status wave length")), QStringLiteral("2000"));
    ASSERT_EQ(send(QStringLiteral("save wave ") + target), 0u);
    ASSERT_EQ(send(QStringLiteral("close wave")), 0u);

    const WaveFileData saved = readWaveFile(target);
    ASSERT_TRUE(saved.ok()) << saved.errorText.toStdString();
    EXPECT_EQ(saved.format.nSamplesPerSec, 11025u);
    EXPECT_EQ(saved.format.nChannels, 1);
    EXPECT_EQ(saved.format.wBitsPerSample, 16);
    ASSERT_EQ(saved.data.size(), 22050 * 2);
    const auto* s = reinterpret_cast<const uchar*>(saved.data.constData());
    for (int n : {0, 7, 1234, 22049})
        EXPECT_EQ(qFromLittleEndian<qint16>(s + 2 * n),
                  static_cast<qint16>(std::lround(8000.0 * std::sin(2.0 * M_PI * 440.0 * n / 11025.0))));

    // Independent readers agree.
    if (qlnrec::test::haveCommand(QStringLiteral("python3"))) {
        int exit = -1;
        const QString out = runCommand(
            QStringLiteral(
                "python3 -c \"import wave,sys; w=wave.open(sys.argv[1]); "
                "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())\" '%1'")
                .arg(target),
            &exit);
        EXPECT_EQ(exit, 0);
        EXPECT_EQ(out.trimmed(), QStringLiteral("1 2 11025 22050"));
    }
    if (qlnrec::test::haveCommand(QStringLiteral("sox"))) {
        EXPECT_EQ(runCommand(QStringLiteral("sox --i -r '%1'").arg(target)).trimmed(),
                  QStringLiteral("11025"));
        EXPECT_EQ(runCommand(QStringLiteral("sox --i -s '%1'").arg(target)).trimmed(),
                  QStringLiteral("22050"));
    }

    // The recording plays back through the same alias before it is closed.
    ASSERT_EQ(send(QStringLiteral("open new type waveaudio alias wave")), 0u);
    send(QStringLiteral("record wave"));
    clock.advance(400);
    // Play stops the recording; the position is at the end of what was recorded.
    ASSERT_EQ(send(QStringLiteral("play wave")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status wave mode")), QStringLiteral("stopped"));
    EXPECT_EQ(ask(QStringLiteral("status wave position")), QStringLiteral("400"));
    EXPECT_EQ(send(QStringLiteral("seek wave to start")), 0u);
    send(QStringLiteral("play wave"));
    clock.advance(200);
    EXPECT_EQ(ask(QStringLiteral("status wave mode")), QStringLiteral("playing"));
    clock.advance(200);
    EXPECT_EQ(ask(QStringLiteral("status wave mode")), QStringLiteral("stopped"));
    send(QStringLiteral("close wave"));
}

TEST_F(Mci, FailedRecordingOrSaveKeepsThePreviousFile)
{
    const QString target = file(QStringLiteral("03.wav"), pcmWave(11025, 16, 11025));
    const QByteArray before = readFile(target);

    // No usable input device: record fails, the device is not ready, save refuses.
    ASSERT_EQ(send(QStringLiteral("open new type waveaudio alias wave")), 0u);
    backend.failNextStart();
    EXPECT_EQ(send(QStringLiteral("record wave")), MCIERR_WAVE_INPUTSUNSUITABLE);
    EXPECT_EQ(ask(QStringLiteral("status wave mode")), QStringLiteral("not ready"));
    EXPECT_EQ(send(QStringLiteral("stop wave")), 0u);
    EXPECT_EQ(send(QStringLiteral("save wave ") + target), MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(readFile(target), before);

    // A folder that does not exist.
    ASSERT_EQ(send(QStringLiteral("record wave")), 0u);
    clock.advance(100);
    EXPECT_EQ(send(QStringLiteral("save wave ") + home.path(QStringLiteral("no/such/dir/03.wav"))),
              MCIERR_FILE_NOT_SAVED);
    EXPECT_EQ(send(QStringLiteral("save wave")), MCIERR_FILENAME_REQUIRED);
    EXPECT_EQ(send(QStringLiteral("set wave bitspersample 12")), MCIERR_NONAPPLICABLE_FUNCTION);
    send(QStringLiteral("close wave"));

    ASSERT_EQ(send(QStringLiteral("open new type waveaudio alias w2")), 0u);
    EXPECT_EQ(send(QStringLiteral("set w2 bitspersample 12")), MCIERR_OUTOFRANGE);
    EXPECT_EQ(send(QStringLiteral("set w2 samplespersec 5")), MCIERR_OUTOFRANGE);
    EXPECT_EQ(send(QStringLiteral("set w2 samplespersec abc")), MCIERR_BAD_INTEGER);
    EXPECT_EQ(send(QStringLiteral("set w2 volume 5")), MCIERR_UNRECOGNIZED_KEYWORD);
    // A stop right after record saves an empty but valid file.
    send(QStringLiteral("record w2"));
    send(QStringLiteral("stop w2"));
    ASSERT_EQ(send(QStringLiteral("save w2 \"") + target + QStringLiteral("\"")), 0u);
    const WaveFileData saved = readWaveFile(target);
    ASSERT_TRUE(saved.ok());
    EXPECT_TRUE(saved.data.isEmpty());
    EXPECT_EQ(saved.format.wBitsPerSample, 8);
}

TEST_F(Mci, TrueSpeechFilesNeedACompressionDriver)
{
    const QString path = file(QStringLiteral("O~L 02026-12-07~14-05-09~555.wav"), trueSpeechWave(100));
    // No driver: a clear error and no device.
    EXPECT_EQ(send(QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")),
              MCIERR_WAVE_OUTPUTSUNSUITABLE);
    EXPECT_FALSE(mci.isOpen(QStringLiteral("MyMedia")));
    EXPECT_TRUE(mciGetErrorString(MCIERR_WAVE_OUTPUTSUNSUITABLE).contains(QStringLiteral("compression")));
    MciService withoutAcm{clock, backend, nullptr};
    EXPECT_EQ(withoutAcm.mciSendString(QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")),
              MCIERR_WAVE_OUTPUTSUNSUITABLE);

    // With a driver that decodes tag 34: 100 blocks of 240 samples = 3 s.
    registry.add(std::make_shared<fakes::FakeTrueSpeechDriver>());
    ASSERT_EQ(send(QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")), 0u);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia length")), QStringLiteral("3000"));
    EXPECT_EQ(ask(QStringLiteral("status MyMedia format tag")), QStringLiteral("34"));
    send(QStringLiteral("play MyMedia"));
    clock.advance(3000);
    EXPECT_EQ(ask(QStringLiteral("status MyMedia mode")), QStringLiteral("stopped"));
    send(QStringLiteral("close MyMedia"));
    EXPECT_EQ(acm.openStreamCount(), 0u);

    // The decoded samples are the driver's output, block by block.
    PcmAudio audio;
    const WaveFileData wave = readWaveFile(path);
    ASSERT_EQ(decodeWave(wave, &acm, &audio), 0u);
    ASSERT_EQ(audio.samples.size(), 100 * 480);
    EXPECT_EQ(audio.samples[0], 1);
    EXPECT_EQ(audio.samples[480 * 99], 100);
}

TEST_F(Mci, ReplyBufferForm)
{
    const QString path = file(QStringLiteral("r.wav"), pcmWave(8000, 16, 8000 * 12 + 4800));
    ASSERT_EQ(mci.mciSendString(
                  (QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")).toUtf8().constData(),
                  nullptr, 0),
              0u);
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(mci.mciSendString("status MyMedia length", buffer, 256), 0u);
    EXPECT_STREQ(buffer, "12600");
    char small[3];
    EXPECT_EQ(mci.mciSendString("status MyMedia length", small, 3), MCIERR_PARAM_OVERFLOW);
    EXPECT_STREQ(small, "12");
    EXPECT_EQ(mci.mciSendString("status nothing mode", buffer, 256), MCIERR_INVALID_DEVICE_NAME);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(mci.mciSendString(nullptr, buffer, 256), MCIERR_MISSING_COMMAND_STRING);
}

TEST_F(Mci, SndPlaySoundIsRecordedAndDoesNotWait)
{
    const QString one = file(QStringLiteral("01.wav"), pcmWave(11025, 16, 11025 * 2));
    const QString two = file(QStringLiteral("02.wav"), pcmWave(11025, 16, 11025));
    EXPECT_TRUE(mci.sndPlaySound(one, SND_ASYNC));
    EXPECT_TRUE(backend.soundPlaying());
    // NOSTOP while a sound plays: refused, nothing recorded.
    EXPECT_FALSE(mci.sndPlaySound(two, SND_ASYNC | SND_NOSTOP));
    clock.advance(2000);
    EXPECT_FALSE(backend.soundPlaying());
    EXPECT_TRUE(mci.sndPlaySound(two.toUtf8().constData(), SND_ASYNC | SND_NOSTOP));
    EXPECT_FALSE(mci.sndPlaySound(home.path(QStringLiteral("04.wav")), SND_ASYNC)); // missing
    EXPECT_FALSE(mci.sndPlaySound("x", SND_ASYNC | SND_MEMORY));
    EXPECT_TRUE(mci.sndPlaySound(QString(), 0)); // stops

    const auto& r = backend.soundRequests();
    ASSERT_EQ(r.size(), 4u);
    EXPECT_EQ(r[0].path, one);
    EXPECT_EQ(r[0].flags, SND_ASYNC);
    EXPECT_TRUE(r[0].played);
    EXPECT_EQ(r[0].durationMs, 2000u);
    EXPECT_EQ(r[1].path, two);
    EXPECT_EQ(r[1].timeMs, r[0].timeMs + 2000);
    EXPECT_FALSE(r[2].played);
    EXPECT_TRUE(r[3].path.isEmpty());
    EXPECT_FALSE(backend.soundPlaying());
}

TEST(PcmAudio, DecodesEveryPcmLayout)
{
    auto wave = [](std::uint16_t tag, std::uint16_t bits, const QByteArray& data,
                   std::vector<std::uint8_t> extra = {}) {
        WaveFileData w;
        w.format = {tag,
                    1,
                    8000,
                    8000u * (bits / 8),
                    static_cast<std::uint16_t>(bits / 8),
                    bits,
                    static_cast<std::uint16_t>(extra.size())};
        w.extra = extra;
        w.data = data;
        return w;
    };
    auto sample = [](const PcmAudio& a, int i) {
        return qFromLittleEndian<qint16>(reinterpret_cast<const uchar*>(a.samples.constData()) + 2 * i);
    };
    PcmAudio a;
    ASSERT_EQ(decodeWave(wave(1, 8, QByteArray("\x00\x80\xff", 3)), nullptr, &a), 0u);
    EXPECT_EQ(sample(a, 0), -32768);
    EXPECT_EQ(sample(a, 1), 0);
    EXPECT_EQ(sample(a, 2), 32512);

    ASSERT_EQ(decodeWave(wave(1, 24, QByteArray("\x11\x34\x12\xff\xff\xff", 6)), nullptr, &a), 0u);
    EXPECT_EQ(sample(a, 0), 0x1234);
    EXPECT_EQ(sample(a, 1), -1);

    float f[3] = {0.5f, -2.0f, NAN};
    ASSERT_EQ(decodeWave(wave(3, 32, QByteArray(reinterpret_cast<const char*>(f), 12)), nullptr, &a), 0u);
    EXPECT_EQ(sample(a, 0), 16384);
    EXPECT_EQ(sample(a, 1), -32767); // clipped
    EXPECT_EQ(sample(a, 2), 0);

    // Extensible layout naming PCM; a partial frame at the end is dropped.
    std::vector<std::uint8_t> ext(22, 0);
    ext[6] = 1;
    ASSERT_EQ(decodeWave(wave(0xFFFE, 16, QByteArray("\x01\x02\x03", 3), ext), nullptr, &a), 0u);
    EXPECT_EQ(a.frames(), 1u);
    EXPECT_EQ(decodeWave(wave(0xFFFE, 16, QByteArray(2, 0), {}), nullptr, &a), MCIERR_INVALID_FILE);
    // Bad layouts and compressed data without a compression service.
    WaveFileData odd = wave(1, 16, QByteArray(4, 0));
    odd.format.nBlockAlign = 5;
    EXPECT_EQ(decodeWave(odd, nullptr, &a), MCIERR_INVALID_FILE);
    WaveFileData adpcm = wave(2, 4, QByteArray(256, 0));
    adpcm.format.nBlockAlign = 256;
    EXPECT_EQ(decodeWave(adpcm, nullptr, &a), MCIERR_WAVE_OUTPUTSUNSUITABLE);
}

TEST(PcmAudio, ConvertsRateAndChannels)
{
    PcmAudio in = pcmFromRaw(QByteArray(11025 * 2, '\x10'), 11025, 1, 16);
    const PcmAudio out = convertPcm(in, 44100, 2);
    EXPECT_EQ(out.frames(), 44100u);
    EXPECT_EQ(out.durationMs(), in.durationMs());
    EXPECT_EQ(out.samples.left(8), QByteArray(8, '\x10'));
    const PcmAudio back = convertPcm(out, 8000, 1);
    EXPECT_EQ(back.frames(), 8000u);
    EXPECT_EQ(back.samples.right(2), QByteArray(2, '\x10'));
    EXPECT_EQ(in.byteAtMs(500), 5512u * 2);
    EXPECT_EQ(in.byteAtMs(5000), static_cast<std::uint64_t>(in.samples.size()));
}

TEST(MediaBackendFactory, NullWithoutSoundCardOrOnRequest)
{
    VirtualEventService clock;
    qputenv("QLNREC_AUDIO", "null");
    EXPECT_EQ(createMediaBackend(clock)->name(), QStringLiteral("null"));
    qunsetenv("QLNREC_AUDIO");
    const auto backend = createMediaBackend(clock);
    ASSERT_NE(backend, nullptr);
    EXPECT_TRUE(backend->name() == QStringLiteral("qt") || backend->name() == QStringLiteral("null"));
}

// Without a sound card the Qt backend refuses to start instead of pretending to play.
TEST(QtMediaBackend, RefusesWithoutDevices)
{
    if (QtMediaBackend::haveOutput() || QtMediaBackend::haveInput())
        GTEST_SKIP() << "this machine has audio devices";
    QtMediaBackend backend;
    auto audio = std::make_shared<PcmAudio>(pcmFromRaw(QByteArray(1600, '\0'), 8000, 1, 16));
    EXPECT_FALSE(backend.createRenderer()->start(audio, 0, 1600));
    EXPECT_FALSE(backend.createCapturer()->start(CaptureFormat{}));
    EXPECT_FALSE(backend.soundPlaying());

    VirtualEventService clock;
    MciService mci{clock, backend};
    TempHome home;
    const QString path = home.path(QStringLiteral("a.wav"));
    qlnrec::test::writeFile(path, pcmWave(8000, 16, 800));
    ASSERT_EQ(mci.mciSendString(QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")), 0u);
    EXPECT_EQ(mci.mciSendString(QStringLiteral("play MyMedia")), MCIERR_WAVE_OUTPUTSUNSUITABLE);
    QString mode;
    mci.mciSendString(QStringLiteral("status MyMedia mode"), &mode);
    EXPECT_EQ(mode, QStringLiteral("stopped"));
}

// Random command strings from the command vocabulary, with devices open and time passing:
// every call returns, no device is left half made.
TEST_F(Mci, RandomCommandsNeverBreakTheService)
{
    const QString path = file(QStringLiteral("r r.wav"), pcmWave(8000, 16, 8000 * 2));
    registry.add(std::make_shared<fakes::FakeTrueSpeechDriver>());
    const QString ts = file(QStringLiteral("ts.wav"), trueSpeechWave(10));
    const QStringList words = {QStringLiteral("open"),
                               QStringLiteral("close"),
                               QStringLiteral("play"),
                               QStringLiteral("pause"),
                               QStringLiteral("resume"),
                               QStringLiteral("stop"),
                               QStringLiteral("seek"),
                               QStringLiteral("status"),
                               QStringLiteral("set"),
                               QStringLiteral("record"),
                               QStringLiteral("save"),
                               QStringLiteral("MyMedia"),
                               QStringLiteral("wave"),
                               QStringLiteral("new"),
                               QStringLiteral("alias"),
                               QStringLiteral("type"),
                               QStringLiteral("waveaudio"),
                               QStringLiteral("to"),
                               QStringLiteral("from"),
                               QStringLiteral("length"),
                               QStringLiteral("position"),
                               QStringLiteral("mode"),
                               QStringLiteral("start"),
                               QStringLiteral("end"),
                               QStringLiteral("all"),
                               QStringLiteral("\""),
                               QStringLiteral("0"),
                               QStringLiteral("99999999999999"),
                               QStringLiteral("samplespersec"),
                               QStringLiteral("channels"),
                               QStringLiteral("bitspersample"),
                               QStringLiteral("16"),
                               QStringLiteral("time"),
                               QStringLiteral("format"),
                               path,
                               ts,
                               home.path(QStringLiteral("out.wav"))};
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        QString command;
        const int n = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < n; ++k)
            command += words[static_cast<qsizetype>(rng() % words.size())] + QStringLiteral(" ");
        QString reply;
        mci.mciSendString(command, &reply);
        EXPECT_LE(reply.size(), 40) << command.toStdString();
        clock.advance(rng() % 300);
    }
    mci.mciSendString(QStringLiteral("close all"));
    EXPECT_EQ(mci.openDeviceCount(), 0u);
    EXPECT_EQ(acm.openStreamCount(), 0u);
}

// A recording compressed second by second through the built-in driver, as the recorder does,
// stored with the 90-byte header, then opened by the player: its length is the recording's.
TEST_F(Mci, BuiltInTrueSpeechRecordingPlaysForItsLength)
{
    AcmDriverRegistry builtIn;
    registerBuiltInAcmDrivers(builtIn);
    AcmService realAcm{builtIn};
    MciService player{clock, backend, &realAcm};

    const WAVEFORMATEX src{WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
    // The destination format is the file header's format record: 18 bytes and 32 extra.
    const QByteArray dstRecord = trueSpeechWave(0).mid(20, 50);
    HACMSTREAM has = nullptr;
    ASSERT_EQ(realAcm.acmStreamOpen(&has, nullptr, &src,
                                    reinterpret_cast<const WAVEFORMATEX*>(dstRecord.constData()), nullptr, 0,
                                    0, ACM_STREAMOPENF_NONREALTIME),
              0u);
    QByteArray compressed;
    for (int second = 0; second < 3; ++second) {
        QByteArray block(16000, '\0');
        for (int i = 0; i < 8000; ++i) {
            const double t = (second * 8000 + i) / 8000.0;
            qToLittleEndian<qint16>(
                static_cast<qint16>(std::lround(6000.0 * std::sin(2.0 * M_PI * 300.0 * t))),
                block.data() + 2 * i);
        }
        QByteArray out(1600, '\0');
        ACMSTREAMHEADER h{};
        h.cbStruct = 88;
        h.pbSrc = reinterpret_cast<std::uint8_t*>(block.data());
        h.cbSrcLength = 16000;
        h.pbDst = reinterpret_cast<std::uint8_t*>(out.data());
        h.cbDstLength = 1600;
        ASSERT_EQ(realAcm.acmStreamPrepareHeader(has, &h, 0), 0u);
        ASSERT_EQ(realAcm.acmStreamConvert(has, &h, 0), 0u);
        compressed += out.left(static_cast<qsizetype>(h.cbDstLengthUsed));
        realAcm.acmStreamUnprepareHeader(has, &h, 0);
    }
    realAcm.acmStreamClose(has, 0);
    ASSERT_EQ(compressed.size(), 100 * 32); // 24,000 samples are exactly 100 blocks

    QByteArray fileBytes = trueSpeechWave(0).left(90);
    qToLittleEndian<quint32>(static_cast<quint32>(compressed.size() + 82), fileBytes.data() + 4);
    qToLittleEndian<quint32>(static_cast<quint32>(compressed.size()), fileBytes.data() + 86);
    const QString path = file(QStringLiteral("A~L 02026-12-07~14-05-09~5551234.wav"), fileBytes + compressed);

    ASSERT_EQ(player.mciSendString(QStringLiteral("open ") + path + QStringLiteral(" alias MyMedia")), 0u);
    QString reply;
    player.mciSendString(QStringLiteral("status MyMedia length"), &reply);
    EXPECT_EQ(reply, QStringLiteral("3000"));
    player.mciSendString(QStringLiteral("play MyMedia"));
    clock.advance(2999);
    player.mciSendString(QStringLiteral("status MyMedia mode"), &reply);
    EXPECT_EQ(reply, QStringLiteral("playing"));
    clock.advance(1);
    player.mciSendString(QStringLiteral("status MyMedia mode"), &reply);
    EXPECT_EQ(reply, QStringLiteral("stopped"));
    player.mciSendString(QStringLiteral("close MyMedia"));
    EXPECT_EQ(realAcm.openStreamCount(), 0u);

    // What the player decodes is what ffmpeg decodes, sample for sample.
    if (qlnrec::test::haveCommand(QStringLiteral("ffmpeg"))) {
        PcmAudio decoded;
        ASSERT_EQ(decodeWave(readWaveFile(path), &realAcm, &decoded), 0u);
        const QString raw = home.path(QStringLiteral("ffmpeg.raw"));
        int exit = -1;
        runCommand(
            QStringLiteral("ffmpeg -v error -y -i '%1' -f s16le -acodec pcm_s16le '%2'").arg(path, raw),
            &exit);
        ASSERT_EQ(exit, 0);
        EXPECT_EQ(decoded.samples, readFile(raw));
    }
}

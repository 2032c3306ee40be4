// Recording names, the two WAVE layouts and the file writer, each file read back by an
// independent reader where one is installed.
#include "audio/recording_name.h"
#include "audio/recording_writer.h"
#include "audio/wave_layouts.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <gtest/gtest.h>

using namespace qlnrec;
using audio::OutputFormat;
using audio::WriteOutcome;

namespace {

std::uint32_t u32At(const QByteArray& b, int offset)
{
    return qFromLittleEndian<std::uint32_t>(b.constData() + offset);
}

QByteArray pattern(int bytes)
{
    QByteArray b(bytes, '\0');
    for (int i = 0; i < bytes; ++i) {
        b[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    }
    return b;
}

// Python's wave module: channels, sample width, rate and frame count.
QString pythonWaveInfo(const QString& path)
{
    return test::runCommand(QStringLiteral("python3 -c \"import wave,sys; w=wave.open(sys.argv[1]); "
                                           "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), "
                                           "w.getnframes())\" '%1'")
                                .arg(path))
        .trimmed();
}

} // namespace

TEST(RecordingName, BuildsKindLineDateNumberAndName)
{
    const QDateTime when(QDate(2026, 12, 7), QTime(14, 5, 9));
    EXPECT_EQ(audio::buildRecordingName("A", 0, when, "~5551234", ""),
              "A~L 02026-12-07~14-05-09~5551234.wav");
    EXPECT_EQ(audio::buildRecordingName("M", 3, when, "~5551234", "Jones"),
              "M~L 32026-12-07~14-05-09~5551234Jones.wav");
    EXPECT_EQ(audio::buildRecordingName("O", 1, QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)), "", ""),
              "O~L 12027-01-02~03-04-05.wav");
    EXPECT_EQ(audio::tempFileName(0), "qlnt0");
    EXPECT_EQ(audio::tempFileName(3), "qlnt3");
}

TEST(RecordingName, CleaningReplacesEveryUnsafeCharacterAndNothingElse)
{
    // Each unsafe kind, several times, mixed: none may reach the file system.
    EXPECT_EQ(audio::cleanRecordingName("M~L 0x~a/b*c/d.wav"), "M~L 0x~a@b@c@d.wav");
    EXPECT_EQ(audio::cleanRecordingName("A~L 0~\\?<>|\"x\".wav"), "A~L 0~@@@@@@x@.wav");
    EXPECT_EQ(audio::cleanRecordingName(QString("A~L 0~a") + QChar(u'\n') + QChar(u'\x1f') + QChar(u'\x7f') +
                                        "b.wav"),
              "A~L 0~a@@@b.wav");
    EXPECT_EQ(audio::cleanRecordingName("O~L 12026-12-07~14-05-09~*72.wav"),
              "O~L 12026-12-07~14-05-09~@72.wav");
    // Ordinary callers keep their names, dots, blanks, accents and all.
    const QString ordinary = QString::fromUtf8("A~L 02026-12-07~14-05-09~5551234J. O'Brien-Müller 李.wav");
    EXPECT_EQ(audio::cleanRecordingName(ordinary), ordinary);
    EXPECT_EQ(audio::cleanRecordingName("A~L 0..~..wav"), "A~L 0..~..wav");
    const QString cleaned = audio::cleanRecordingName("A~L 0~../../etc/passwd.wav");
    EXPECT_FALSE(cleaned.contains('/'));
}

TEST(RecordingName, OverlongNamesAreShortenedKeepingTheExtension)
{
    const QString longName = "A~L 0~" + QString(300, QChar(u'é')) + ".wav";
    const QString cleaned = audio::cleanRecordingName(longName);
    EXPECT_LE(cleaned.toUtf8().size(), audio::kMaxRecordingNameBytes);
    EXPECT_TRUE(cleaned.endsWith(".wav"));
    EXPECT_TRUE(cleaned.startsWith("A~L 0~éé"));
    EXPECT_EQ(cleaned.toUtf8(), QString::fromUtf8(cleaned.toUtf8()).toUtf8()); // no split character
}

TEST(WaveLayouts, HeadersByteForByte)
{
    // 4,956 data bytes, PCM: RIFF size L + 36, fmt 16 bytes, PCM mono 8000 Hz 16000 B/s, 2, 16.
    EXPECT_EQ(audio::pcmWaveHeader(4956).toHex(),
              "524946468013000057415645666d74201000000001000100401f0000803e0000"
              "02001000646174615c130000");
    // 1,067,000 bytes, TrueSpeech: RIFF size L + 82, fmt 50 bytes (tag 34, 1067 B/s, block 32,
    // 1 bit, 32 extra: revision 1, 240 samples per block, 28 zeros), fact 8,000,000 samples.
    EXPECT_EQ(audio::trueSpeechWaveHeader(1067000).toHex(),
              QByteArray("524946464a48100057415645666d74203200000022000100401f00002b040000200001002000"
                         "0100f000") +
                  QByteArray(56, '0') + "666163740400000000127a0064617461f8471000");
    // The format record handed to the codec is the same 50 bytes as the file's fmt chunk.
    const audio::TrueSpeechFormat f = audio::trueSpeechFormat();
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(&f), 50), audio::trueSpeechWaveHeader(0).mid(20, 50));
}

TEST(WaveLayouts, SampleCountNeedsMoreThan32Bits)
{
    // 500,000,000 x 8000 overflows 32 bits; the count must still be exact.
    EXPECT_EQ(audio::trueSpeechSampleCount(500000000), 3748828491u);
    EXPECT_EQ(audio::trueSpeechSampleCount(1066), 7992u);
    EXPECT_EQ(audio::trueSpeechSampleCount(0), 0u);
}

class WriterTest : public ::testing::Test {
protected:
    test::TempHome home;
    QString dir = home.path("rec/");
    void SetUp() override { QDir().mkpath(dir); }
    QString temp(const QByteArray& bytes)
    {
        test::writeFile(dir + "qlnt0", bytes);
        return dir + "qlnt0";
    }
};

TEST_F(WriterTest, PcmThresholdKeeps4956BytesButNot4955)
{
    const QByteArray keep = pattern(4956);
    EXPECT_EQ(audio::writeWaveFromTemp(temp(keep), dir + "keep.wav", OutputFormat::Pcm),
              WriteOutcome::Written);
    const QByteArray file = test::readFile(dir + "keep.wav");
    EXPECT_EQ(file.size(), 5000);
    EXPECT_EQ(file.mid(44), keep);
    if (test::haveCommand("python3")) {
        EXPECT_EQ(pythonWaveInfo(dir + "keep.wav"), "1 2 8000 2478");
    }

    EXPECT_EQ(audio::writeWaveFromTemp(temp(pattern(4955)), dir + "short.wav", OutputFormat::Pcm),
              WriteOutcome::TooShort);
    EXPECT_TRUE(QFile::exists(dir + "short.wav"));
    EXPECT_EQ(QFile(dir + "short.wav").size(), 0);
}

TEST_F(WriterTest, TrueSpeechThresholdIs4910DataBytes)
{
    EXPECT_EQ(audio::writeWaveFromTemp(temp(pattern(4910)), dir + "ts.wav", OutputFormat::TrueSpeech),
              WriteOutcome::Written);
    EXPECT_EQ(QFile(dir + "ts.wav").size(), 5000);
    EXPECT_EQ(audio::writeWaveFromTemp(temp(pattern(4909)), dir + "ts2.wav", OutputFormat::TrueSpeech),
              WriteOutcome::TooShort);
    if (test::haveCommand("ffprobe")) {
        const QString out = test::runCommand(
            QString("ffprobe -v error -show_entries stream=codec_name,sample_rate,channels -of csv=p=0 '%1'")
                .arg(dir + "ts.wav"));
        EXPECT_EQ(out.trimmed(), "truespeech,8000,1");
    }
}

TEST_F(WriterTest, CopiesInFixedBlocksWithAShortTail)
{
    const QByteArray data = pattern(10241); // 5120 + 5120 + 1
    EXPECT_EQ(audio::writeWaveFromTemp(temp(data), dir + "copy.wav", OutputFormat::Pcm),
              WriteOutcome::Written);
    const QByteArray file = test::readFile(dir + "copy.wav");
    ASSERT_EQ(file.size(), 44 + 10241);
    EXPECT_EQ(file.mid(44), data);
    EXPECT_EQ(u32At(file, 4), 10241u + 36u);
    if (test::haveCommand("sox")) {
        const QString info = test::runCommand(QString("sox --i -r '%1'").arg(dir + "copy.wav")).trimmed();
        EXPECT_EQ(info, "8000");
    }
}

TEST_F(WriterTest, MissingTemporaryFileLeavesAnEmptyOutput)
{
    EXPECT_EQ(audio::writeWaveFromTemp(dir + "absent", dir + "none.wav", OutputFormat::Pcm),
              WriteOutcome::TooShort);
    EXPECT_EQ(QFile(dir + "none.wav").size(), 0);
    EXPECT_EQ(audio::writeWaveFromTemp(temp(pattern(6000)), dir + "no/such/folder.wav", OutputFormat::Pcm),
              WriteOutcome::Failed);
}

TEST_F(WriterTest, AppendsBlocksToThePerLineTemporaryFile)
{
    audio::RecordingWriter writer(dir);
    EXPECT_EQ(writer.tempFilePath(3), dir + "qlnt3");
    ASSERT_TRUE(writer.AppendBlock(3, "abc", 3));
    ASSERT_TRUE(writer.AppendBlock(3, "de", 2));
    EXPECT_EQ(test::readFile(dir + "qlnt3"), "abcde");
    writer.deleteTempFile(3);
    EXPECT_FALSE(QFile::exists(dir + "qlnt3"));
    audio::RecordingWriter nowhere(dir + "missing/");
    EXPECT_FALSE(nowhere.AppendBlock(0, "x", 1));
}

TEST_F(WriterTest, AnEarlierRecordingWithDataIsNeverOverwritten)
{
    EXPECT_EQ(audio::unusedRecordingName(dir, "A.wav"), "A.wav");
    test::writeFile(dir + "A.wav", "");
    EXPECT_EQ(audio::unusedRecordingName(dir, "A.wav"), "A.wav"); // an empty leftover may go
    test::writeFile(dir + "A.wav", "RIFF");
    EXPECT_EQ(audio::unusedRecordingName(dir, "A.wav"), "A (2).wav");
    test::writeFile(dir + "A (2).wav", "RIFF");
    EXPECT_EQ(audio::unusedRecordingName(dir, "A.wav"), "A (3).wav");
}

#include "platform/riff/mmio.h"
#include "platform/riff/wave_file.h"
#include "tests/platform/riff/riff_fuzz_entry.h"
#include "tests/support/temp_home.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <random>

using namespace qlnrec::platform;
using qlnrec::test::TempHome;

namespace {

QByteArray le32(std::uint32_t v)
{
    QByteArray b(4, '\0');
    qToLittleEndian<quint32>(v, b.data());
    return b;
}

QByteArray le16(std::uint16_t v)
{
    QByteArray b(2, '\0');
    qToLittleEndian<quint16>(v, b.data());
    return b;
}

// A chunk with its pad byte; declared overrides the size field.
QByteArray chunk(const char* id, const QByteArray& payload, qint64 declared = -1)
{
    QByteArray c(id, 4);
    c += le32(declared >= 0 ? static_cast<std::uint32_t>(declared)
                            : static_cast<std::uint32_t>(payload.size()));
    c += payload;
    if (payload.size() % 2)
        c += '\0';
    return c;
}

QByteArray riff(const char* form, const QByteArray& body, qint64 declared = -1)
{
    return chunk("RIFF", QByteArray(form, 4) + body, declared);
}

QByteArray pcmFmt(std::uint32_t rate = 8000, std::uint16_t bits = 16)
{
    const std::uint16_t align = bits / 8;
    return chunk("fmt ", le16(1) + le16(1) + le32(rate) + le32(rate * align) + le16(align) + le16(bits));
}

QByteArray samples(int n)
{
    QByteArray s;
    for (int i = 0; i < n; ++i)
        s += static_cast<char>(i * 37 + 11);
    return s;
}

WaveFileData read(const QByteArray& bytes)
{
    return readWaveMemory(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size()));
}

struct RiffFiles : ::testing::Test {
    TempHome home;
    QString write(const QString& name, const QByteArray& bytes)
    {
        const QString path = home.path(name);
        qlnrec::test::writeFile(path, bytes);
        return path;
    }
};

} // namespace

TEST(Fourcc, PadsWithBlanksAndUppercasesOnRequest)
{
    EXPECT_EQ(mmioStringToFOURCC("fmt", 0), makeFourCC('f', 'm', 't', ' '));
    EXPECT_EQ(mmioStringToFOURCC("wave", MMIO_TOUPPER), makeFourCC('W', 'A', 'V', 'E'));
    EXPECT_EQ(mmioStringToFOURCC("datalong", 0), makeFourCC('d', 'a', 't', 'a'));
    EXPECT_EQ(mmioStringToFOURCC("", 0), makeFourCC(' ', ' ', ' ', ' '));
    EXPECT_EQ(mmioStringToFOURCC(nullptr, 0), makeFourCC(' ', ' ', ' ', ' '));
}

// The prompt loader's sequence: find the WAVE form, read 18 bytes of "fmt", ascend, find
// "data", read it whole.
TEST_F(RiffFiles, PromptLoaderSequenceOnPcmFile)
{
    const QByteArray data = samples(16001); // odd: a pad byte follows
    const QString path = write("Greeting.wav", riff("WAVE", pcmFmt() + chunk("data", data)));

    MMIOINFO info;
    HMMIO h = mmioOpen(path, &info, MMIO_READ);
    ASSERT_NE(h, nullptr);
    MMCKINFO parent;
    parent.fccType = mmioStringToFOURCC("WAVE", 0);
    ASSERT_EQ(mmioDescend(h, &parent, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(parent.ckid, FOURCC_RIFF);
    EXPECT_EQ(parent.dwDataOffset, 8u);
    EXPECT_EQ(parent.cksize, 4u + 24u + 8u + 16002u);

    MMCKINFO child;
    child.ckid = mmioStringToFOURCC("fmt", 0);
    ASSERT_EQ(mmioDescend(h, &child, &parent, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(child.cksize, 16u);
    EXPECT_EQ(child.dwDataOffset, 20u);
    WAVEFORMATEX format{};
    EXPECT_EQ(mmioRead(h, reinterpret_cast<char*>(&format), 18), 18);
    EXPECT_EQ(format.wFormatTag, WAVE_FORMAT_PCM);
    EXPECT_EQ(format.nSamplesPerSec, 8000u);
    EXPECT_EQ(format.nBlockAlign, 2);
    EXPECT_EQ(mmioAscend(h, &child, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_CUR), 36);

    child.ckid = mmioStringToFOURCC("data", 0);
    ASSERT_EQ(mmioDescend(h, &child, &parent, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    ASSERT_EQ(child.cksize, 16001u);
    QByteArray got(static_cast<qsizetype>(child.cksize), '\0');
    EXPECT_EQ(mmioRead(h, got.data(), static_cast<std::int32_t>(child.cksize)), 16001);
    EXPECT_EQ(got, data);
    EXPECT_EQ(mmioRead(h, got.data(), 10), 1); // the pad byte, then the end
    EXPECT_EQ(mmioRead(h, got.data(), 10), 0);
    EXPECT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);

    const WaveFileData wave = readWaveFile(path);
    ASSERT_TRUE(wave.ok()) << wave.errorText.toStdString();
    EXPECT_EQ(wave.data, data);
    EXPECT_EQ(wave.durationMs(), 1000u);
}

TEST(WaveReader, TrueSpeechLayoutWithExtraBytesAndFact)
{
    QByteArray fmt = le16(34) + le16(1) + le32(8000) + le32(1067) + le16(32) + le16(1) + le16(32);
    fmt += le16(1) + le16(240) + QByteArray(28, '\0');
    const QByteArray body = chunk("fmt ", fmt) + chunk("fact", le32(7997)) + chunk("data", samples(1067));
    const QByteArray file = riff("WAVE", body);
    ASSERT_EQ(file.size(), 90 + 1067 + 1); // the 90-byte header, the data and its pad byte

    const WaveFileData wave = read(file);
    ASSERT_TRUE(wave.ok());
    EXPECT_EQ(wave.format.wFormatTag, 34);
    EXPECT_EQ(wave.format.cbSize, 32);
    ASSERT_EQ(wave.extra.size(), 32u);
    EXPECT_EQ(wave.extra[0], 1);
    EXPECT_EQ(wave.extra[2], 240);
    EXPECT_TRUE(wave.hasFact);
    EXPECT_EQ(wave.factSamples, 7997u);
    EXPECT_EQ(wave.data.size(), 1067);
    EXPECT_EQ(wave.formatRecord().size(), 50);
    EXPECT_EQ(wave.durationMs(), 1000u);
}

TEST(WaveReader, SkipsOtherChunksAndPadBytes)
{
    const QByteArray data = samples(100);
    // A LIST chunk of odd size between fmt and data, and a junk chunk before fmt.
    const QByteArray body = chunk("JUNK", samples(3)) + pcmFmt() + chunk("LIST", QByteArray("INFOabcde", 9)) +
                            chunk("data", data);
    const WaveFileData wave = read(riff("WAVE", body));
    ASSERT_TRUE(wave.ok()) << wave.errorText.toStdString();
    EXPECT_EQ(wave.data, data);
    EXPECT_FALSE(wave.hasFact);

    // A file that starts with another RIFF form and holds the WAVE form second.
    const QByteArray two =
        riff("AVI ", chunk("xxxx", samples(5))) + riff("WAVE", pcmFmt() + chunk("data", data));
    EXPECT_EQ(read(two).data, data);
}

TEST(WaveReader, TruncatedAndOversizedChunksAreCutToTheFile)
{
    const QByteArray data = samples(1000);
    // Data size claims far more than is there; RIFF size too.
    QByteArray file = riff("WAVE", pcmFmt() + chunk("data", data, 0xFFFFFFF0), 0xFFFFFFF8);
    WaveFileData wave = read(file);
    ASSERT_TRUE(wave.ok());
    EXPECT_EQ(wave.data, data);

    // The same through the chunk calls: cksize is what the file holds.
    MMIOINFO info;
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = file.constData();
    info.cchBuffer = static_cast<std::int32_t>(file.size());
    HMMIO h = mmioOpen(QString(), &info, MMIO_READ);
    ASSERT_NE(h, nullptr);
    MMCKINFO parent;
    parent.fccType = mmioStringToFOURCC("WAVE", 0);
    ASSERT_EQ(mmioDescend(h, &parent, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    EXPECT_EQ(parent.cksize, static_cast<std::uint32_t>(file.size() - 8));
    MMCKINFO ck;
    ck.ckid = mmioStringToFOURCC("data", 0);
    ASSERT_EQ(mmioDescend(h, &ck, &parent, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_EQ(ck.cksize, 1000u);
    EXPECT_EQ(mmioAscend(h, &ck, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_CUR), file.size());
    mmioClose(h, 0);

    // A file cut in the middle of the samples keeps what is there.
    const QByteArray whole = riff("WAVE", pcmFmt() + chunk("data", data));
    wave = read(whole.left(44 + 301));
    ASSERT_TRUE(wave.ok());
    EXPECT_EQ(wave.data, data.left(301));

    // Cut inside the data chunk header, inside "fmt ", inside the RIFF header.
    EXPECT_EQ(read(whole.left(40)).error, MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(read(whole.left(30)).error, MMIOERR_INVALIDFILE);
    EXPECT_EQ(read(whole.left(10)).error, MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(read(QByteArray()).error, MMIOERR_CHUNKNOTFOUND);

    // A huge chunk before "data" sends the search past the end: not found, no hang.
    wave = read(riff("WAVE", pcmFmt() + chunk("JUNK", samples(8), 0xFFFFFFF0) + chunk("data", data)));
    EXPECT_EQ(wave.error, MMIOERR_CHUNKNOTFOUND);
}

TEST(WaveReader, MissingOrBadPartsGiveClearErrors)
{
    const QByteArray data = samples(10);
    EXPECT_EQ(read(QByteArray("not a wave file at all, just some text")).error, MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(read(riff("AVI ", pcmFmt() + chunk("data", data))).error, MMIOERR_CHUNKNOTFOUND);

    WaveFileData wave = read(riff("WAVE", chunk("data", data)));
    EXPECT_EQ(wave.error, MMIOERR_CHUNKNOTFOUND);
    EXPECT_EQ(wave.errorText, QStringLiteral("No \"fmt \" chunk"));

    wave = read(riff("WAVE", pcmFmt()));
    EXPECT_EQ(wave.errorText, QStringLiteral("No \"data\" chunk"));

    // "fmt " shorter than the 16-byte record.
    EXPECT_EQ(read(riff("WAVE", chunk("fmt ", samples(14)) + chunk("data", data))).error,
              MMIOERR_INVALIDFILE);
    // Zero channels or zero block alignment cannot be played.
    QByteArray zero = chunk("fmt ", le16(1) + le16(0) + le32(8000) + le32(16000) + le16(2) + le16(16));
    EXPECT_EQ(read(riff("WAVE", zero + chunk("data", data))).error, MMIOERR_INVALIDFILE);
    // Extra size larger than the chunk: only the bytes present are taken.
    QByteArray big =
        le16(34) + le16(1) + le32(8000) + le32(1067) + le16(32) + le16(1) + le16(500) + samples(4);
    wave = read(riff("WAVE", chunk("fmt ", big) + chunk("data", data)));
    ASSERT_TRUE(wave.ok());
    EXPECT_EQ(wave.extra.size(), 4u);
    EXPECT_EQ(wave.format.cbSize, 4);
    // An empty data chunk is a valid, silent file.
    wave = read(riff("WAVE", pcmFmt() + chunk("data", QByteArray())));
    ASSERT_TRUE(wave.ok());
    EXPECT_TRUE(wave.data.isEmpty());
    EXPECT_EQ(wave.durationMs(), 0u);
}

TEST_F(RiffFiles, OpenFailuresAndBadHandles)
{
    MMIOINFO info;
    EXPECT_EQ(mmioOpen(home.path("missing.wav"), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_FILENOTFOUND);
    EXPECT_EQ(mmioOpen(home.path("no/such/dir/x.wav"), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_PATHNOTFOUND);
    EXPECT_EQ(mmioOpen(home.root(), &info, MMIO_READ), nullptr);
    EXPECT_EQ(info.wErrorRet, MMIOERR_CANNOTOPEN);
    EXPECT_EQ(mmioOpen(QString(), nullptr, MMIO_READ), nullptr);
    const QString path = write("x.wav", riff("WAVE", pcmFmt() + chunk("data", samples(4))));
    EXPECT_EQ(mmioOpen(path, &info, MMIO_WRITE), nullptr);
    EXPECT_EQ(info.wErrorRet, MMSYSERR_NOTSUPPORTED);
    const WaveFileData missing = readWaveFile(home.path("gone.wav"));
    EXPECT_EQ(missing.error, MMIOERR_FILENOTFOUND);
    EXPECT_TRUE(missing.errorText.startsWith(QStringLiteral("File not found")));

    HMMIO h = mmioOpen(path.toUtf8().constData(), nullptr, MMIO_READ);
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(mmioClose(h, 0), MMSYSERR_NOERROR);
    // Stale, null and made-up handles are refused without being touched.
    static int notAFile = 0;
    for (HMMIO bad : {h, HMMIO{}, reinterpret_cast<HMMIO>(&notAFile)}) {
        MMCKINFO ck;
        char buffer[4];
        EXPECT_EQ(mmioDescend(bad, &ck, nullptr, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioRead(bad, buffer, 4), -1);
        EXPECT_EQ(mmioAscend(bad, &ck, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(mmioSeek(bad, 0, MMIO_SEEK_SET), -1);
        EXPECT_EQ(mmioClose(bad, 0), MMSYSERR_INVALHANDLE);
    }

    h = mmioOpen(path, nullptr, MMIO_READ);
    MMCKINFO ck;
    EXPECT_EQ(mmioDescend(h, nullptr, nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(mmioDescend(h, &ck, nullptr, MMIO_FINDCHUNK | MMIO_FINDRIFF), MMSYSERR_INVALFLAG);
    EXPECT_EQ(mmioRead(h, nullptr, 4), -1);
    EXPECT_EQ(mmioRead(h, nullptr, 0), 0);
    EXPECT_EQ(mmioSeek(h, -1, MMIO_SEEK_SET), -1);
    EXPECT_EQ(mmioSeek(h, 0, 7), -1);
    // Without a search flag the chunk at the position is entered, its form type read.
    ASSERT_EQ(mmioDescend(h, &ck, nullptr, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(ck.ckid, FOURCC_RIFF);
    EXPECT_EQ(ck.fccType, mmioStringToFOURCC("WAVE", 0));
    EXPECT_EQ(mmioSeek(h, 0, MMIO_SEEK_CUR), 12);
    mmioClose(h, 0);
}

TEST_F(RiffFiles, ReadsWhatSoxWrites)
{
    if (!qlnrec::test::haveCommand(QStringLiteral("sox")))
        GTEST_SKIP() << "sox is not installed";
    const QString path = home.path("tone.wav");
    int exit = -1;
    qlnrec::test::runCommand(
        QStringLiteral("sox -n -r 11025 -b 16 -c 1 '%1' synth 0.5 sine 440 2>&1").arg(path), &exit);
    ASSERT_EQ(exit, 0);
    const WaveFileData wave = readWaveFile(path);
    ASSERT_TRUE(wave.ok()) << wave.errorText.toStdString();
    EXPECT_EQ(wave.format.nSamplesPerSec, 11025u);
    EXPECT_EQ(wave.format.wBitsPerSample, 16);
    EXPECT_EQ(wave.format.nChannels, 1);
    const QString sampleCount =
        qlnrec::test::runCommand(QStringLiteral("sox --i -s '%1'").arg(path)).trimmed();
    EXPECT_EQ(wave.data.size(), sampleCount.toInt() * 2);
}

TEST(WaveReader, HeaderWriterRoundTrip)
{
    const QByteArray data = samples(22050);
    const QByteArray header = pcmWaveHeader(11025, 1, 16, static_cast<std::uint32_t>(data.size()));
    ASSERT_EQ(header.size(), 44);
    EXPECT_EQ(qFromLittleEndian<quint32>(header.constData() + 4), 22050u + 36u);
    const WaveFileData wave = read(header + data);
    ASSERT_TRUE(wave.ok());
    EXPECT_EQ(wave.format.nAvgBytesPerSec, 22050u);
    EXPECT_EQ(wave.data, data);
    EXPECT_EQ(wave.durationMs(), 1000u);
}

// The fuzz entry point over random bytes and over mutations of valid files: nothing may crash
// or read outside the input (the sanitizer build checks the latter).
TEST(RiffFuzzSmoke, RandomAndMutatedInputs)
{
    std::mt19937 rng(20261207);
    std::vector<QByteArray> seeds = {
        riff("WAVE", pcmFmt() + chunk("data", samples(64))),
        riff("WAVE", chunk("fmt ", le16(34) + le16(1) + le32(8000) + le32(1067) + le16(32) + le16(1) +
                                       le16(32) + le16(1) + le16(240) + QByteArray(28, '\0')) +
                         chunk("fact", le32(240)) + chunk("data", samples(32))),
        riff("WAVE",
             chunk("LIST", riff("INFO", chunk("INAM", samples(3)))) + pcmFmt() + chunk("data", samples(7))),
    };
    int inputs = 0;
    for (int i = 0; i < 1500; ++i) {
        QByteArray random(static_cast<qsizetype>(rng() % 200), '\0');
        for (auto& c : random)
            c = static_cast<char>(rng());
        if (i % 3 == 0 && random.size() >= 12)
            random.replace(0, 4, "RIFF").replace(8, 4, "WAVE");
        qlnrec::test::fuzzRiffOnce(reinterpret_cast<const std::uint8_t*>(random.constData()),
                                   static_cast<std::size_t>(random.size()));
        ++inputs;
    }
    for (int i = 0; i < 3000; ++i) {
        QByteArray m = seeds[i % seeds.size()];
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int e = 0; e < edits; ++e) {
            switch (rng() % 4) {
            case 0: // flip a byte
                m[static_cast<qsizetype>(rng() % m.size())] = static_cast<char>(rng());
                break;
            case 1: // write an extreme size at a random place
                m.replace(static_cast<qsizetype>(rng() % m.size()), 4, le32(rng() % 2 ? 0xFFFFFFFFu : rng()));
                break;
            case 2: // cut
                m.truncate(static_cast<qsizetype>(rng() % (m.size() + 1)));
                break;
            default: // duplicate a slice
                if (!m.isEmpty()) {
                    const auto at = static_cast<qsizetype>(rng() % m.size());
                    m.insert(at, m.mid(at, static_cast<qsizetype>(rng() % 16)));
                }
            }
            if (m.isEmpty())
                break;
        }
        qlnrec::test::fuzzRiffOnce(reinterpret_cast<const std::uint8_t*>(m.constData()),
                                   static_cast<std::size_t>(m.size()));
        ++inputs;
    }
    EXPECT_EQ(inputs, 4500);
}

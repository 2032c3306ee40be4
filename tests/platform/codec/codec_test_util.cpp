#include "tests/platform/codec/codec_test_util.h"

#include "tests/support/temp_home.h"

#include <QFile>

#include <algorithm>
#include <cmath>

namespace qlnrec::test {

namespace {

void put32(Bytes& b, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    }
}

void put16(Bytes& b, std::uint16_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void putTag(Bytes& b, const char* tag)
{
    // Byte by byte: a range insert into an empty vector trips GCC 12's stringop-overflow check.
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<std::uint8_t>(tag[i]));
    }
}

Samples samplesOf(const QByteArray& raw)
{
    Samples s(static_cast<std::size_t>(raw.size()) / 2);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto lo = static_cast<std::uint8_t>(raw[static_cast<qsizetype>(2 * i)]);
        const auto hi = static_cast<std::uint8_t>(raw[static_cast<qsizetype>(2 * i + 1)]);
        s[i] = static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | hi << 8));
    }
    return s;
}

QString quoted(const QString& path)
{
    return QLatin1Char('\'') + path + QLatin1Char('\'');
}

} // namespace

Bytes trueSpeechWave(const Bytes& blocks)
{
    const auto length = static_cast<std::uint32_t>(blocks.size());
    Bytes b;
    putTag(b, "RIFF");
    put32(b, length + 82);
    putTag(b, "WAVE");
    putTag(b, "fmt ");
    put32(b, 50);
    put16(b, 34);
    put16(b, 1);
    put32(b, 8000);
    put32(b, 1067);
    put16(b, 32);
    put16(b, 1);
    put16(b, 32);
    put16(b, 1);
    put16(b, 240);
    b.insert(b.end(), 28, 0);
    putTag(b, "fact");
    put32(b, 4);
    put32(b, static_cast<std::uint32_t>(static_cast<std::uint64_t>(length) * 8000 / 1067));
    putTag(b, "data");
    put32(b, length);
    b.insert(b.end(), blocks.begin(), blocks.end());
    return b;
}

std::optional<Samples> decodeWithFfmpeg(const Bytes& blocks, const QString& workFolder)
{
    if (!haveCommand(QStringLiteral("ffmpeg"))) {
        return std::nullopt;
    }
    const QString in = workFolder + QStringLiteral("/ts.wav");
    const QString out = workFolder + QStringLiteral("/ts.raw");
    const Bytes wave = trueSpeechWave(blocks);
    writeFile(in,
              QByteArray(reinterpret_cast<const char*>(wave.data()), static_cast<qsizetype>(wave.size())));
    int rc = -1;
    runCommand(
        QStringLiteral("ffmpeg -nostdin -loglevel error -y -i %1 -f s16le %2").arg(quoted(in), quoted(out)),
        &rc);
    if (rc != 0) {
        return std::nullopt;
    }
    return samplesOf(readFile(out));
}

Samples speakAt8kHz(const QString& voice, const QString& text, const QString& workFolder)
{
    if (!haveCommand(QStringLiteral("espeak-ng")) || !haveCommand(QStringLiteral("sox"))) {
        return {};
    }
    const QString textFile = workFolder + QStringLiteral("/text.txt");
    const QString spoken = workFolder + QStringLiteral("/spoken.wav");
    const QString raw = workFolder + QStringLiteral("/spoken.raw");
    writeFile(textFile, text.toUtf8());
    int rc = -1;
    runCommand(QStringLiteral("espeak-ng -v %1 -f %2 -w %3").arg(voice, quoted(textFile), quoted(spoken)),
               &rc);
    if (rc != 0) {
        return {};
    }
    runCommand(QStringLiteral("sox %1 -r 8000 -c 1 -b 16 -e signed-integer -t raw %2")
                   .arg(quoted(spoken), quoted(raw)),
               &rc);
    if (rc != 0) {
        return {};
    }
    return samplesOf(readFile(raw));
}

double segmentalSnrDb(const Samples& reference, const Samples& test)
{
    const std::size_t n = std::min(reference.size(), test.size());
    const double quiet = 240.0 * std::pow(32768.0 * std::pow(10.0, -50.0 / 20.0), 2.0);
    double total = 0;
    int frames = 0;
    for (std::size_t start = 0; start + 240 <= n; start += 240) {
        double signal = 0;
        double noise = 0;
        for (std::size_t i = start; i < start + 240; ++i) {
            const double r = reference[i];
            const double d = r - test[i];
            signal += r * r;
            noise += d * d;
        }
        if (signal < quiet) {
            continue;
        }
        const double snr = 10.0 * std::log10(signal / std::max(noise, 1e-9));
        total += std::clamp(snr, -10.0, 40.0);
        ++frames;
    }
    return frames > 0 ? total / frames : 0.0;
}

int longestRunAtLimit(const Samples& s, int limit)
{
    int best = 0;
    int run = 0;
    for (const std::int16_t v : s) {
        run = (std::abs(static_cast<int>(v)) >= limit) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

} // namespace qlnrec::test

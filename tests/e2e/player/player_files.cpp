#include "tests/e2e/player/player_files.h"

#include "audio/recording_writer.h"
#include "platform/codec/truespeech_encoder.h"

#include <QFile>

#include <cmath>
#include <numbers>
#include <vector>

namespace qlnrec::test {

std::int16_t playerToneSample(long n)
{
    // A sweep from 300 to 1,500 Hz every four seconds under a slowly varying level: no stretch of
    // it looks like another, so a copy lines up with it in one place only.
    const double t = static_cast<double>(n % 32000) / 8000.0;
    const double level = 0.45 + 0.3 * std::sin(2 * std::numbers::pi * 1.3 * static_cast<double>(n) / 8000.0);
    return static_cast<std::int16_t>(12000.0 * level *
                                     std::sin(2 * std::numbers::pi * (300.0 * t + 150.0 * t * t)));
}

bool writePlayerRecording(const QString& path, double seconds, PlayerFormat format)
{
    const long count = std::lround(seconds * 8000);
    std::vector<std::int16_t> samples(static_cast<std::size_t>(count));
    for (long n = 0; n < count; ++n) {
        samples[static_cast<std::size_t>(n)] = playerToneSample(n);
    }
    QByteArray data;
    if (format == PlayerFormat::Pcm) {
        data = QByteArray(reinterpret_cast<const char*>(samples.data()), static_cast<qsizetype>(count * 2));
    } else {
        platform::TrueSpeechEncoder encoder;
        std::uint8_t block[platform::kTrueSpeechBlockBytes];
        for (long at = 0; at + platform::kTrueSpeechFrameSamples <= count;
             at += platform::kTrueSpeechFrameSamples) {
            encoder.encodeBlock(samples.data() + at, block);
            data.append(reinterpret_cast<const char*>(block), platform::kTrueSpeechBlockBytes);
        }
    }
    const QString temp = path + QStringLiteral(".raw");
    QFile raw(temp);
    if (!raw.open(QIODevice::WriteOnly) || raw.write(data) != data.size()) {
        return false;
    }
    raw.close();
    const auto outcome = audio::writeWaveFromTemp(
        temp, path, format == PlayerFormat::Pcm ? audio::OutputFormat::Pcm : audio::OutputFormat::TrueSpeech);
    QFile::remove(temp);
    return outcome == audio::WriteOutcome::Written;
}

} // namespace qlnrec::test

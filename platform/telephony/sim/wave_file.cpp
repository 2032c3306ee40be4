#include "platform/telephony/sim/wave_file.h"

#include "platform/wave/pcm_converter.h"

#include <QFile>
#include <QSaveFile>

#include <cstring>

namespace qlnrec::platform {

namespace {

std::uint32_t le32(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint32_t>(u[0]) | (static_cast<std::uint32_t>(u[1]) << 8) |
           (static_cast<std::uint32_t>(u[2]) << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
}

std::uint16_t le16(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}

void put32(QByteArray& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) {
        out.append(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
}

void put16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

} // namespace

bool parseWaveAs8kMono(const QByteArray& bytes, std::vector<std::int16_t>& samples, QString* error)
{
    auto fail = [&](const QString& why) {
        if (error) {
            *error = why;
        }
        return false;
    };
    if (bytes.size() < 12 || std::memcmp(bytes.constData(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.constData() + 8, "WAVE", 4) != 0) {
        return fail(QStringLiteral("not a RIFF WAVE file"));
    }
    const qsizetype end = bytes.size();
    qsizetype pos = 12;
    WAVEFORMATEX format{};
    bool haveFormat = false;
    const char* data = nullptr;
    qsizetype dataSize = 0;
    while (pos + 8 <= end) {
        const char* id = bytes.constData() + pos;
        const std::uint32_t size = le32(id + 4);
        const qsizetype body = pos + 8;
        const qsizetype available = std::min<qsizetype>(static_cast<qsizetype>(size), end - body);
        if (std::memcmp(id, "fmt ", 4) == 0) {
            if (available < 16) {
                return fail(QStringLiteral("format chunk too short"));
            }
            const char* f = bytes.constData() + body;
            format =
                WAVEFORMATEX{le16(f), le16(f + 2), le32(f + 4), le32(f + 8), le16(f + 12), le16(f + 14), 0};
            haveFormat = true;
        } else if (std::memcmp(id, "data", 4) == 0) {
            data = bytes.constData() + body;
            dataSize = available; // a truncated file keeps what it has
            break;
        }
        // Chunks are padded to an even size.
        pos = body + static_cast<qsizetype>(size) + (size & 1);
        if (pos < body) {
            break;
        }
    }
    if (!haveFormat) {
        return fail(QStringLiteral("no format chunk"));
    }
    if (!data) {
        return fail(QStringLiteral("no data chunk"));
    }
    if (!PcmConverter::supported(format)) {
        return fail(QStringLiteral("unsupported format (PCM 8 or 16 bits, mono or stereo only)"));
    }
    const WAVEFORMATEX target = pcm8kMono16();
    const auto converted = convertPcm(format, reinterpret_cast<const std::uint8_t*>(data),
                                      static_cast<std::size_t>(dataSize), target);
    samples.resize(converted.size() / 2);
    if (!samples.empty()) {  // an empty data chunk converts to nothing: no copy from a null buffer
        std::memcpy(samples.data(), converted.data(), samples.size() * 2);
    }
    return true;
}

bool readWaveFileAs8kMono(const QString& path, std::vector<std::int16_t>& samples, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) {
            *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        }
        return false;
    }
    return parseWaveAs8kMono(file.readAll(), samples, error);
}

bool writeWaveFile8kMono(const QString& path, const std::vector<std::int16_t>& samples, QString* error)
{
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
    QByteArray out;
    out.reserve(static_cast<qsizetype>(44 + dataBytes));
    out.append("RIFF");
    put32(out, 36 + dataBytes);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, WAVE_FORMAT_PCM);
    put16(out, 1);
    put32(out, 8000);
    put32(out, 16000);
    put16(out, 2);
    put16(out, 16);
    out.append("data");
    put32(out, dataBytes);
    for (std::int16_t s : samples) {
        put16(out, static_cast<std::uint16_t>(s));
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(out) != out.size() || !file.commit()) {
        if (error) {
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        }
        return false;
    }
    return true;
}

} // namespace qlnrec::platform

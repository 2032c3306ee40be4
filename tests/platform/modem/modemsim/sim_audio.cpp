#include "tests/platform/modem/modemsim/sim_audio.h"

#include <array>
#include <cstdlib>

namespace qlnrec::modemsim {

namespace {

// mu-law: value = ((2 * mantissa + 33) << exponent) - 33, in units of 4 (14-bit scale).
std::int16_t muDecode(std::uint8_t code)
{
    const std::uint8_t u = static_cast<std::uint8_t>(~code);
    const int exponent = (u >> 4) & 7;
    const int mantissa = u & 15;
    const int magnitude = (((2 * mantissa + 33) << exponent) - 33) * 4;
    return static_cast<std::int16_t>((u & 0x80) ? -magnitude : magnitude);
}

// A-law: segment 0 is linear, later segments double; values sit in the middle of their steps,
// in units of 8 (13-bit scale).
std::int16_t aDecode(std::uint8_t code)
{
    const std::uint8_t a = code ^ 0x55;
    const int segment = (a >> 4) & 7;
    const int mantissa = a & 15;
    const int magnitude = segment == 0 ? (2 * mantissa + 1) * 8 : ((2 * mantissa + 33) << (segment - 1)) * 8;
    return static_cast<std::int16_t>((a & 0x80) ? magnitude : -magnitude);
}

template <typename Decode> std::uint8_t nearest(std::int16_t sample, Decode decode)
{
    int best = 0;
    int bestDistance = 1 << 30;
    for (int code = 0; code < 256; ++code) {
        const int d = std::abs(decode(static_cast<std::uint8_t>(code)) - sample);
        if (d < bestDistance) {
            bestDistance = d;
            best = code;
        }
    }
    return static_cast<std::uint8_t>(best);
}

const std::array<std::uint8_t, 65536>& table(SimFormat format)
{
    static std::array<std::uint8_t, 65536> mu{};
    static std::array<std::uint8_t, 65536> a{};
    static const bool built = [] {
        for (int s = -32768; s <= 32767; ++s) {
            mu[static_cast<std::size_t>(s + 32768)] = nearest(static_cast<std::int16_t>(s), muDecode);
            a[static_cast<std::size_t>(s + 32768)] = nearest(static_cast<std::int16_t>(s), aDecode);
        }
        return true;
    }();
    (void)built;
    return format == SimFormat::MuLaw ? mu : a;
}

} // namespace

const char* simFormatName(SimFormat format)
{
    switch (format) {
    case SimFormat::None:
        return "none";
    case SimFormat::Signed16:
        return "s16";
    case SimFormat::Unsigned8:
        return "u8";
    case SimFormat::Signed8:
        return "s8";
    case SimFormat::MuLaw:
        return "ulaw";
    case SimFormat::ALaw:
        return "alaw";
    }
    return "?";
}

int simBytesPerSample(SimFormat format)
{
    return format == SimFormat::Signed16 ? 2 : 1;
}

std::uint8_t simSilenceByte(SimFormat format)
{
    switch (format) {
    case SimFormat::Unsigned8:
        return 0x80;
    case SimFormat::MuLaw:
        return 0xFF;
    case SimFormat::ALaw:
        return 0xD5;
    default:
        return 0;
    }
}

std::int16_t simDecodeSample(SimFormat format, std::uint8_t low, std::uint8_t high)
{
    switch (format) {
    case SimFormat::Signed16:
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    case SimFormat::Unsigned8:
        return static_cast<std::int16_t>((static_cast<int>(low) - 128) * 256);
    case SimFormat::Signed8:
        return static_cast<std::int16_t>(static_cast<std::int8_t>(low) * 256);
    case SimFormat::MuLaw:
        return muDecode(low);
    case SimFormat::ALaw:
        return aDecode(low);
    case SimFormat::None:
        break;
    }
    return 0;
}

std::vector<std::int16_t> simDecode(SimFormat format, const QByteArray& bytes)
{
    std::vector<std::int16_t> out;
    const int width = simBytesPerSample(format);
    out.reserve(static_cast<std::size_t>(bytes.size() / width));
    for (qsizetype i = 0; i + width <= bytes.size(); i += width) {
        const auto low = static_cast<std::uint8_t>(bytes[i]);
        const auto high = width == 2 ? static_cast<std::uint8_t>(bytes[i + 1]) : std::uint8_t(0);
        out.push_back(simDecodeSample(format, low, high));
    }
    return out;
}

QByteArray simEncode(SimFormat format, const std::vector<std::int16_t>& samples)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(samples.size()) * simBytesPerSample(format));
    for (const std::int16_t s : samples) {
        switch (format) {
        case SimFormat::Signed16:
            out.append(static_cast<char>(s & 0xFF));
            out.append(static_cast<char>((s >> 8) & 0xFF));
            break;
        case SimFormat::Unsigned8:
            out.append(static_cast<char>(((s + 32768) >> 8) & 0xFF));
            break;
        case SimFormat::Signed8:
            out.append(static_cast<char>((s >> 8) & 0xFF));
            break;
        case SimFormat::MuLaw:
        case SimFormat::ALaw:
            out.append(static_cast<char>(table(format)[static_cast<std::size_t>(s + 32768)]));
            break;
        case SimFormat::None:
            break;
        }
    }
    return out;
}

std::vector<std::int16_t> simRoundTrip(SimFormat format, const std::vector<std::int16_t>& samples)
{
    return simDecode(format, simEncode(format, samples));
}

} // namespace qlnrec::modemsim

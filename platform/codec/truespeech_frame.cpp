#include "platform/codec/truespeech_frame.h"

namespace qlnrec::platform {

namespace {

std::uint32_t readWord(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void writeWord(std::uint32_t w, std::uint8_t* p)
{
    p[0] = static_cast<std::uint8_t>(w);
    p[1] = static_cast<std::uint8_t>(w >> 8);
    p[2] = static_cast<std::uint8_t>(w >> 16);
    p[3] = static_cast<std::uint8_t>(w >> 24);
}

} // namespace

TrueSpeechFrame unpackTrueSpeechFrame(const std::uint8_t block[kTrueSpeechBlockBytes])
{
    std::array<std::uint32_t, 8> w{};
    for (int i = 0; i < 8; ++i) {
        w[static_cast<std::size_t>(i)] = readWord(block + 4 * i);
    }
    TrueSpeechFrame f;
    f.interpolate = (w[0] & 1u) != 0;
    f.reflection[0] = static_cast<std::uint8_t>((w[0] >> 1) & 31u);
    f.reflection[1] = static_cast<std::uint8_t>((w[0] >> 6) & 31u);
    f.reflection[2] = static_cast<std::uint8_t>((w[0] >> 11) & 15u);
    f.reflection[3] = static_cast<std::uint8_t>((w[0] >> 15) & 15u);
    f.reflection[4] = static_cast<std::uint8_t>((w[0] >> 19) & 15u);
    f.reflection[5] = static_cast<std::uint8_t>((w[0] >> 23) & 7u);
    f.reflection[6] = static_cast<std::uint8_t>((w[0] >> 26) & 7u);
    f.reflection[7] = static_cast<std::uint8_t>((w[0] >> 29) & 7u);
    for (int q = 0; q < 4; ++q) {
        f.pitch[static_cast<std::size_t>(q)] = static_cast<std::uint8_t>((w[1] >> (7 * q)) & 127u);
    }
    std::uint32_t base0 = (w[1] >> 28) << 4;
    f.pulseCodes[0] = static_cast<std::uint16_t>(w[2] & 0x3FFFu);
    f.pulseCodes[1] = static_cast<std::uint16_t>((w[2] >> 14) & 0x3FFFu);
    f.pulseCodes[2] = static_cast<std::uint16_t>(w[3] & 0x3FFFu);
    f.pulseCodes[3] = static_cast<std::uint16_t>((w[3] >> 14) & 0x3FFFu);
    f.lagBase[1] = static_cast<std::uint8_t>((w[2] >> 28) | ((w[3] >> 28) << 4));
    for (int q = 0; q < 4; ++q) {
        const std::uint32_t word = w[static_cast<std::size_t>(4 + q)];
        f.pulseScale[static_cast<std::size_t>(q)] = static_cast<std::uint8_t>(word & 15u);
        f.pulsePositions[static_cast<std::size_t>(q)] = (word >> 4) & 0x7FFFFFFu;
        base0 |= (word >> 31) << q;
    }
    f.lagBase[0] = static_cast<std::uint8_t>(base0);
    return f;
}

void packTrueSpeechFrame(const TrueSpeechFrame& f, std::uint8_t block[kTrueSpeechBlockBytes])
{
    auto k = [&](int i) { return static_cast<std::uint32_t>(f.reflection[static_cast<std::size_t>(i)]); };
    const std::uint32_t b0 = f.lagBase[0];
    const std::uint32_t b1 = f.lagBase[1];
    std::array<std::uint32_t, 8> w{};
    w[0] = (f.interpolate ? 1u : 0u) | (k(0) & 31u) << 1 | (k(1) & 31u) << 6 | (k(2) & 15u) << 11 |
           (k(3) & 15u) << 15 | (k(4) & 15u) << 19 | (k(5) & 7u) << 23 | (k(6) & 7u) << 26 |
           (k(7) & 7u) << 29;
    for (int q = 0; q < 4; ++q) {
        w[1] |= (static_cast<std::uint32_t>(f.pitch[static_cast<std::size_t>(q)]) & 127u) << (7 * q);
    }
    w[1] |= (b0 >> 4) << 28;
    w[2] = (f.pulseCodes[0] & 0x3FFFu) | (f.pulseCodes[1] & 0x3FFFu) << 14 | (b1 & 15u) << 28;
    w[3] = (f.pulseCodes[2] & 0x3FFFu) | (f.pulseCodes[3] & 0x3FFFu) << 14 | (b1 >> 4) << 28;
    for (int q = 0; q < 4; ++q) {
        const auto uq = static_cast<std::size_t>(q);
        w[4 + uq] =
            (f.pulseScale[uq] & 15u) | (f.pulsePositions[uq] & 0x7FFFFFFu) << 4 | ((b0 >> q) & 1u) << 31;
    }
    for (int i = 0; i < 8; ++i) {
        writeWord(w[static_cast<std::size_t>(i)], block + 4 * i);
    }
}

namespace truespeech {

namespace {

std::uint32_t binomial(int n, int r)
{
    if (r < 0 || n < r) {
        return 0;
    }
    std::uint64_t v = 1;
    for (int i = 1; i <= r; ++i) {
        v = v * static_cast<std::uint64_t>(n - r + i) / static_cast<std::uint64_t>(i);
    }
    return static_cast<std::uint32_t>(v);
}

} // namespace

std::uint32_t positionRank(const int* positions, int count)
{
    // Every subset that agrees up to a skipped position i but takes i comes first in the order.
    std::uint32_t code = 0;
    int remaining = count;
    int next = 0;
    for (int i = 0; i < 30 && remaining > 0; ++i) {
        if (next < count && positions[next] == i) {
            ++next;
            --remaining;
        } else {
            code += binomial(29 - i, remaining - 1);
        }
    }
    return code;
}

} // namespace truespeech
} // namespace qlnrec::platform

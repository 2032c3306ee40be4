#include "platform/codec/truespeech_dsp.h"

#include "platform/codec/truespeech_tables.h"

#include <algorithm>
#include <cstring>

namespace qlnrec::platform::truespeech {

namespace {

constexpr int kClip = 0x7FFE;

std::int16_t wrap16(std::int32_t v)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint32_t>(v)));
}

std::int16_t clip(std::int32_t v)
{
    return static_cast<std::int16_t>(std::clamp(v, -kClip, kClip));
}

bool fits16(std::int32_t v)
{
    return v >= -32768 && v <= 32767;
}

// 32-bit wrapping arithmetic: the decoder's sums are plain ints that may wrap on bad input.
std::int32_t toInt(std::uint32_t v)
{
    return static_cast<std::int32_t>(v);
}

std::uint32_t toBits(std::int32_t v)
{
    return static_cast<std::uint32_t>(v);
}

} // namespace

bool reflectionToPredictor(const std::array<std::uint8_t, 8>& indices, Coefficients& out)
{
    bool ok = true;
    std::array<std::int16_t, 8> k{};
    for (int i = 0; i < 8; ++i) {
        const int index =
            indices[static_cast<std::size_t>(i)] % tables::kReflectionSizes[static_cast<std::size_t>(i)];
        k[static_cast<std::size_t>(i)] = tables::reflectionTable(i)[index];
    }
    std::array<std::int16_t, 8> c{};
    for (int i = 0; i < 8; ++i) {
        const std::int32_t ki = k[static_cast<std::size_t>(i)];
        if (i > 0) {
            const std::array<std::int16_t, 8> old = c;
            for (int j = 0; j < i; ++j) {
                const std::int32_t sum = c[static_cast<std::size_t>(j)] +
                                         ((old[static_cast<std::size_t>(i - 1 - j)] * ki + 0x4000) >> 15);
                ok = ok && fits16(sum);
                c[static_cast<std::size_t>(j)] = wrap16(sum);
            }
        }
        c[static_cast<std::size_t>(i)] = static_cast<std::int16_t>((8 - ki) >> 3);
    }
    for (std::size_t m = 0; m < 8; ++m) {
        out[m] = static_cast<std::int16_t>((c[m] * tables::kBandwidthExpansion[m]) >> 15);
    }
    return ok;
}

void subframePredictors(const Coefficients& current, const Coefficients& previous, bool interpolate,
                        std::array<Coefficients, 4>& out)
{
    for (std::size_t m = 0; m < 8; ++m) {
        if (interpolate) {
            // The earlier subframe takes the larger share of the new set, as deployed decoders do.
            out[0][m] = wrap16((current[m] * 21846 + previous[m] * 10923 + 16384) >> 15);
            out[1][m] = wrap16((current[m] * 10923 + previous[m] * 21846 + 16384) >> 15);
        } else {
            out[0][m] = previous[m];
            out[1][m] = previous[m];
        }
        out[2][m] = current[m];
        out[3][m] = current[m];
    }
}

bool pitchVector(const std::array<std::int32_t, kHistoryLength>& history, int lag, int gainIndex,
                 std::int16_t v[kTrueSpeechSubframeSamples])
{
    // The history followed by the vector being built, so short lags repeat the new samples.
    std::array<std::int16_t, kHistoryLength + kTrueSpeechSubframeSamples> u{};
    for (int i = 0; i < kHistoryLength; ++i) {
        u[static_cast<std::size_t>(i)] = wrap16(history[static_cast<std::size_t>(i)]);
    }
    lag = std::clamp(lag, 0, kHistoryLength - 1);
    const int g = std::clamp(gainIndex, 0, 24) * 2;
    const std::int32_t c0 = tables::kPitchTaps[static_cast<std::size_t>(g)];
    const std::int32_t c1 = tables::kPitchTaps[static_cast<std::size_t>(g + 1)];
    bool ok = true;
    for (int n = 0; n < kTrueSpeechSubframeSamples; ++n) {
        const std::size_t at = static_cast<std::size_t>(kHistoryLength - 1 - lag + n);
        const std::int32_t t = (c0 * u[at] + c1 * u[at + 1] + 0x2000) >> 14;
        ok = ok && fits16(t);
        v[n] = wrap16(t);
        u[static_cast<std::size_t>(kHistoryLength + n)] = v[n];
    }
    return ok;
}

bool pitchPrediction(const std::array<std::int32_t, kHistoryLength>& history, int code, int lagBase,
                     std::int16_t v[kTrueSpeechSubframeSamples])
{
    if (code == kTrueSpeechPitchOff) {
        std::memset(v, 0, sizeof(std::int16_t) * kTrueSpeechSubframeSamples);
        return true;
    }
    return pitchVector(history, pitchLag(code, lagBase), code % 25, v);
}

void placePulses(std::uint16_t codes, int scale, std::uint32_t positions,
                 std::int16_t e[kTrueSpeechSubframeSamples])
{
    std::memset(e, 0, sizeof(std::int16_t) * kTrueSpeechSubframeSamples);
    std::array<std::int16_t, 7> amplitude{};
    for (int j = 0; j < 7; ++j) {
        const int code = (codes >> (12 - 2 * j)) & 3;
        amplitude[static_cast<std::size_t>(j)] =
            tables::kPulseAmplitudes[static_cast<std::size_t>((scale & 15) * 4 + code)];
    }
    std::size_t nextAmplitude = 0;
    // Walk the binomials of the enumerative position code; each placed pulse drops one row.
    auto decodeHalf = [&](std::uint32_t code, int firstRow, int pulses, int offset) {
        int row = firstRow;
        int left = pulses;
        for (int i = 0; i < 30 && left > 0; ++i) {
            const std::uint32_t t = static_cast<std::uint16_t>(
                tables::kPulsePositionBinomials[static_cast<std::size_t>(row * 30 + i)]);
            if (code >= t) {
                code -= t;
            } else {
                e[offset + i] = amplitude[nextAmplitude++];
                ++row;
                --left;
            }
        }
    };
    decodeHalf(positions >> 15, 1, 3, 0);
    decodeHalf(positions & 0x7FFFu, 0, 4, 30);
}

void combineExcitation(std::array<std::int32_t, kHistoryLength>& history,
                       const std::int16_t e[kTrueSpeechSubframeSamples],
                       const std::int16_t v[kTrueSpeechSubframeSamples],
                       std::int16_t x[kTrueSpeechSubframeSamples])
{
    constexpr int keep = kHistoryLength - kTrueSpeechSubframeSamples;
    std::memmove(history.data(), history.data() + kTrueSpeechSubframeSamples, sizeof(std::int32_t) * keep);
    for (int n = 0; n < kTrueSpeechSubframeSamples; ++n) {
        // The pitch memory leaks 1/8 of the pitch part, which keeps the long-term loop stable.
        history[static_cast<std::size_t>(keep + n)] = e[n] + v[n] - (v[n] >> 3);
        x[n] = wrap16(e[n] + v[n]);
    }
}

bool synthesize(const Coefficients& c, std::array<std::int16_t, 8>& memory,
                const std::int16_t x[kTrueSpeechSubframeSamples], std::int16_t y[kTrueSpeechSubframeSamples])
{
    bool ok = true;
    for (int n = 0; n < kTrueSpeechSubframeSamples; ++n) {
        std::int64_t exact = 0;
        for (std::size_t m = 0; m < 8; ++m) {
            exact += static_cast<std::int64_t>(memory[m]) * c[m];
        }
        const std::uint32_t sum = static_cast<std::uint32_t>(exact);
        ok = ok && exact == static_cast<std::int32_t>(sum);
        const std::int32_t value = x[n] + (toInt(sum + 0x800u) >> 12);
        y[n] = clip(value);
        std::memmove(memory.data() + 1, memory.data(), sizeof(std::int16_t) * 7);
        memory[0] = y[n];
    }
    return ok;
}

void postFilter(const Coefficients& c, std::int16_t k1, DecoderState& state,
                const std::int16_t y[kTrueSpeechSubframeSamples],
                std::int16_t out[kTrueSpeechSubframeSamples])
{
    std::array<std::int32_t, 8> zeros{};
    std::array<std::int32_t, 8> poles{};
    for (std::size_t m = 0; m < 8; ++m) {
        zeros[m] = (tables::kPostFilterZeros[m] * c[m]) >> 15;
        poles[m] = (tables::kPostFilterPoles[m] * c[m]) >> 15;
    }
    const std::int32_t tilt = k1 - (k1 >> 2);
    auto& ym = state.postZeroMemory;
    auto& wm = state.postPoleMemory;
    for (int n = 0; n < kTrueSpeechSubframeSamples; ++n) {
        std::uint32_t sum = 0;
        for (std::size_t m = 0; m < 8; ++m) {
            sum += toBits(ym[m] * zeros[m]);
        }
        std::memmove(ym.data() + 1, ym.data(), sizeof(std::int16_t) * 7);
        ym[0] = y[n];
        const std::int16_t z = wrap16(y[n] + (toInt(0u - sum) >> 12));

        std::uint32_t s = toBits(z * 4096);
        for (std::size_t m = 0; m < 8; ++m) {
            s += toBits(wm[m] * poles[m]);
        }
        std::memmove(wm.data() + 1, wm.data(), sizeof(std::int16_t) * 7);
        wm[0] = clip(toInt(s + 0x800u) >> 12);
        s += toBits((wm[1] * tilt) >> 4);
        s -= toBits(toInt(s) >> 3);
        out[n] = clip(toInt(s + 0x800u) >> 12);
    }
}

} // namespace qlnrec::platform::truespeech

// TrueSpeech encode and decode speed. The counter "x_realtime" is seconds of audio handled per
// second of CPU time on one core.
#include "platform/codec/truespeech_decoder.h"
#include "platform/codec/truespeech_encoder.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace qlnrec::platform;

constexpr int kFrames = 100; // 3 seconds

// Voiced-speech stand-in: a gliding harmonic tone with syllables and some noise.
std::vector<std::int16_t> testSignal()
{
    std::mt19937 rng(1);
    std::normal_distribution<double> noise(0.0, 300.0);
    std::vector<std::int16_t> s(kFrames * 240);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = static_cast<double>(i) / 8000.0;
        phase += 2 * std::numbers::pi * (140 + 40 * std::sin(2 * std::numbers::pi * 0.7 * t)) / 8000.0;
        double v = 0;
        for (int h = 1; h <= 12; ++h) {
            v += std::sin(h * phase) / h;
        }
        const double envelope = 0.5 + 0.5 * std::sin(2 * std::numbers::pi * 3.1 * t);
        s[i] = static_cast<std::int16_t>(
            std::lround(std::clamp(6000 * envelope * v + noise(rng), -32768.0, 32767.0)));
    }
    return s;
}

void reportRealtime(benchmark::State& state)
{
    const double audioSeconds = static_cast<double>(state.iterations()) * kFrames * 0.030;
    state.counters["x_realtime"] = benchmark::Counter(audioSeconds, benchmark::Counter::kIsRate);
}

void BM_Encode(benchmark::State& state, TrueSpeechEncoder::Effort effort)
{
    const std::vector<std::int16_t> signal = testSignal();
    std::vector<std::uint8_t> out(kFrames * 32);
    for (auto _ : state) {
        TrueSpeechEncoder encoder;
        encoder.setEffort(effort);
        for (int f = 0; f < kFrames; ++f) {
            encoder.encodeBlock(signal.data() + f * 240, out.data() + f * 32);
        }
        benchmark::DoNotOptimize(out.data());
    }
    reportRealtime(state);
}

void BM_Decode(benchmark::State& state)
{
    const std::vector<std::int16_t> signal = testSignal();
    std::vector<std::uint8_t> blocks(kFrames * 32);
    TrueSpeechEncoder encoder;
    for (int f = 0; f < kFrames; ++f) {
        encoder.encodeBlock(signal.data() + f * 240, blocks.data() + f * 32);
    }
    std::vector<std::int16_t> out(kFrames * 240);
    for (auto _ : state) {
        TrueSpeechDecoder decoder;
        for (int f = 0; f < kFrames; ++f) {
            decoder.decodeBlock(blocks.data() + f * 32, out.data() + f * 240);
        }
        benchmark::DoNotOptimize(out.data());
    }
    reportRealtime(state);
}

TrueSpeechEncoder::Effort effortWithFilters(int filters)
{
    TrueSpeechEncoder::Effort e;
    e.filterCandidates = filters;
    return e;
}

BENCHMARK_CAPTURE(BM_Encode, default_effort, TrueSpeechEncoder::Effort{})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Encode, two_filter_candidates, effortWithFilters(2))->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

// Cost of analysing one captured second (8,000 samples) with the signal-analysis library.
#include "sigscan/sigscan.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace {

// Speech-like audio: syllables of 80-250 ms (a voiced 110-180 Hz buzz with its harmonics plus
// low-passed noise under a raised-cosine envelope) separated by 30-150 ms of faint room noise.
std::vector<std::int16_t> speechLikeBlock(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    std::vector<std::int16_t> block;
    block.reserve(8000);
    double filtered = 0.0;
    while (block.size() < 8000) {
        const int syllable = between(640, 2000);
        const double pitchHz = between(110, 180);
        const double peak = between(3000, 12000);
        for (int n = 0; n < syllable; ++n) {
            const double envelope = std::pow(std::sin(std::numbers::pi * n / syllable), 2.0);
            double voiced = 0.0;
            for (int h = 1; h <= 8; ++h) {
                voiced += std::sin(2.0 * std::numbers::pi * pitchHz * h * n / 8000.0) / h;
            }
            filtered = 0.7 * filtered + 0.3 * unit(rng);
            block.push_back(std::int16_t(peak * envelope * (0.6 * voiced / 2.7 + 0.4 * filtered)));
        }
        const int gap = between(240, 1200);
        for (int n = 0; n < gap; ++n) {
            block.push_back(std::int16_t(40.0 * unit(rng)));
        }
    }
    block.resize(8000);
    return block;
}

void BM_FbsSpeechBlock(benchmark::State& state)
{
    const std::vector<std::int16_t> block = speechLikeBlock(1);
    for (auto _ : state) {
        std::int32_t sound = 0, quiet = 0, tone = 0;
        std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> segments{};
        benchmark::DoNotOptimize(Fbs(block.data(), 8000, &sound, &quiet, 800, std::int32_t(state.range(0)),
                                     segments.data(), &tone));
        benchmark::DoNotOptimize(segments.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 8000);
    state.SetLabel("8000 samples per block");
}
BENCHMARK(BM_FbsSpeechBlock)->Arg(0)->Arg(3);

void BM_DecAndSlcSpeechBlock(benchmark::State& state)
{
    const std::vector<std::int16_t> block = speechLikeBlock(2);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Dec(block.data(), 8000, 800));
        benchmark::DoNotOptimize(Slc(block.data(), 8000));
    }
    state.SetItemsProcessed(state.iterations() * 8000);
}
BENCHMARK(BM_DecAndSlcSpeechBlock);

} // namespace

BENCHMARK_MAIN();

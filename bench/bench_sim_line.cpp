// How fast the simulated lines run whole calls in virtual time (the end-to-end tests and
// --virtual-time depend on it), and the cost of the pieces: rendering line audio and parsing
// scenario files.
#include "platform/core/virtual_event_service.h"
#include "platform/telephony/line_platform.h"

#include <benchmark/benchmark.h>

#include <atomic>

using namespace qlnrec::platform;

namespace {

std::atomic<int> gFilled{0};

void captureCallback(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    if (msg == MM_WIM_DATA) {
        gFilled = 1;
    }
}

// One answered call recorded for 60 s with the capture session's 1 ms swap timer.
void BM_VirtualMinuteOfRecordedCall(benchmark::State& state)
{
    for (auto _ : state) {
        VirtualEventService events;
        QString error;
        auto platform = LinePlatform::create(events, QStringLiteral("sim:1"), &error,
                                             WaveServiceOptions{PacingMode::ClockTimers, false, 20});
        TelephonyService& tapi = platform->telephony();
        HLINEAPP app = 0;
        std::uint32_t count = 0;
        HCALL call = 0;
        tapi.lineInitialize(
            &app, 0,
            [&](std::uint32_t h, std::uint32_t msg, std::uint32_t, std::uint32_t p1, std::uint32_t,
                std::uint32_t) {
                if (msg == LINE_CALLSTATE && p1 == LINECALLSTATE_OFFERING) {
                    call = h;
                }
            },
            "bench", &count);
        HLINE line = 0;
        tapi.lineOpen(app, 0, &line, 0x00010004, 0, 0, 6, 4, nullptr);
        SimLine& sim = *platform->simLine(0);
        sim.ring(1);
        events.processPendingEvents();
        tapi.lineAnswer(call, nullptr, 0);
        events.processPendingEvents();
        sim.playFarEndTone(ToneSpec{{440, 1300}, 400, 100, 60000, 5000});

        WaveService& wave = platform->wave();
        HWAVEIN handle = 0;
        const WAVEFORMATEX format = pcm8kMono16();
        wave.waveInOpen(&handle, 0, &format, captureCallback, 0, CALLBACK_FUNCTION | WAVE_MAPPED);
        std::vector<char> memory[2] = {std::vector<char>(16000), std::vector<char>(16000)};
        WAVEHDR headers[2];
        for (int i = 0; i < 2; ++i) {
            headers[i].lpData = memory[i].data();
            headers[i].dwBufferLength = 16000;
            wave.waveInPrepareHeader(handle, &headers[i], sizeof(WAVEHDR));
        }
        wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR));
        int next = 1;
        int blocks = 0;
        gFilled = 0;
        wave.waveInStart(handle);
        Timer swap(events, 1, [&] {
            if (gFilled.load() == 1) {
                wave.waveInAddBuffer(handle, &headers[next], sizeof(WAVEHDR));
                next = 1 - next;
                gFilled = 0;
                ++blocks;
            }
        });
        swap.setEnabled(true);
        events.advance(60000);
        swap.setEnabled(false);
        wave.waveInReset(handle);
        wave.waveInClose(handle);
        benchmark::DoNotOptimize(blocks);
    }
    state.counters["virtual_s_per_s"] =
        benchmark::Counter(60.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_VirtualMinuteOfRecordedCall)->Unit(benchmark::kMillisecond);

// Rendering one second of line audio: speech samples under a touch-tone overlay.
void BM_RenderOneSecondOfLineAudio(benchmark::State& state)
{
    VirtualEventService events;
    QString error;
    auto platform = LinePlatform::create(events, QStringLiteral("sim:1"), &error,
                                         WaveServiceOptions{PacingMode::ClockTimers, false, 20});
    TelephonyService& tapi = platform->telephony();
    HLINEAPP app = 0;
    std::uint32_t count = 0;
    HCALL call = 0;
    tapi.lineInitialize(
        &app, 0,
        [&](std::uint32_t h, std::uint32_t msg, std::uint32_t, std::uint32_t p1, std::uint32_t,
            std::uint32_t) {
            if (msg == LINE_CALLSTATE && p1 == LINECALLSTATE_OFFERING) {
                call = h;
            }
        },
        "bench", &count);
    HLINE line = 0;
    tapi.lineOpen(app, 0, &line, 0x00010004, 0, 0, 6, 4, nullptr);
    SimLine& sim = *platform->simLine(0);
    sim.ring(1);
    events.processPendingEvents();
    tapi.lineAnswer(call, nullptr, 0);
    events.processPendingEvents();
    std::vector<std::int16_t> speech(8000 * 3600);
    for (std::size_t i = 0; i < speech.size(); ++i) {
        speech[i] = static_cast<std::int16_t>((i * 2654435761u) >> 20);
    }
    sim.playFarEndAudio(speech);
    sim.sendDigits("1234567890", 100, 100);
    std::vector<std::int16_t> out(8000);
    std::int64_t position = static_cast<std::int64_t>(events.timeGetTime() - 1000) * 8;
    for (auto _ : state) {
        sim.renderLineAudio(position, out.data(), out.size());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * 8000);
}
BENCHMARK(BM_RenderOneSecondOfLineAudio)->Unit(benchmark::kMicrosecond);

// Parsing a scenario of 2,000 events.
void BM_ParseScenario(benchmark::State& state)
{
    QString text;
    for (int i = 0; i < 500; ++i) {
        const int line = i % 4;
        text += QStringLiteral("%1 %2 ring 4 2000/4000\n").arg(i * 60).arg(line);
        text += QStringLiteral("+2.5 %1 callerid number=555%2 name=\"CALLER %2\"\n").arg(line).arg(i);
        text += QStringLiteral("+10 %1 audio tone=480+620 on=250 off=250 duration=5\n").arg(line);
        text += QStringLiteral("+5 %1 hangup busy\n").arg(line);
    }
    for (auto _ : state) {
        QString error;
        auto scenario = Scenario::parse(text, &error);
        benchmark::DoNotOptimize(scenario);
    }
    state.SetItemsProcessed(state.iterations() * 2000);
}
BENCHMARK(BM_ParseScenario)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

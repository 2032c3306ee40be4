// Cost of the per-block recording pipeline: one captured second (16,000 bytes) appended to the
// line's temporary file and analysed for the stop triggers, in PCM and in TrueSpeech output.
// A block must be done well within its own second.
#include "audio/capture_engine.h"
#include "audio/recording_writer.h"
#include "audio/sigscan_loader.h"
#include "audio/truespeech_conversion.h"
#include "platform/acm/acm.h"
#include "platform/core/dialog_service.h"
#include "platform/core/virtual_event_service.h"
#include "platform/wave/wave_service.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <vector>

namespace {

using namespace qlnrec;

QString gLibraryFolder;

// Syllables of voiced buzz and noise under an envelope, with short pauses: speech-like.
std::vector<std::int16_t> speechLike(unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::vector<std::int16_t> block;
    while (block.size() < 8000) {
        const int syllable = 640 + static_cast<int>(rng() % 1360);
        const double pitch = 110 + rng() % 70;
        for (int n = 0; n < syllable && block.size() < 8000; ++n) {
            const double env = std::pow(std::sin(std::numbers::pi * n / syllable), 2.0);
            const double voiced = std::sin(2 * std::numbers::pi * pitch * n / 8000.0) +
                                  0.5 * std::sin(4 * std::numbers::pi * pitch * n / 8000.0);
            block.push_back(static_cast<std::int16_t>(8000 * env * (0.7 * voiced + 0.3 * unit(rng))));
        }
        for (int n = 0; n < 400 && block.size() < 8000; ++n) {
            block.push_back(static_cast<std::int16_t>(30 * unit(rng)));
        }
    }
    return block;
}

std::vector<std::int16_t> reorderTone()
{
    std::vector<std::int16_t> block(8000);
    for (int f = 0; f < 8000; ++f) {
        const bool on = (f % 4000) < 2000;
        block[static_cast<std::size_t>(f)] =
            on ? static_cast<std::int16_t>(10000 * (std::sin(2 * std::numbers::pi * 480 * f / 8000.0) +
                                                    std::sin(2 * std::numbers::pi * 620 * f / 8000.0)))
               : 0;
    }
    return block;
}

struct Pipeline {
    QTemporaryDir dir;
    platform::VirtualEventService events;
    platform::WaveService wave{events,
                               platform::WaveServiceOptions{platform::PacingMode::ClockTimers, false, 20}};
    platform::AcmDriverRegistry registry;
    platform::AcmService acm{registry};
    platform::ScriptedDialogService dialogs;
    audio::TrueSpeechConversion conversion{acm, dialogs};
    audio::SigScanLoader sigscan{{}, audio::SigScanLoader::defaultCandidates(gLibraryFolder)};
    telephony::LineState lines;
    std::unique_ptr<audio::CaptureEngine> engine;
    std::vector<char> data;

    Pipeline(audio::OutputFormat format, const std::vector<std::int16_t>& samples)
    {
        platform::registerBuiltInAcmDrivers(registry);
        conversion.FindTrueSpeechDriver();
        audio::RecorderSettings settings;
        settings.outputFormat = format;
        settings.recordingsFolder = dir.path() + QStringLiteral("/");
        settings.tempFolder = dir.path() + QStringLiteral("/");
        settings.triggers.silence = 1;
        settings.triggers.silenceSeconds = 1000000;
        settings.triggers.fastBusy = 1;
        engine = std::make_unique<audio::CaptureEngine>(events, wave, lines, conversion, sigscan, settings,
                                                        audio::RecorderLinks{});
        if (format == audio::OutputFormat::TrueSpeech) {
            conversion.OpenConversion(0);
        }
        data.resize(audio::kBlockBytes);
        std::memcpy(data.data(), samples.data(), audio::kBlockBytes);
        audio::CaptureLine& line = engine->line(0);
        line.captureHeaders[0].lpData = data.data();
        line.captureHeaders[0].dwBufferLength = audio::kBlockBytes;
        line.captureHeaders[0].dwBytesRecorded = audio::kBlockBytes;
        line.recordingName = QStringLiteral("M~L 02026-12-07~14-05-09.wav");
        lines[0].recordState = telephony::kRecording;
    }
    ~Pipeline() { engine->line(0).captureHeaders[0] = platform::WAVEHDR{}; }

    void run(benchmark::State& state)
    {
        if (!sigscan.available()) {
            state.SkipWithError("libSigScan.so not found beside the benchmark");
            return;
        }
        std::int64_t blocks = 0;
        for (auto _ : state) {
            engine->ProcessBlock(0, 0);
            // Keep the temporary file at up to ten minutes of audio.
            if (++blocks % 600 == 0) {
                state.PauseTiming();
                engine->writer().deleteTempFile(0);
                state.ResumeTiming();
            }
        }
        state.SetItemsProcessed(state.iterations());
        state.SetBytesProcessed(state.iterations() * audio::kBlockBytes);
    }
};

void BM_BlockPipelinePcmSpeech(benchmark::State& state)
{
    Pipeline p(audio::OutputFormat::Pcm, speechLike(7));
    p.run(state);
}
BENCHMARK(BM_BlockPipelinePcmSpeech)->Unit(benchmark::kMicrosecond);

void BM_BlockPipelinePcmReorderTone(benchmark::State& state)
{
    Pipeline p(audio::OutputFormat::Pcm, reorderTone());
    p.run(state);
}
BENCHMARK(BM_BlockPipelinePcmReorderTone)->Unit(benchmark::kMicrosecond);

void BM_BlockPipelineTrueSpeechSpeech(benchmark::State& state)
{
    Pipeline p(audio::OutputFormat::TrueSpeech, speechLike(7));
    if (p.conversion.trueSpeechDriverId() == nullptr) {
        state.SkipWithError("no TrueSpeech driver registered");
        return;
    }
    p.run(state);
}
BENCHMARK(BM_BlockPipelineTrueSpeechSpeech)->Unit(benchmark::kMicrosecond);

void BM_AppendBlockOnly(benchmark::State& state)
{
    QTemporaryDir dir;
    audio::RecordingWriter writer(dir.path() + QStringLiteral("/"));
    const std::vector<char> block(audio::kBlockBytes, 1);
    std::int64_t blocks = 0;
    for (auto _ : state) {
        writer.AppendBlock(0, block.data(), audio::kBlockBytes);
        if (++blocks % 600 == 0) {
            state.PauseTiming();
            writer.deleteTempFile(0);
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AppendBlockOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    gLibraryFolder = QCoreApplication::applicationDirPath();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

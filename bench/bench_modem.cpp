// The voice modem's per-byte work for one second of audio: unshielding what the modem sends
// through the command/stream channel and converting it to 16-bit samples, and the way back
// (converting and shielding what the program plays). A modem line needs 16,000 bytes per second
// each way at most.
#include "platform/core/virtual_event_service.h"
#include "platform/modem/dle_codec.h"
#include "platform/modem/modem_channel.h"
#include "platform/modem/voice_format.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QRandomGenerator>

#include <vector>

using namespace qlnrec::platform;
using namespace qlnrec::platform::modem;

namespace {

// One second of speech-like 16-bit audio in a modem format, shielded, with the odd code in it.
QByteArray modemSecond(SampleFormat format)
{
    QRandomGenerator rng(7);
    std::vector<std::int16_t> samples(8000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(static_cast<int>(rng.bounded(20000)) - 10000);
    }
    QByteArray encoded;
    encodeSamples(format, samples.data(), samples.size(), encoded);
    QByteArray shielded = dleShield(encoded);
    shielded.insert(shielded.size() / 2, dleCode('5'));
    return shielded;
}

struct Sink final : ModemChannelListener {
    SampleFormat format = SampleFormat::Signed16;
    std::vector<std::int16_t> samples;
    void unsolicitedLine(const QByteArray&) override {}
    void code(char) override {}
    void audio(const char* data, std::size_t size) override
    {
        decodeSamples(format, reinterpret_cast<const std::uint8_t*>(data), size & ~std::size_t(1), samples);
    }
    void streamEnded() override {}
    void garbage(const QByteArray&) override {}
};

void receiveOneSecond(benchmark::State& state, SampleFormat format)
{
    VirtualEventService events;
    Sink sink;
    sink.format = format;
    ModemChannel channel(events, sink, [](const QByteArray&) {});
    channel.command(
        "AT+VRX", 1000, [](const ModemReply&) {}, true);
    channel.feed("\r\nCONNECT\r\n");
    const QByteArray second = modemSecond(format);
    // The port hands over reads of a few hundred bytes.
    std::vector<QByteArray> reads;
    for (qsizetype at = 0; at < second.size(); at += 512) {
        reads.push_back(second.mid(at, 512));
    }
    for (auto _ : state) {
        sink.samples.clear();
        for (const QByteArray& r : reads) {
            channel.feed(r);
        }
        benchmark::DoNotOptimize(sink.samples.data());
    }
    state.SetBytesProcessed(state.iterations() * second.size());
}

void transmitOneSecond(benchmark::State& state, SampleFormat format)
{
    std::vector<std::int16_t> samples(8000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>((i * 4099) & 0xFFFF);
    }
    for (auto _ : state) {
        // The transmit pump sends 20 ms at a time.
        for (std::size_t at = 0; at < samples.size(); at += 160) {
            QByteArray encoded;
            encodeSamples(format, samples.data() + at, 160, encoded);
            benchmark::DoNotOptimize(dleShield(encoded));
        }
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(samples.size()) *
                            bytesPerSample(format));
}

void BM_ReceiveSecond16Bit(benchmark::State& s)
{
    receiveOneSecond(s, SampleFormat::Signed16);
}
void BM_ReceiveSecondMuLaw(benchmark::State& s)
{
    receiveOneSecond(s, SampleFormat::MuLaw);
}
void BM_TransmitSecond16Bit(benchmark::State& s)
{
    transmitOneSecond(s, SampleFormat::Signed16);
}
void BM_TransmitSecondALaw(benchmark::State& s)
{
    transmitOneSecond(s, SampleFormat::ALaw);
}

BENCHMARK(BM_ReceiveSecond16Bit);
BENCHMARK(BM_ReceiveSecondMuLaw);
BENCHMARK(BM_TransmitSecond16Bit);
BENCHMARK(BM_TransmitSecondALaw);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

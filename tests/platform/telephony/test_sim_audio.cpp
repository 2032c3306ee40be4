// Line audio through the simulated lines: what the far end says comes back through waveIn
// sample-exact, what the program plays reaches the far end exactly, and the tones a real line
// carries (ringback, busy, dial tone, touch tones) are there.
#include "tests/platform/telephony/tapi_fixture.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

using namespace qlnrec::platform;
using qlnrec::test::TapiFixture;

namespace {

std::atomic<int> gBufferFilled{0};
std::atomic<int> gPromptPlaying{0};

void captureLine1(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    if (msg == MM_WIM_DATA) {
        gBufferFilled = 1;
    }
}

void promptLine1(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    if (msg == MM_WOM_DONE) {
        gPromptPlaying = 0;
    }
}

// Goertzel power of one frequency in a block, relative to the block's energy.
double toneShare(const std::vector<std::int16_t>& block, double hz)
{
    const double coefficient = 2 * std::cos(2 * std::numbers::pi * hz / 8000);
    double s1 = 0, s2 = 0, energy = 0;
    for (std::int16_t x : block) {
        const double s = x + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
        energy += static_cast<double>(x) * x;
    }
    const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return energy > 0 ? power / (energy * static_cast<double>(block.size()) / 2) : 0;
}

double rms(const std::vector<std::int16_t>& block, std::size_t from, std::size_t count)
{
    double sum = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        sum += static_cast<double>(block[i]) * block[i];
    }
    return std::sqrt(sum / static_cast<double>(count));
}

class SimAudio : public TapiFixture {
protected:
    // Answers an offered call on line 1 and returns its handle.
    HCALL answerIncoming()
    {
        sim(1).ring(1);
        settle();
        const HCALL call = offeredCall();
        EXPECT_GT(tapi().lineAnswer(call, nullptr, 0), 0);
        settle();
        return call;
    }

    int waveId(HCALL call, const char* deviceClass)
    {
        std::vector<unsigned char> b(2025);
        setTapiDword(b.data(), 0, 2025);
        EXPECT_EQ(tapi().lineGetID(0, 0, call, LINECALLSELECT_CALL, reinterpret_cast<VARSTRING*>(b.data()),
                                   deviceClass),
                  0);
        return tapiDword(b.data(), 20) == 0 ? -1 : b[24];
    }

    // Records `seconds` one-second blocks the way the capture session does and returns them.
    std::vector<std::int16_t> record(int device, int seconds)
    {
        gBufferFilled = 0;
        WaveService& wave = platform->wave();
        HWAVEIN handle = 0;
        const WAVEFORMATEX format = pcm8kMono16();
        EXPECT_EQ(wave.waveInOpen(&handle, static_cast<std::uint32_t>(device), &format, captureLine1, 0,
                                  CALLBACK_FUNCTION | WAVE_MAPPED),
                  MMSYSERR_NOERROR);
        std::vector<char> memory[2] = {std::vector<char>(16000), std::vector<char>(16000)};
        WAVEHDR headers[2];
        for (int i = 0; i < 2; ++i) {
            headers[i].lpData = memory[i].data();
            headers[i].dwBufferLength = 16000;
            wave.waveInPrepareHeader(handle, &headers[i], sizeof(WAVEHDR));
        }
        int next = 0;
        wave.waveInAddBuffer(handle, &headers[next], sizeof(WAVEHDR));
        next = 1;
        wave.waveInStart(handle);
        std::vector<std::int16_t> captured;
        int blocks = 0;
        Timer swap(events, 1, [&] {
            if (gBufferFilled.load() != 1) {
                return;
            }
            wave.waveInAddBuffer(handle, &headers[next], sizeof(WAVEHDR));
            next = 1 - next;
            gBufferFilled = 0;
            const WAVEHDR& done = headers[next];
            const auto* samples = reinterpret_cast<const std::int16_t*>(done.lpData);
            captured.insert(captured.end(), samples, samples + done.dwBytesRecorded / 2);
            ++blocks;
        });
        swap.setEnabled(true);
        events.advanceUntil([&] { return blocks >= seconds; },
                            static_cast<std::uint64_t>(seconds + 2) * 1000);
        swap.setEnabled(false);
        EXPECT_EQ(wave.droppedCaptureFrames(handle), 0u);
        wave.waveInReset(handle);
        wave.waveInUnprepareHeader(handle, &headers[0], sizeof(WAVEHDR));
        wave.waveInUnprepareHeader(handle, &headers[1], sizeof(WAVEHDR));
        EXPECT_EQ(wave.waveInClose(handle), MMSYSERR_NOERROR);
        captured.resize(std::min<std::size_t>(captured.size(), static_cast<std::size_t>(seconds) * 8000));
        return captured;
    }
};

TEST_F(SimAudio, FarEndSpeechComesBackSampleExactAcrossSixtyOneSecondBlocks)
{
    initialize();
    open(1);
    const HCALL call = answerIncoming();
    const int device = waveId(call, "wave/in");
    ASSERT_EQ(device, 1);

    // 61 seconds of a signal no two seconds of which are alike, then silence.
    std::vector<std::int16_t> speech(61 * 8000 - 1234);
    std::uint32_t state = 12345;
    for (auto& s : speech) {
        state = state * 1103515245u + 12345u;
        s = static_cast<std::int16_t>(state >> 16);
    }
    sim(1).playFarEndAudio(speech);
    const auto captured = record(device, 62);
    ASSERT_EQ(captured.size(), 62u * 8000);
    for (std::size_t i = 0; i < speech.size(); ++i) {
        ASSERT_EQ(captured[i], speech[i]) << "sample " << i;
    }
    for (std::size_t i = speech.size(); i < captured.size(); ++i) {
        ASSERT_EQ(captured[i], 0) << "sample " << i;
    }
    EXPECT_EQ(platform->wave().totalDroppedCaptureFrames(), 0u);
}

TEST_F(SimAudio, APromptReachesTheFarEndExactlyAndDoneFollowsItsLastSample)
{
    initialize();
    open(1);
    const HCALL call = answerIncoming();
    const int device = waveId(call, "wave/out");
    ASSERT_GE(device, 0);
    std::vector<std::int16_t> prompt(20000);
    for (std::size_t i = 0; i < prompt.size(); ++i) {
        prompt[i] = static_cast<std::int16_t>(8000 * std::sin(i * 0.05) + (i % 7));
    }
    WaveService& wave = platform->wave();
    HWAVEOUT handle = 0;
    const WAVEFORMATEX format = pcm8kMono16();
    ASSERT_EQ(wave.waveOutOpen(&handle, static_cast<std::uint32_t>(device), &format, promptLine1, 0,
                               CALLBACK_FUNCTION | WAVE_MAPPED),
              MMSYSERR_NOERROR);
    WAVEHDR header;
    header.lpData = reinterpret_cast<char*>(prompt.data());
    header.dwBufferLength = static_cast<std::uint32_t>(prompt.size() * 2);
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    gPromptPlaying = -1;
    const std::uint64_t start = events.elapsedMs();
    ASSERT_TRUE(events.advanceUntil([] { return gPromptPlaying.load() == 0; }, 5000));
    EXPECT_GE(events.elapsedMs() - start, 2500u) << "20,000 samples last 2.5 s";
    EXPECT_EQ(sim(1).playedSamples(), prompt);
    EXPECT_EQ(sim(1).playedSamples(1), prompt);
    wave.waveOutReset(handle);
    wave.waveOutUnprepareHeader(handle, &header, sizeof(WAVEHDR));
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);
    events.advance(100);
    EXPECT_EQ(sim(1).playbackRuns(), 1u);

    // After the hang-up nothing played counts for the call.
    ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
    settle();
    ASSERT_EQ(wave.waveOutOpen(&handle, static_cast<std::uint32_t>(device), &format, promptLine1, 0,
                               CALLBACK_FUNCTION | WAVE_MAPPED),
              MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(3000);
    EXPECT_EQ(sim(1).playedSamples(1), prompt);
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);
}

TEST_F(SimAudio, AFarEndThatHangsUpLeavesBusyToneInItsCadence)
{
    initialize();
    open(1);
    const HCALL call = answerIncoming();
    sim(1).hangUpFarEnd(HangUpNotice::BusyTone);
    const auto captured = record(waveId(call, "wave/in"), 2);
    ASSERT_EQ(captured.size(), 16000u);
    // 0.5 s on, 0.5 s off, starting with the hang-up.
    EXPECT_GT(rms(captured, 0, 4000), 2000);
    EXPECT_LT(rms(captured, 4000, 4000), 1);
    EXPECT_GT(rms(captured, 8000, 4000), 2000);
    const std::vector<std::int16_t> on(captured.begin(), captured.begin() + 4000);
    EXPECT_GT(toneShare(on, 480), 0.3);
    EXPECT_GT(toneShare(on, 620), 0.3);
    EXPECT_LT(toneShare(on, 440), 0.05);
    EXPECT_EQ(only(LINE_CALLSTATE).back().p2, LINEDISCONNECTMODE_BUSY);
}

TEST_F(SimAudio, OutgoingCallsHearRingbackAndSilentHangUpsGiveNoNotice)
{
    initialize();
    const HLINE line = open(1);
    HCALL call = 0;
    ASSERT_GT(tapi().lineMakeCall(line, &call, "5551234", 0, nullptr), 0);
    settle();
    sim(1).farEndRingback();
    const auto ringback = record(waveId(call, "wave/in"), 3);
    EXPECT_GT(rms(ringback, 0, 16000), 1000);
    EXPECT_LT(rms(ringback, 16000, 8000), 1);
    const std::vector<std::int16_t> burst(ringback.begin(), ringback.begin() + 8000);
    EXPECT_GT(toneShare(burst, 440), 0.3);
    EXPECT_GT(toneShare(burst, 480), 0.3);

    sim(1).farEndAnswer();
    settle();
    EXPECT_EQ(tapi().callState(call), LINECALLSTATE_CONNECTED);
    sim(1).playFarEndTone(ToneSpec{{1000}, 0, 0, 500, 8000});
    sim(1).hangUpFarEnd(HangUpNotice::None);
    const auto after = record(waveId(call, "wave/in"), 1);
    EXPECT_LT(rms(after, 0, 8000), 1) << "the far end's pending speech went with it";
    EXPECT_EQ(tapi().callState(call), LINECALLSTATE_CONNECTED) << "a silent hang-up raises no notice";
}

TEST_F(SimAudio, FarEndTouchTonesAreAudibleWithTheirTwoFrequencies)
{
    initialize();
    open(1);
    const HCALL call = answerIncoming();
    sim(1).sendDigits("9", 200, 100);
    const auto captured = record(waveId(call, "wave/in"), 1);
    const std::vector<std::int16_t> key(captured.begin() + 100, captured.begin() + 1500);
    EXPECT_GT(toneShare(key, 852), 0.3);
    EXPECT_GT(toneShare(key, 1477), 0.3);
    EXPECT_LT(rms(captured, 1700, 4000), 1);

    // On hook the far end is not heard at all.
    ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
    settle();
    sim(1).playFarEndTone(ToneSpec{{700}, 0, 0, 2000, 8000});
    const auto onHook = record(waveId(call, "wave/in"), 1);
    EXPECT_LT(rms(onHook, 0, 8000), 1);
}

} // namespace

namespace {

// A clock moved by hand; timers never fire and posts are dropped, so only the driver thread
// runs on its own.
class HandClock final : public EventService {
public:
    std::atomic<std::uint32_t> nowMs{1000};
    std::uint32_t timeGetTime() const override { return nowMs.load(); }
    QDateTime currentDateTime() const override { return {}; }
    void post(std::function<void()>) override {}
    void processPendingEvents() override {}

protected:
    void scheduleTimer(Timer&) override {}
    void cancelTimer(Timer&) override {}
};

class SilentEvents final : public LineDeviceEvents {
public:
    void ring(std::uint32_t, std::uint32_t) override {}
    void callerId(std::uint32_t, const CallerId&) override {}
    void callState(std::uint32_t id, DeviceCallState, HangUpNotice) override { callId = id; }
    void digitDetected(std::uint32_t, char) override {}
    void generateFinished(std::uint32_t, bool) override {}
    std::uint32_t callId = 0;
};

std::atomic<int> gThreadBlock{0};

void threadCapture(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    if (msg == MM_WIM_DATA) {
        gThreadBlock = 1;
    }
}

TEST(SimAudioRealTime, FarEndAudioQueuedOnTheGuiThreadIsCapturedOnTheDriverThread)
{
    HandClock clock;
    QString error;
    auto platform = LinePlatform::create(clock, QStringLiteral("sim:1"), &error,
                                         WaveServiceOptions{PacingMode::DriverThread, false, 20});
    ASSERT_TRUE(platform) << error.toStdString();
    SimLine& sim = *platform->simLine(0);
    SilentEvents listener;
    ASSERT_EQ(sim.open(&listener), 0);
    sim.ring(1);
    sim.answer(listener.callId, [](std::int32_t) {});
    ASSERT_TRUE(sim.offHook());

    WaveService& wave = platform->wave();
    HWAVEIN handle = 0;
    const WAVEFORMATEX format = pcm8kMono16();
    ASSERT_EQ(wave.waveInOpen(&handle, 0, &format, threadCapture, 0, CALLBACK_FUNCTION | WAVE_MAPPED), 0u);
    std::vector<char> memory(8000);
    WAVEHDR header;
    header.lpData = memory.data();
    header.dwBufferLength = 8000;
    ASSERT_EQ(wave.waveInPrepareHeader(handle, &header, sizeof(WAVEHDR)), 0u);
    ASSERT_EQ(wave.waveInAddBuffer(handle, &header, sizeof(WAVEHDR)), 0u);
    std::vector<std::int16_t> speech(4000);
    for (std::size_t i = 0; i < speech.size(); ++i) {
        speech[i] = static_cast<std::int16_t>(i * 13);
    }
    sim.playFarEndAudio(speech); // queued while the driver thread is running
    ASSERT_EQ(wave.waveInStart(handle), 0u);
    for (int step = 0; step < 50; ++step) {
        clock.nowMs += 10; // the thread catches up in its own time
        sim.playFarEndSilence(1);
    }
    while (gThreadBlock.load() == 0) {
        std::this_thread::yield();
    }
    std::vector<std::int16_t> captured(4000);
    std::memcpy(captured.data(), memory.data(), 8000);

    EXPECT_EQ(captured, speech);
    ASSERT_EQ(wave.waveInReset(handle), 0u);
    ASSERT_EQ(wave.waveInClose(handle), 0u);
    sim.close();
}

} // namespace

// Capture through waveIn: continuity across many blocks in the program's double-buffer style,
// reset and stop mid-block, notices, error codes, the mapper rule and dropped-audio accounting.
#include "platform/core/virtual_event_service.h"
#include "platform/wave/wave_service.h"
#include "tests/platform/wave/wave_test_devices.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>

using namespace qlnrec::platform;
using qlnrec::test::RampInput;
using qlnrec::test::rampValue;

namespace {

// The program's callbacks store a flag and nothing else; a plain function per "line".
std::atomic<int> gFilled{0};
std::atomic<int> gClosed{0};
std::atomic<int> gOpened{0};
std::atomic<std::uintptr_t> gLastHeader{0};

void lineCallback(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t p1, std::uintptr_t)
{
    if (msg == MM_WIM_DATA) {
        gLastHeader = p1;
        gFilled = 1;
    } else if (msg == MM_WIM_CLOSE) {
        gClosed = 1;
    } else if (msg == MM_WIM_OPEN) {
        gOpened = 1;
    }
}

struct CaptureFixture : ::testing::Test {
    VirtualEventService events;
    WaveService wave{events, WaveServiceOptions{PacingMode::ClockTimers, false, 20}};
    std::shared_ptr<RampInput> device = std::make_shared<RampInput>(wave.pacer());
    std::uint32_t deviceId = wave.addInputDevice(device);
    WAVEFORMATEX format = pcm8kMono16();
    std::vector<char> memory[2] = {std::vector<char>(16000), std::vector<char>(16000)};
    WAVEHDR headers[2];
    HWAVEIN handle = 0;

    void SetUp() override
    {
        gFilled = 0;
        gClosed = 0;
        gOpened = 0;
        for (int i = 0; i < 2; ++i) {
            headers[i].lpData = memory[i].data();
            headers[i].dwBufferLength = 16000;
        }
    }

    void open(std::uint32_t flags = CALLBACK_FUNCTION | WAVE_MAPPED)
    {
        ASSERT_EQ(wave.waveInOpen(&handle, deviceId, &format, lineCallback, 0, flags), MMSYSERR_NOERROR);
        for (auto& h : headers) {
            ASSERT_EQ(wave.waveInPrepareHeader(handle, &h, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        }
    }

    std::int64_t frameNow() const { return static_cast<std::int64_t>(events.timeGetTime()) * 8; }

    static std::vector<std::int16_t> samplesOf(const WAVEHDR& h)
    {
        std::vector<std::int16_t> out(h.dwBytesRecorded / 2);
        std::memcpy(out.data(), h.lpData, out.size() * 2);
        return out;
    }
};

TEST_F(CaptureFixture, SixtyOneSecondBlocksComeBackSampleExactWithTheProgramsSwapTimer)
{
    open();
    const std::int64_t firstFrame = frameNow();
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    int next = 1;
    ASSERT_EQ(wave.waveInStart(handle), MMSYSERR_NOERROR);

    // The swap timer of the capture session: every millisecond, queue the idle header first,
    // then take the block that came back.
    std::vector<std::int16_t> captured;
    int blocks = 0;
    Timer swap(events, 1, [&] {
        if (gFilled.load() != 1) {
            return;
        }
        ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[next], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
        next = 1 - next;
        gFilled = 0;
        const WAVEHDR& done = headers[next];
        EXPECT_EQ(gLastHeader.load(), reinterpret_cast<std::uintptr_t>(&done));
        EXPECT_EQ(done.dwBytesRecorded, 16000u);
        EXPECT_TRUE(done.dwFlags & WHDR_DONE);
        EXPECT_FALSE(done.dwFlags & WHDR_INQUEUE);
        const auto samples = samplesOf(done);
        captured.insert(captured.end(), samples.begin(), samples.end());
        ++blocks;
    });
    swap.setEnabled(true);
    events.advance(62 * 1000);

    ASSERT_GE(blocks, 61);
    for (std::size_t i = 0; i < captured.size(); ++i) {
        ASSERT_EQ(captured[i], rampValue(firstFrame + static_cast<std::int64_t>(i))) << "frame " << i;
    }
    EXPECT_EQ(wave.droppedCaptureFrames(handle), 0u);
    EXPECT_EQ(wave.totalDroppedCaptureFrames(), 0u);
}

TEST_F(CaptureFixture, ResetMidBlockReturnsThePartlyFilledHeaderAtOnceThenCloseNotifies)
{
    open();
    EXPECT_EQ(gOpened.load(), 1);
    const std::int64_t firstFrame = frameNow();
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStart(handle), MMSYSERR_NOERROR);
    events.advance(1000);
    ASSERT_EQ(gFilled.load(), 1);
    gFilled = 0;
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(437); // not a multiple of the pacing step

    ASSERT_EQ(wave.waveInReset(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(gFilled.load(), 1) << "the queued header must come back within waveInReset";
    EXPECT_EQ(headers[1].dwBytesRecorded, 437u * 16);
    EXPECT_TRUE(headers[1].dwFlags & WHDR_DONE);
    const auto tail = samplesOf(headers[1]);
    for (std::size_t i = 0; i < tail.size(); ++i) {
        ASSERT_EQ(tail[i], rampValue(firstFrame + 8000 + static_cast<std::int64_t>(i)));
    }

    // Nothing arrives after the reset.
    gFilled = 0;
    events.advance(2000);
    EXPECT_EQ(gFilled.load(), 0);

    EXPECT_EQ(wave.waveInUnprepareHeader(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(wave.waveInUnprepareHeader(handle, &headers[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_FALSE(headers[1].dwFlags & WHDR_PREPARED);
    EXPECT_EQ(gClosed.load(), 0);
    EXPECT_EQ(wave.waveInClose(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(gClosed.load(), 1);
    EXPECT_EQ(wave.waveInClose(handle), MMSYSERR_INVALHANDLE);
}

TEST_F(CaptureFixture, ResetOfAnEmptyDeviceGivesAZeroLengthBlockAndStopKeepsEmptyHeadersQueued)
{
    open();
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStart(handle), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInReset(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(gFilled.load(), 1);
    EXPECT_EQ(headers[0].dwBytesRecorded, 0u);

    // waveInStop hands back only a header that holds data.
    gFilled = 0;
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStop(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(gFilled.load(), 0);
    EXPECT_TRUE(headers[0].dwFlags & WHDR_INQUEUE);
    EXPECT_EQ(wave.waveInClose(handle), WAVERR_STILLPLAYING);
    ASSERT_EQ(wave.waveInReset(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(wave.waveInClose(handle), MMSYSERR_NOERROR);
}

TEST_F(CaptureFixture, AudioWithoutAQueuedHeaderIsHeldBrieflyThenDroppedAndCounted)
{
    open();
    const std::int64_t firstFrame = frameNow();
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStart(handle), MMSYSERR_NOERROR);
    events.advance(1000);
    ASSERT_EQ(gFilled.load(), 1);
    // The program is late: no header for one second.
    events.advance(1000);
    EXPECT_EQ(wave.droppedCaptureFrames(handle), 8000u - 160u);
    EXPECT_EQ(wave.totalDroppedCaptureFrames(), 8000u - 160u);

    // The next header starts with the 20 ms the device held, then the present.
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[1], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(500);
    ASSERT_EQ(wave.waveInReset(handle), MMSYSERR_NOERROR);
    const auto block = samplesOf(headers[1]);
    ASSERT_EQ(block.size(), 160u + 4000u);
    EXPECT_EQ(block[0], rampValue(firstFrame + 8000));
    EXPECT_EQ(block[159], rampValue(firstFrame + 8159));
    EXPECT_EQ(block[160], rampValue(firstFrame + 16000));
}

TEST_F(CaptureFixture, ErrorCodesForBadHandlesHeadersDevicesFormatsAndFlags)
{
    HWAVEIN h = 0;
    EXPECT_EQ(wave.waveInOpen(&h, 7, &format, lineCallback, 0, CALLBACK_FUNCTION), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(wave.waveInOpen(&h, deviceId, nullptr, lineCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(wave.waveInOpen(&h, deviceId, &format, lineCallback, 0, 0x00010000), MMSYSERR_INVALFLAG);
    WAVEFORMATEX wide{WAVE_FORMAT_PCM, 1, 16000, 32000, 2, 16, 0};
    EXPECT_EQ(wave.waveInOpen(&h, deviceId, &wide, lineCallback, 0, CALLBACK_FUNCTION), WAVERR_BADFORMAT)
        << "a numbered device opened directly takes only its own format";
    WAVEFORMATEX truespeech{WAVE_FORMAT_DSPGROUP_TRUESPEECH, 1, 8000, 1067, 32, 1, 0};
    EXPECT_EQ(wave.waveInOpen(&h, deviceId, &truespeech, lineCallback, 0, CALLBACK_FUNCTION | WAVE_MAPPED),
              WAVERR_BADFORMAT);
    EXPECT_EQ(wave.waveInOpen(nullptr, deviceId, &wide, lineCallback, 0,
                              CALLBACK_FUNCTION | WAVE_FORMAT_QUERY | WAVE_MAPPED),
              MMSYSERR_NOERROR);

    open();
    HWAVEIN second = 0;
    EXPECT_EQ(wave.waveInOpen(&second, deviceId, &format, lineCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_ALLOCATED);
    WAVEHDR loose;
    std::vector<char> bytes(100);
    loose.lpData = bytes.data();
    loose.dwBufferLength = 100;
    EXPECT_EQ(wave.waveInAddBuffer(handle, &loose, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    EXPECT_EQ(wave.waveInPrepareHeader(handle, &loose, 4), MMSYSERR_INVALPARAM);
    EXPECT_EQ(wave.waveInPrepareHeader(handle + 1000, &loose, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(wave.waveInStart(0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(wave.waveInReset(0xDEAD), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(wave.waveInUnprepareHeader(handle, &headers[0], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    // A capture handle is not a playback handle.
    EXPECT_EQ(wave.waveOutReset(handle), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(wave.waveInReset(handle), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInClose(handle), MMSYSERR_NOERROR);
    // The device is free again.
    EXPECT_EQ(wave.waveInOpen(&second, deviceId, &format, lineCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    EXPECT_EQ(wave.waveInClose(second), MMSYSERR_NOERROR);
}

TEST_F(CaptureFixture, MappedOpenConvertsTheDeviceFormatToTheCallersFormat)
{
    WAVEFORMATEX wide{WAVE_FORMAT_PCM, 2, 16000, 64000, 4, 16, 0};
    format = wide;
    open(CALLBACK_FUNCTION | WAVE_MAPPED);
    headers[0].dwBufferLength = 6400; // 0.1 s of 16 kHz stereo
    ASSERT_EQ(wave.waveInAddBuffer(handle, &headers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStart(handle), MMSYSERR_NOERROR);
    events.advance(120);
    EXPECT_EQ(gFilled.load(), 1);
    EXPECT_EQ(headers[0].dwBytesRecorded, 6400u);
    ASSERT_EQ(wave.waveInReset(handle), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInClose(handle), MMSYSERR_NOERROR);
}

TEST(WaveMapper, DeviceMinusOneIsTheNullSoundCardWithoutASoundCard)
{
    VirtualEventService events;
    WaveService wave(events, WaveServiceOptions{PacingMode::ClockTimers, false, 20});
    EXPECT_TRUE(wave.soundCardIsNull());
    EXPECT_EQ(wave.waveInGetNumDevs(), 0u);
    gFilled = 0;
    HWAVEIN h = 0;
    const WAVEFORMATEX format = pcm8kMono16();
    // The program opens device -1 without WAVE_MAPPED; any PCM format is accepted there.
    ASSERT_EQ(wave.waveInOpen(&h, WAVE_MAPPER, &format, lineCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<char> memory(16000, 0x55);
    WAVEHDR header;
    header.lpData = memory.data();
    header.dwBufferLength = 16000;
    ASSERT_EQ(wave.waveInPrepareHeader(h, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInAddBuffer(h, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStart(h), MMSYSERR_NOERROR);
    events.advance(999);
    EXPECT_EQ(gFilled.load(), 0) << "the null device is paced by the clock";
    events.advance(1);
    EXPECT_EQ(gFilled.load(), 1);
    EXPECT_TRUE(std::all_of(memory.begin(), memory.end(), [](char c) { return c == 0; }));
    ASSERT_EQ(wave.waveInReset(h), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInClose(h), MMSYSERR_NOERROR);
}

// A clock the test moves by hand while the driver thread paces the device.
class HandClock final : public EventService {
public:
    std::atomic<std::uint32_t> nowMs{5000};
    std::uint32_t timeGetTime() const override { return nowMs.load(); }
    QDateTime currentDateTime() const override { return {}; }
    void post(std::function<void()>) override {}
    void processPendingEvents() override {}

protected:
    void scheduleTimer(Timer&) override {}
    void cancelTimer(Timer&) override {}
};

std::atomic<int> gThreadFilled{0};
std::atomic<std::thread::id> gCallbackThread{};

void threadCallback(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    if (msg == MM_WIM_DATA) {
        gCallbackThread = std::this_thread::get_id();
        gThreadFilled = 1;
    }
}

TEST(WaveDriverThread, InRealTimeTheCallbackComesFromTheDriverThreadWithTheSameData)
{
    HandClock clock;
    WaveService wave(clock, WaveServiceOptions{PacingMode::DriverThread, false, 20});
    ASSERT_TRUE(wave.pacer().threaded());
    auto device = std::make_shared<RampInput>(wave.pacer());
    const std::uint32_t id = wave.addInputDevice(device);
    HWAVEIN h = 0;
    const WAVEFORMATEX format = pcm8kMono16();
    ASSERT_EQ(wave.waveInOpen(&h, id, &format, threadCallback, 0, CALLBACK_FUNCTION), MMSYSERR_NOERROR);
    std::vector<char> memory(1600);
    WAVEHDR header;
    header.lpData = memory.data();
    header.dwBufferLength = 1600;
    ASSERT_EQ(wave.waveInPrepareHeader(h, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInAddBuffer(h, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInStart(h), MMSYSERR_NOERROR);
    clock.nowMs += 100;
    while (gThreadFilled.load() == 0) {
        std::this_thread::yield();
    }
    EXPECT_NE(gCallbackThread.load(), std::this_thread::get_id());
    std::vector<std::int16_t> samples(800);
    std::memcpy(samples.data(), memory.data(), 1600);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        ASSERT_EQ(samples[i], rampValue(5000 * 8 + static_cast<std::int64_t>(i)));
    }
    ASSERT_EQ(wave.waveInReset(h), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveInClose(h), MMSYSERR_NOERROR);
}

} // namespace

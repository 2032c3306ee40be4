// Playback through waveOut: a written block plays once, exactly; MM_WOM_DONE follows its last
// sample; reset hands blocks back; notices and error codes.
#include "platform/core/virtual_event_service.h"
#include "platform/wave/wave_service.h"
#include "tests/platform/wave/wave_test_devices.h"

#include <gtest/gtest.h>

#include <atomic>

using namespace qlnrec::platform;
using qlnrec::test::RecordingOutput;

namespace {

std::atomic<int> gPlaying{0};
std::atomic<int> gDoneCount{0};
std::atomic<int> gOutClosed{0};

void promptCallback(std::uint32_t, std::uint32_t msg, std::uintptr_t, std::uintptr_t, std::uintptr_t)
{
    if (msg == MM_WOM_DONE) {
        gPlaying = 0;
        ++gDoneCount;
    } else if (msg == MM_WOM_CLOSE) {
        gOutClosed = 1;
    }
}

struct PlaybackFixture : ::testing::Test {
    VirtualEventService events;
    WaveService wave{events, WaveServiceOptions{PacingMode::ClockTimers, false, 20}};
    std::shared_ptr<RecordingOutput> device = std::make_shared<RecordingOutput>(wave.pacer());
    std::uint32_t deviceId = wave.addOutputDevice(device);
    WAVEFORMATEX format = pcm8kMono16();
    HWAVEOUT handle = 0;

    void SetUp() override
    {
        gPlaying = 0;
        gDoneCount = 0;
        gOutClosed = 0;
    }

    static std::vector<std::int16_t> prompt(std::size_t frames)
    {
        std::vector<std::int16_t> samples(frames);
        for (std::size_t i = 0; i < frames; ++i) {
            samples[i] = static_cast<std::int16_t>((i * 37) % 20000 - 10000);
        }
        return samples;
    }
};

TEST_F(PlaybackFixture, ABlockPlaysOnceExactlyAndDoneFollowsItsLastSample)
{
    ASSERT_EQ(
        wave.waveOutOpen(&handle, deviceId, &format, promptCallback, 0, CALLBACK_FUNCTION | WAVE_MAPPED),
        MMSYSERR_NOERROR);
    events.advance(7); // writes do not line up with the device's pacing
    auto samples = prompt(12345);
    WAVEHDR header;
    header.lpData = reinterpret_cast<char*>(samples.data());
    header.dwBufferLength = static_cast<std::uint32_t>(samples.size() * 2);
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    const std::uint64_t writtenAt = events.elapsedMs();
    ASSERT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    gPlaying = -1;

    // 12,345 frames last 1,543.125 ms.
    events.advance(1543);
    EXPECT_EQ(gPlaying.load(), -1) << "done before the last sample was played";
    events.advanceUntil([] { return gPlaying.load() == 0; }, 100);
    EXPECT_EQ(gPlaying.load(), 0);
    EXPECT_LE(events.elapsedMs() - writtenAt, 1544u + 20u);
    EXPECT_EQ(device->frames(), samples);
    EXPECT_TRUE(header.dwFlags & WHDR_DONE);
    EXPECT_FALSE(header.dwFlags & WHDR_INQUEUE);

    // It plays once: nothing more reaches the device.
    events.advance(3000);
    EXPECT_EQ(device->frames().size(), samples.size());
    EXPECT_EQ(gDoneCount.load(), 1);

    ASSERT_EQ(wave.waveOutReset(handle), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutUnprepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(gOutClosed.load(), 1);
}

TEST_F(PlaybackFixture, ResetStopsPlaybackAndHandsTheBlockBack)
{
    ASSERT_EQ(wave.waveOutOpen(&handle, deviceId, &format, promptCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    auto samples = prompt(80000);
    WAVEHDR header;
    header.lpData = reinterpret_cast<char*>(samples.data());
    header.dwBufferLength = static_cast<std::uint32_t>(samples.size() * 2);
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(2000);
    EXPECT_EQ(wave.waveOutClose(handle), WAVERR_STILLPLAYING);
    EXPECT_EQ(wave.waveOutUnprepareHeader(handle, &header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    EXPECT_EQ(gDoneCount.load(), 0);
    ASSERT_EQ(wave.waveOutReset(handle), MMSYSERR_NOERROR);
    EXPECT_EQ(gDoneCount.load(), 1);
    EXPECT_EQ(device->frames().size(), 16000u);
    events.advance(2000);
    EXPECT_EQ(device->frames().size(), 16000u);
    ASSERT_EQ(wave.waveOutUnprepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);
}

TEST_F(PlaybackFixture, OddLengthsEmptyBlocksAndOtherFormats)
{
    // An odd byte count plays whole frames only; an empty block is done at once.
    ASSERT_EQ(wave.waveOutOpen(&handle, deviceId, &format, promptCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    auto samples = prompt(100);
    WAVEHDR odd;
    odd.lpData = reinterpret_cast<char*>(samples.data());
    odd.dwBufferLength = 199;
    WAVEHDR empty;
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &odd, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &empty, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &odd, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &empty, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(40);
    EXPECT_EQ(gDoneCount.load(), 2);
    EXPECT_EQ(device->frames(), std::vector<std::int16_t>(samples.begin(), samples.begin() + 99));
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);

    // 11,025 Hz 8-bit prompts need the mapper; the device then gets 8 kHz.
    WAVEFORMATEX narrow{WAVE_FORMAT_PCM, 1, 11025, 11025, 1, 8, 0};
    EXPECT_EQ(wave.waveOutOpen(&handle, deviceId, &narrow, promptCallback, 0, CALLBACK_FUNCTION),
              WAVERR_BADFORMAT);
    ASSERT_EQ(
        wave.waveOutOpen(&handle, deviceId, &narrow, promptCallback, 0, CALLBACK_FUNCTION | WAVE_MAPPED),
        MMSYSERR_NOERROR);
    std::vector<char> eightBit(11025, static_cast<char>(0xC0));
    WAVEHDR block;
    block.lpData = eightBit.data();
    block.dwBufferLength = 11025;
    const std::size_t before = device->frames().size();
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &block, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &block, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(1100);
    const auto frames = device->frames();
    EXPECT_NEAR(static_cast<double>(frames.size() - before), 8000.0, 2.0);
    EXPECT_EQ(frames.back(), 0x40 * 256);
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);
}

TEST_F(PlaybackFixture, ErrorCodesAndPause)
{
    HWAVEOUT h = 0;
    EXPECT_EQ(wave.waveOutOpen(&h, 3, &format, promptCallback, 0, CALLBACK_FUNCTION), MMSYSERR_BADDEVICEID);
    EXPECT_EQ(wave.waveOutWrite(1234, nullptr, sizeof(WAVEHDR)), MMSYSERR_INVALHANDLE);
    ASSERT_EQ(wave.waveOutOpen(&handle, deviceId, &format, promptCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    EXPECT_EQ(wave.waveOutOpen(&h, deviceId, &format, promptCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_ALLOCATED);
    auto samples = prompt(800);
    WAVEHDR header;
    header.lpData = reinterpret_cast<char*>(samples.data());
    header.dwBufferLength = 1600;
    EXPECT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    WAVEHDR noData;
    noData.dwBufferLength = 10;
    EXPECT_EQ(wave.waveOutPrepareHeader(handle, &noData, sizeof(WAVEHDR)), MMSYSERR_INVALPARAM);
    ASSERT_EQ(wave.waveOutPrepareHeader(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutPause(handle), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(wave.waveOutWrite(handle, &header, sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
    events.advance(500);
    EXPECT_EQ(gDoneCount.load(), 0) << "a paused device plays nothing";
    ASSERT_EQ(wave.waveOutRestart(handle), MMSYSERR_NOERROR);
    events.advance(120);
    EXPECT_EQ(gDoneCount.load(), 1);
    EXPECT_EQ(device->frames(), samples);
    ASSERT_EQ(wave.waveOutClose(handle), MMSYSERR_NOERROR);
}

TEST(WaveMapperPlayback, DeviceMinusOneDiscardsAtTheClocksPaceWithoutASoundCard)
{
    VirtualEventService events;
    WaveService wave(events, WaveServiceOptions{PacingMode::ClockTimers, false, 20});
    gDoneCount = 0;
    const WAVEFORMATEX format = pcm8kMono16();
    HWAVEOUT h = 0;
    ASSERT_EQ(wave.waveOutOpen(&h, WAVE_MAPPER, &format, promptCallback, 0, CALLBACK_FUNCTION),
              MMSYSERR_NOERROR);
    std::vector<std::int16_t> second(8000, 1000);
    WAVEHDR header;
    header.lpData = reinterpret_cast<char*>(second.data());
    header.dwBufferLength = 16000;
    ASSERT_EQ(wave.waveOutPrepareHeader(h, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(wave.waveOutWrite(h, &header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    events.advance(980);
    EXPECT_EQ(gDoneCount.load(), 0);
    events.advance(40);
    EXPECT_EQ(gDoneCount.load(), 1);
    ASSERT_EQ(wave.waveOutClose(h), MMSYSERR_NOERROR);
}

} // namespace

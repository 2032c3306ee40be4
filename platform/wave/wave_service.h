#pragma once
// Waveform audio in the style of the Windows waveIn/waveOut functions: devices by id, handles,
// prepared headers queued to a device, and a function callback per handle with MM_WIM_OPEN,
// MM_WIM_DATA, MM_WIM_CLOSE, MM_WOM_OPEN, MM_WOM_DONE and MM_WOM_CLOSE.
//
// Devices: input and output ids 0, 1, ... are the line devices the line providers registered
// (each line has one of each, as lineGetID reports them). WAVE_MAPPER (-1) is the computer's
// sound card through Qt Multimedia, or a null device (silence in, output discarded, both paced by
// the clock) where there is none. Opening a numbered device with WAVE_MAPPED, or opening
// WAVE_MAPPER, converts between the caller's PCM format and the device's; opening a numbered
// device without WAVE_MAPPED accepts only the device's own format.
//
// Capture: the queued headers fill in order; a full header is marked WHDR_DONE with
// dwBytesRecorded and handed back through MM_WIM_DATA, and the next queued header continues with
// the very next sample. Audio arriving while no header is queued is held (the device's own
// buffer, captureHoldMs, generous so that a late GUI thread loses nothing) and goes into the next
// header queued; beyond the hold it is dropped, and dropped frames are counted. waveInReset hands
// back the header being filled at once, partly filled, and every other queued header empty; audio
// held at that moment stays held and fills the next header queued, even on the stopped device. Playback: a
// written block plays once; MM_WOM_DONE follows its last sample.
//
// Threading: call the functions on the GUI thread. Callbacks run in the driver's context and
// must only store a flag.
#include "platform/core/event_service.h"
#include "platform/wave/media_pacer.h"
#include "platform/wave/wave_device.h"
#include "platform/wave/wave_types.h"

#include <cstdint>
#include <memory>

namespace qlnrec::platform {

struct WaveServiceOptions {
    PacingMode pacing = PacingMode::Auto;
    // Use the computer's sound card for WAVE_MAPPER when Qt Multimedia reports one; otherwise,
    // or when false, WAVE_MAPPER is the null device.
    bool useSoundCard = true;
    // How long a device holds audio that arrives while no header is queued: the capture engine
    // queues its next header on the GUI thread, which a long handler or the conversion of other
    // lines' blocks may keep busy for a while.
    std::uint32_t captureHoldMs = 10000;
};

class WaveService {
public:
    explicit WaveService(EventService& events, WaveServiceOptions options = {});
    ~WaveService();
    WaveService(const WaveService&) = delete;
    WaveService& operator=(const WaveService&) = delete;

    EventService& events() const;
    MediaPacer& pacer() const;

    // Registry of line devices, filled by the line providers. Ids count from 0 in order of
    // registration, inputs and outputs separately.
    std::uint32_t addInputDevice(std::shared_ptr<WaveInDevice> device);
    std::uint32_t addOutputDevice(std::shared_ptr<WaveOutDevice> device);
    // Replaces the devices behind WAVE_MAPPER (tests, or a chosen card).
    void setSoundCard(std::shared_ptr<WaveInDevice> input, std::shared_ptr<WaveOutDevice> output);
    bool soundCardIsNull() const;
    QString inputDeviceName(std::uint32_t deviceId) const;
    QString outputDeviceName(std::uint32_t deviceId) const;

    std::uint32_t waveInGetNumDevs() const;
    MMRESULT waveInOpen(HWAVEIN* phwi, std::uint32_t deviceId, const WAVEFORMATEX* format,
                        WaveCallback callback, std::uintptr_t instance, std::uint32_t flags);
    MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* header, std::uint32_t headerSize);
    MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* header, std::uint32_t headerSize);
    MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, std::uint32_t headerSize);
    MMRESULT waveInStart(HWAVEIN hwi);
    // Stops capture; the header being filled comes back (partly filled), empty ones stay queued.
    MMRESULT waveInStop(HWAVEIN hwi);
    // Stops capture and hands back every queued header.
    MMRESULT waveInReset(HWAVEIN hwi);
    MMRESULT waveInClose(HWAVEIN hwi);

    std::uint32_t waveOutGetNumDevs() const;
    MMRESULT waveOutOpen(HWAVEOUT* phwo, std::uint32_t deviceId, const WAVEFORMATEX* format,
                         WaveCallback callback, std::uintptr_t instance, std::uint32_t flags);
    MMRESULT waveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* header, std::uint32_t headerSize);
    MMRESULT waveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* header, std::uint32_t headerSize);
    MMRESULT waveOutWrite(HWAVEOUT hwo, WAVEHDR* header, std::uint32_t headerSize);
    MMRESULT waveOutPause(HWAVEOUT hwo);
    MMRESULT waveOutRestart(HWAVEOUT hwo);
    // Stops playback and hands back every queued block (MM_WOM_DONE for each).
    MMRESULT waveOutReset(HWAVEOUT hwo);
    MMRESULT waveOutClose(HWAVEOUT hwo);

    // Capture frames dropped because no header was queued: for one open handle, and for every
    // handle since the service started.
    std::uint64_t droppedCaptureFrames(HWAVEIN hwi) const;
    std::uint64_t totalDroppedCaptureFrames() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qlnrec::platform

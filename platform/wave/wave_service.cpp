#include "platform/wave/wave_service.h"

#include "platform/wave/paced_devices.h"
#include "platform/wave/pcm_converter.h"
#include "platform/wave/qt_sound_card.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace qlnrec::platform {

namespace {

constexpr std::uint32_t kCallbackTypeMask = 0x00070000;
constexpr std::uint32_t kCallbackNone = 0x00000000;

struct InHandle final : WaveCaptureSink {
    HWAVEIN handle = 0;
    std::shared_ptr<WaveInDevice> device;
    WAVEFORMATEX format{};
    WaveCallback callback;
    std::uintptr_t instance = 0;
    bool started = false; // GUI thread only
    std::atomic<std::uint64_t>* totalDropped = nullptr;

    std::mutex mutex; // guards everything below; taken by the device's context
    bool capturing = false;
    std::deque<WAVEHDR*> queue;
    std::vector<std::uint8_t> hold;
    std::size_t holdCapacity = 0;
    std::optional<PcmConverter> converter;
    std::vector<std::uint8_t> scratch;
    std::uint64_t droppedFrames = 0;

    void notify(std::uint32_t msg, std::uintptr_t param1) const
    {
        if (callback) {
            callback(handle, msg, instance, param1, 0);
        }
    }

    void notifyDone(const std::vector<WAVEHDR*>& done) const
    {
        for (WAVEHDR* header : done) {
            notify(MM_WIM_DATA, reinterpret_cast<std::uintptr_t>(header));
        }
    }

    static void complete(WAVEHDR* header) { header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE; }

    // Fills queued headers in order; what does not fit waits in the device's hold buffer or, when
    // that is full too, is dropped.
    void deliverLocked(const std::uint8_t* data, std::size_t bytes, std::vector<WAVEHDR*>& done)
    {
        while (bytes > 0) {
            if (queue.empty()) {
                const std::size_t room = holdCapacity > hold.size() ? holdCapacity - hold.size() : 0;
                const std::size_t take = std::min(room, bytes);
                hold.insert(hold.end(), data, data + take);
                const std::size_t lost = bytes - take;
                if (lost > 0) {
                    const std::uint64_t frames = lost / std::max<std::size_t>(format.nBlockAlign, 1);
                    droppedFrames += frames;
                    if (totalDropped) {
                        totalDropped->fetch_add(frames);
                    }
                }
                return;
            }
            WAVEHDR* header = queue.front();
            const std::size_t room = header->dwBufferLength - header->dwBytesRecorded;
            const std::size_t take = std::min(room, bytes);
            std::memcpy(header->lpData + header->dwBytesRecorded, data, take);
            header->dwBytesRecorded += static_cast<std::uint32_t>(take);
            data += take;
            bytes -= take;
            if (header->dwBytesRecorded >= header->dwBufferLength) {
                complete(header);
                queue.pop_front();
                done.push_back(header);
            }
        }
    }

    void captured(const std::uint8_t* data, std::size_t bytes) override
    {
        std::vector<WAVEHDR*> done;
        {
            std::lock_guard lock(mutex);
            if (!capturing) {
                return;
            }
            if (converter && !converter->identity()) {
                scratch.clear();
                converter->convert(data, bytes, scratch);
                data = scratch.data();
                bytes = scratch.size();
            }
            deliverLocked(data, bytes, done);
        }
        notifyDone(done);
    }
};

struct OutHandle final : WavePlaybackSource {
    HWAVEOUT handle = 0;
    std::shared_ptr<WaveOutDevice> device;
    WAVEFORMATEX format{};
    WaveCallback callback;
    std::uintptr_t instance = 0;
    std::optional<PcmConverter> converter; // GUI thread only (used when a block is written)

    struct Block {
        WAVEHDR* header;
        std::vector<std::uint8_t> data;
        std::size_t position = 0;
    };
    std::mutex mutex; // guards the queue and the pause flag
    std::deque<Block> queue;
    bool paused = false;

    void notify(std::uint32_t msg, std::uintptr_t param1) const
    {
        if (callback) {
            callback(handle, msg, instance, param1, 0);
        }
    }

    std::size_t pull(std::uint8_t* out, std::size_t bytes) override
    {
        std::vector<WAVEHDR*> done;
        std::size_t copied = 0;
        {
            std::lock_guard lock(mutex);
            if (paused) {
                return 0;
            }
            while (!queue.empty()) {
                Block& block = queue.front();
                const std::size_t take = std::min(bytes - copied, block.data.size() - block.position);
                if (take > 0) {
                    std::memcpy(out + copied, block.data.data() + block.position, take);
                }
                block.position += take;
                copied += take;
                if (block.position < block.data.size()) {
                    break; // the step is full
                }
                // The block's last sample has been played.
                InHandle::complete(block.header);
                done.push_back(block.header);
                queue.pop_front();
                if (copied == bytes) {
                    break;
                }
            }
        }
        for (WAVEHDR* header : done) {
            notify(MM_WOM_DONE, reinterpret_cast<std::uintptr_t>(header));
        }
        return copied;
    }
};

} // namespace

class WaveService::Impl {
public:
    Impl(EventService& events, WaveServiceOptions options)
        : events(events), options(options), pacer(MediaPacer::create(events, options.pacing))
    {
    }

    ~Impl()
    {
        // Devices stop before the pacer goes, so no pump outlives the service.
        for (auto& [handle, in] : ins) {
            if (in->started) {
                in->device->stop();
            }
        }
        for (auto& [handle, out] : outs) {
            out->device->stop();
        }
        ins.clear();
        outs.clear();
    }

    void resolveSoundCard()
    {
        if (soundCardResolved) {
            return;
        }
        soundCardResolved = true;
        if (options.useSoundCard) {
            if (!cardIn) {
                cardIn = createQtSoundCardInput();
            }
            if (!cardOut) {
                cardOut = createQtSoundCardOutput();
            }
        }
        cardNull = !cardIn && !cardOut;
        if (!cardIn) {
            cardIn = std::make_shared<NullInputDevice>(*pacer);
        }
        if (!cardOut) {
            cardOut = std::make_shared<NullOutputDevice>(*pacer);
        }
    }

    InHandle* in(HWAVEIN handle)
    {
        auto it = ins.find(handle);
        return it == ins.end() ? nullptr : it->second.get();
    }
    OutHandle* out(HWAVEOUT handle)
    {
        auto it = outs.find(handle);
        return it == outs.end() ? nullptr : it->second.get();
    }

    // Validates the common open arguments and finds the device; mapped tells whether formats may
    // be converted.
    template <typename Device>
    MMRESULT findDevice(std::uint32_t deviceId, std::uint32_t flags,
                        const std::vector<std::shared_ptr<Device>>& list, const std::shared_ptr<Device>& card,
                        std::shared_ptr<Device>& device, bool& mapped)
    {
        const std::uint32_t callbackType = flags & kCallbackTypeMask;
        if (callbackType != kCallbackNone && callbackType != CALLBACK_FUNCTION) {
            return MMSYSERR_INVALFLAG;
        }
        if (deviceId == WAVE_MAPPER) {
            device = card;
            mapped = true;
        } else if (deviceId < list.size()) {
            device = list[deviceId];
            mapped = (flags & WAVE_MAPPED) != 0;
        } else {
            return MMSYSERR_BADDEVICEID;
        }
        return device ? MMSYSERR_NOERROR : MMSYSERR_NODRIVER;
    }

    static MMRESULT checkFormat(const WAVEFORMATEX* format, const WAVEFORMATEX& native, bool mapped)
    {
        if (!format) {
            return MMSYSERR_INVALPARAM;
        }
        if (!PcmConverter::supported(*format) || !PcmConverter::supported(native)) {
            return WAVERR_BADFORMAT;
        }
        if (!mapped && !sameFormat(*format, native)) {
            return WAVERR_BADFORMAT;
        }
        return MMSYSERR_NOERROR;
    }

    static MMRESULT checkHeader(const WAVEHDR* header, std::uint32_t headerSize)
    {
        if (!header || headerSize < sizeof(WAVEHDR)) {
            return MMSYSERR_INVALPARAM;
        }
        if (!header->lpData && header->dwBufferLength > 0) {
            return MMSYSERR_INVALPARAM;
        }
        return MMSYSERR_NOERROR;
    }

    // Header bookkeeping shared by capture and playback devices.
    static MMRESULT prepare(WAVEHDR* header, std::uint32_t headerSize)
    {
        if (MMRESULT r = checkHeader(header, headerSize)) {
            return r;
        }
        header->dwFlags |= WHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }

    static MMRESULT unprepare(WAVEHDR* header, std::uint32_t headerSize)
    {
        if (!header || headerSize < sizeof(WAVEHDR)) {
            return MMSYSERR_INVALPARAM;
        }
        if (header->dwFlags & WHDR_INQUEUE) {
            return WAVERR_STILLPLAYING;
        }
        header->dwFlags &= ~WHDR_PREPARED;
        return MMSYSERR_NOERROR;
    }

    // A header may be queued once it is valid, prepared and not queued already.
    static MMRESULT checkQueueable(const WAVEHDR* header, std::uint32_t headerSize)
    {
        if (MMRESULT r = checkHeader(header, headerSize)) {
            return r;
        }
        if (!(header->dwFlags & WHDR_PREPARED)) {
            return WAVERR_UNPREPARED;
        }
        if (header->dwFlags & WHDR_INQUEUE) {
            return WAVERR_STILLPLAYING;
        }
        return MMSYSERR_NOERROR;
    }

    HWAVEIN newHandle() { return nextHandle++; }

    EventService& events;
    WaveServiceOptions options;
    std::unique_ptr<MediaPacer> pacer; // first member destroyed last
    std::vector<std::shared_ptr<WaveInDevice>> inputs;
    std::vector<std::shared_ptr<WaveOutDevice>> outputs;
    std::shared_ptr<WaveInDevice> cardIn;
    std::shared_ptr<WaveOutDevice> cardOut;
    bool soundCardResolved = false;
    bool cardNull = true;
    std::set<const void*> busy; // devices with an open handle
    std::map<std::uint32_t, std::unique_ptr<InHandle>> ins;
    std::map<std::uint32_t, std::unique_ptr<OutHandle>> outs;
    std::uint32_t nextHandle = 0x00A10001;
    std::atomic<std::uint64_t> totalDropped{0};
};

WaveService::WaveService(EventService& events, WaveServiceOptions options)
    : impl_(std::make_unique<Impl>(events, options))
{
}

WaveService::~WaveService() = default;

EventService& WaveService::events() const
{
    return impl_->events;
}

MediaPacer& WaveService::pacer() const
{
    return *impl_->pacer;
}

std::uint32_t WaveService::addInputDevice(std::shared_ptr<WaveInDevice> device)
{
    impl_->inputs.push_back(std::move(device));
    return static_cast<std::uint32_t>(impl_->inputs.size() - 1);
}

std::uint32_t WaveService::addOutputDevice(std::shared_ptr<WaveOutDevice> device)
{
    impl_->outputs.push_back(std::move(device));
    return static_cast<std::uint32_t>(impl_->outputs.size() - 1);
}

void WaveService::setSoundCard(std::shared_ptr<WaveInDevice> input, std::shared_ptr<WaveOutDevice> output)
{
    impl_->soundCardResolved = false;
    impl_->cardIn = std::move(input);
    impl_->cardOut = std::move(output);
    impl_->resolveSoundCard();
}

bool WaveService::soundCardIsNull() const
{
    impl_->resolveSoundCard();
    return impl_->cardNull;
}

QString WaveService::inputDeviceName(std::uint32_t deviceId) const
{
    if (deviceId == WAVE_MAPPER) {
        impl_->resolveSoundCard();
        return impl_->cardIn->name();
    }
    return deviceId < impl_->inputs.size() ? impl_->inputs[deviceId]->name() : QString();
}

QString WaveService::outputDeviceName(std::uint32_t deviceId) const
{
    if (deviceId == WAVE_MAPPER) {
        impl_->resolveSoundCard();
        return impl_->cardOut->name();
    }
    return deviceId < impl_->outputs.size() ? impl_->outputs[deviceId]->name() : QString();
}

// ---- capture ----

std::uint32_t WaveService::waveInGetNumDevs() const
{
    return static_cast<std::uint32_t>(impl_->inputs.size());
}

MMRESULT WaveService::waveInOpen(HWAVEIN* phwi, std::uint32_t deviceId, const WAVEFORMATEX* format,
                                 WaveCallback callback, std::uintptr_t instance, std::uint32_t flags)
{
    const bool query = (flags & WAVE_FORMAT_QUERY) != 0;
    if (!phwi && !query) {
        return MMSYSERR_INVALPARAM;
    }
    if (deviceId == WAVE_MAPPER) {
        impl_->resolveSoundCard();
    }
    std::shared_ptr<WaveInDevice> device;
    bool mapped = false;
    if (MMRESULT r = impl_->findDevice(deviceId, flags, impl_->inputs, impl_->cardIn, device, mapped)) {
        return r;
    }
    const WAVEFORMATEX native = device->nativeFormat();
    if (MMRESULT r = Impl::checkFormat(format, native, mapped)) {
        return r;
    }
    if (query) {
        return MMSYSERR_NOERROR;
    }
    if (impl_->busy.count(device.get())) {
        return MMSYSERR_ALLOCATED;
    }
    auto handle = std::make_unique<InHandle>();
    handle->handle = impl_->newHandle();
    handle->device = device;
    handle->format = *format;
    if ((flags & kCallbackTypeMask) == CALLBACK_FUNCTION) {
        handle->callback = std::move(callback);
    }
    handle->instance = instance;
    handle->totalDropped = &impl_->totalDropped;
    if (!sameFormat(*format, native)) {
        handle->converter.emplace(native, *format);
    }
    const std::size_t align = std::max<std::size_t>(format->nBlockAlign, 1);
    handle->holdCapacity = static_cast<std::size_t>(format->nAvgBytesPerSec) * impl_->options.captureHoldMs /
                           1000 / align * align;
    impl_->busy.insert(device.get());
    InHandle* raw = handle.get();
    *phwi = raw->handle;
    impl_->ins[raw->handle] = std::move(handle);
    raw->notify(MM_WIM_OPEN, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* header, std::uint32_t headerSize)
{
    if (!impl_->in(hwi)) {
        return MMSYSERR_INVALHANDLE;
    }
    return Impl::prepare(header, headerSize);
}

MMRESULT WaveService::waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* header, std::uint32_t headerSize)
{
    if (!impl_->in(hwi)) {
        return MMSYSERR_INVALHANDLE;
    }
    return Impl::unprepare(header, headerSize);
}

MMRESULT WaveService::waveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, std::uint32_t headerSize)
{
    InHandle* in = impl_->in(hwi);
    if (!in) {
        return MMSYSERR_INVALHANDLE;
    }
    if (MMRESULT r = Impl::checkQueueable(header, headerSize)) {
        return r;
    }
    if (header->dwBufferLength == 0) {
        return MMSYSERR_INVALPARAM;
    }
    std::vector<WAVEHDR*> done;
    {
        std::lock_guard lock(in->mutex);
        header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
        header->dwBytesRecorded = 0;
        in->queue.push_back(header);
        if (!in->hold.empty()) {
            // Audio the device held while no header was queued comes first.
            std::vector<std::uint8_t> held;
            held.swap(in->hold);
            in->deliverLocked(held.data(), held.size(), done);
        }
    }
    in->notifyDone(done);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveInStart(HWAVEIN hwi)
{
    InHandle* in = impl_->in(hwi);
    if (!in) {
        return MMSYSERR_INVALHANDLE;
    }
    if (in->started) {
        return MMSYSERR_NOERROR;
    }
    {
        std::lock_guard lock(in->mutex);
        in->capturing = true;
    }
    if (!in->device->start(in)) {
        std::lock_guard lock(in->mutex);
        in->capturing = false;
        return MMSYSERR_ALLOCATED;
    }
    in->started = true;
    return MMSYSERR_NOERROR;
}

namespace {

// Stops the device after it delivered everything up to now. No lock is held here: the device's
// context takes the handle's lock itself.
void stopCapture(InHandle* in)
{
    if (!in->started) {
        return;
    }
    in->device->flush();
    in->device->stop();
    in->started = false;
    // What the device holds stays: the next header queued takes it, so a stop never loses audio
    // that arrived while the owner was late with its header.
    std::lock_guard lock(in->mutex);
    in->capturing = false;
}

} // namespace

MMRESULT WaveService::waveInStop(HWAVEIN hwi)
{
    InHandle* in = impl_->in(hwi);
    if (!in) {
        return MMSYSERR_INVALHANDLE;
    }
    stopCapture(in);
    std::vector<WAVEHDR*> done;
    {
        std::lock_guard lock(in->mutex);
        if (!in->queue.empty() && in->queue.front()->dwBytesRecorded > 0) {
            InHandle::complete(in->queue.front());
            done.push_back(in->queue.front());
            in->queue.pop_front();
        }
    }
    in->notifyDone(done);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveInReset(HWAVEIN hwi)
{
    InHandle* in = impl_->in(hwi);
    if (!in) {
        return MMSYSERR_INVALHANDLE;
    }
    stopCapture(in);
    std::vector<WAVEHDR*> done;
    {
        std::lock_guard lock(in->mutex);
        for (WAVEHDR* header : in->queue) {
            InHandle::complete(header);
            done.push_back(header);
        }
        in->queue.clear();
    }
    in->notifyDone(done);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveInClose(HWAVEIN hwi)
{
    InHandle* in = impl_->in(hwi);
    if (!in) {
        return MMSYSERR_INVALHANDLE;
    }
    {
        std::lock_guard lock(in->mutex);
        if (!in->queue.empty()) {
            return WAVERR_STILLPLAYING;
        }
    }
    stopCapture(in);
    impl_->busy.erase(in->device.get());
    auto owned = std::move(impl_->ins[hwi]);
    impl_->ins.erase(hwi);
    owned->notify(MM_WIM_CLOSE, 0);
    return MMSYSERR_NOERROR;
}

std::uint64_t WaveService::droppedCaptureFrames(HWAVEIN hwi) const
{
    InHandle* in = impl_->in(hwi);
    if (!in) {
        return 0;
    }
    std::lock_guard lock(in->mutex);
    return in->droppedFrames;
}

std::uint64_t WaveService::totalDroppedCaptureFrames() const
{
    return impl_->totalDropped.load();
}

// ---- playback ----

std::uint32_t WaveService::waveOutGetNumDevs() const
{
    return static_cast<std::uint32_t>(impl_->outputs.size());
}

MMRESULT WaveService::waveOutOpen(HWAVEOUT* phwo, std::uint32_t deviceId, const WAVEFORMATEX* format,
                                  WaveCallback callback, std::uintptr_t instance, std::uint32_t flags)
{
    const bool query = (flags & WAVE_FORMAT_QUERY) != 0;
    if (!phwo && !query) {
        return MMSYSERR_INVALPARAM;
    }
    if (deviceId == WAVE_MAPPER) {
        impl_->resolveSoundCard();
    }
    std::shared_ptr<WaveOutDevice> device;
    bool mapped = false;
    if (MMRESULT r = impl_->findDevice(deviceId, flags, impl_->outputs, impl_->cardOut, device, mapped)) {
        return r;
    }
    const WAVEFORMATEX native = device->nativeFormat();
    if (MMRESULT r = Impl::checkFormat(format, native, mapped)) {
        return r;
    }
    if (query) {
        return MMSYSERR_NOERROR;
    }
    if (impl_->busy.count(device.get())) {
        return MMSYSERR_ALLOCATED;
    }
    auto handle = std::make_unique<OutHandle>();
    handle->handle = impl_->newHandle();
    handle->device = device;
    handle->format = *format;
    if ((flags & kCallbackTypeMask) == CALLBACK_FUNCTION) {
        handle->callback = std::move(callback);
    }
    handle->instance = instance;
    if (!sameFormat(*format, native)) {
        handle->converter.emplace(*format, native);
    }
    OutHandle* raw = handle.get();
    if (!device->start(raw)) {
        return MMSYSERR_ALLOCATED;
    }
    impl_->busy.insert(device.get());
    *phwo = raw->handle;
    impl_->outs[raw->handle] = std::move(handle);
    raw->notify(MM_WOM_OPEN, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* header, std::uint32_t headerSize)
{
    if (!impl_->out(hwo)) {
        return MMSYSERR_INVALHANDLE;
    }
    return Impl::prepare(header, headerSize);
}

MMRESULT WaveService::waveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* header, std::uint32_t headerSize)
{
    if (!impl_->out(hwo)) {
        return MMSYSERR_INVALHANDLE;
    }
    return Impl::unprepare(header, headerSize);
}

MMRESULT WaveService::waveOutWrite(HWAVEOUT hwo, WAVEHDR* header, std::uint32_t headerSize)
{
    OutHandle* out = impl_->out(hwo);
    if (!out) {
        return MMSYSERR_INVALHANDLE;
    }
    if (MMRESULT r = Impl::checkQueueable(header, headerSize)) {
        return r;
    }
    OutHandle::Block block{header, {}, 0};
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
    // Whole frames only: a trailing partial frame cannot be played.
    const std::size_t align = std::max<std::size_t>(out->format.nBlockAlign, 1);
    const std::size_t length = header->dwBufferLength / align * align;
    if (out->converter) {
        out->converter->convert(bytes, length, block.data);
    } else if (length > 0) {
        block.data.assign(bytes, bytes + length);
    }
    std::lock_guard lock(out->mutex);
    header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
    out->queue.push_back(std::move(block));
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveOutPause(HWAVEOUT hwo)
{
    OutHandle* out = impl_->out(hwo);
    if (!out) {
        return MMSYSERR_INVALHANDLE;
    }
    std::lock_guard lock(out->mutex);
    out->paused = true;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveOutRestart(HWAVEOUT hwo)
{
    OutHandle* out = impl_->out(hwo);
    if (!out) {
        return MMSYSERR_INVALHANDLE;
    }
    std::lock_guard lock(out->mutex);
    out->paused = false;
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveOutReset(HWAVEOUT hwo)
{
    OutHandle* out = impl_->out(hwo);
    if (!out) {
        return MMSYSERR_INVALHANDLE;
    }
    std::vector<WAVEHDR*> done;
    {
        std::lock_guard lock(out->mutex);
        for (auto& block : out->queue) {
            InHandle::complete(block.header);
            done.push_back(block.header);
        }
        out->queue.clear();
        out->paused = false;
    }
    for (WAVEHDR* header : done) {
        out->notify(MM_WOM_DONE, reinterpret_cast<std::uintptr_t>(header));
    }
    return MMSYSERR_NOERROR;
}

MMRESULT WaveService::waveOutClose(HWAVEOUT hwo)
{
    OutHandle* out = impl_->out(hwo);
    if (!out) {
        return MMSYSERR_INVALHANDLE;
    }
    {
        std::lock_guard lock(out->mutex);
        if (!out->queue.empty()) {
            return WAVERR_STILLPLAYING;
        }
    }
    out->device->stop();
    impl_->busy.erase(out->device.get());
    auto owned = std::move(impl_->outs[hwo]);
    impl_->outs.erase(hwo);
    owned->notify(MM_WOM_CLOSE, 0);
    return MMSYSERR_NOERROR;
}

} // namespace qlnrec::platform

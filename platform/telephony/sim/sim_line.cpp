#include "platform/telephony/sim/sim_line.h"

#include "platform/telephony/sim/wave_file.h"
#include "platform/telephony/tapi_types.h"
#include "platform/wave/paced_devices.h"
#include "platform/wave/pcm_converter.h"

#include <QFile>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <deque>
#include <map>
#include <numbers>

namespace qlnrec::platform {

namespace {

constexpr std::int64_t kRate = 8000;
constexpr std::int64_t kPruneLagSamples = 10 * kRate;
// What a line keeps of its history: the played audio of this many calls, this many activity entries.
constexpr std::size_t kKeptCallAudio = 16;
constexpr std::size_t kKeptActivity = 2000;

// One-shot actions at clock times, on one EventService timer. Actions carry a tag so a group
// (the rings of a call, pending digit reports) can be cancelled together.
class Scheduler {
public:
    explicit Scheduler(EventService& events)
        : events_(events), baseMs_(events.timeGetTime()), timer_(events, 1, [this] { tick(); })
    {
    }

    std::uint64_t now() const { return static_cast<std::uint32_t>(events_.timeGetTime() - baseMs_); }

    void after(std::uint64_t delayMs, int tag, std::function<void()> action)
    {
        items_.emplace(now() + delayMs, Item{tag, std::move(action)});
        arm();
    }

    void cancel(int tag)
    {
        for (auto it = items_.begin(); it != items_.end();) {
            it = it->second.tag == tag ? items_.erase(it) : std::next(it);
        }
        arm();
    }

    void clear()
    {
        items_.clear();
        arm();
    }

private:
    struct Item {
        int tag;
        std::function<void()> action;
    };

    void arm()
    {
        if (items_.empty()) {
            timer_.setEnabled(false);
            return;
        }
        const std::uint64_t due = items_.begin()->first;
        const std::uint64_t current = now();
        const std::uint64_t delta = due > current ? due - current : 0;
        timer_.setInterval(static_cast<std::uint32_t>(std::max<std::uint64_t>(delta, 1)));
        timer_.setEnabled(true);
    }

    void tick()
    {
        const std::uint64_t current = now();
        while (!items_.empty() && items_.begin()->first <= current) {
            auto it = items_.begin();
            auto action = std::move(it->second.action);
            items_.erase(it);
            action();
        }
        arm();
    }

    EventService& events_;
    std::uint32_t baseMs_;
    Timer timer_;
    std::multimap<std::uint64_t, Item> items_;
};

enum Tag { kRingTag = 1, kRingTimeoutTag, kDigitTag, kGenerateTag };

struct DtmfPair {
    double low, high;
};

std::optional<DtmfPair> dtmfFrequencies(char digit)
{
    static const char* rows[] = {"123A", "456B", "789C", "*0#D"};
    static const double low[] = {697, 770, 852, 941};
    static const double high[] = {1209, 1336, 1477, 1633};
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(digit)));
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            if (rows[r][c] == upper) {
                return DtmfPair{low[r], high[c]};
            }
        }
    }
    return std::nullopt;
}

double toneSample(const ToneSpec& tone, std::int64_t offset)
{
    if (tone.offMs > 0) {
        const std::int64_t period = static_cast<std::int64_t>(tone.onMs + tone.offMs) * kRate / 1000;
        if (period > 0 && offset % period >= static_cast<std::int64_t>(tone.onMs) * kRate / 1000) {
            return 0;
        }
    }
    const double t = static_cast<double>(offset) / kRate;
    double value = 0;
    for (double f : tone.frequenciesHz) {
        value += tone.amplitude * std::sin(2 * std::numbers::pi * f * t);
    }
    return value;
}

const char* noticeName(HangUpNotice notice)
{
    switch (notice) {
    case HangUpNotice::None:
        return "no notice";
    case HangUpNotice::LoopDrop:
        return "loop-current drop";
    case HangUpNotice::BusyTone:
        return "busy tone";
    case HangUpNotice::DialTone:
        return "dial tone";
    case HangUpNotice::NoAnswer:
        return "no answer";
    case HangUpNotice::NoDialTone:
        return "no dial tone";
    case HangUpNotice::Rejected:
        return "rejected";
    case HangUpNotice::Unknown:
        break;
    }
    return "unknown";
}

QString describeField(const CallerIdField& field)
{
    switch (field.kind) {
    case CallerIdField::Kind::Absent:
        return QStringLiteral("absent");
    case CallerIdField::Kind::Private:
        return QStringLiteral("private");
    case CallerIdField::Kind::Unavailable:
        return QStringLiteral("unavailable");
    case CallerIdField::Kind::Present:
        break;
    }
    return QLatin1Char('"') + QString::fromUtf8(field.text) + QLatin1Char('"');
}

} // namespace

// ---- the line's audio devices ----

class SimWaveIn final : public PacedInputDevice {
public:
    SimWaveIn(MediaPacer& pacer, QString name, std::uint32_t epochMs, SimLine* line)
        : PacedInputDevice(pacer, std::move(name), epochMs), line_(line)
    {
    }
    void detach() { line_.store(nullptr); }

protected:
    void render(std::int64_t firstFrame, std::int16_t* out, std::size_t count) override
    {
        if (SimLine* line = line_.load()) {
            line->renderLineAudio(firstFrame, out, count);
        } else {
            std::fill(out, out + count, std::int16_t{0});
        }
    }

private:
    std::atomic<SimLine*> line_;
};

class SimWaveOut final : public PacedOutputDevice {
public:
    SimWaveOut(MediaPacer& pacer, QString name, SimLine* line)
        : PacedOutputDevice(pacer, std::move(name)), line_(line)
    {
    }
    void detach() { line_.store(nullptr); }

    void stop() override
    {
        PacedOutputDevice::stop();
        // A run of played audio ends when the device closes, even on a step boundary.
        if (SimLine* line = line_.load()) {
            line->receivePlayed(nullptr, 0, false);
        }
    }

protected:
    void played(const std::int16_t* frames, std::size_t count, std::size_t stepFrames) override
    {
        if (SimLine* line = line_.load()) {
            line->receivePlayed(frames, count, count == stepFrames);
        }
    }

private:
    std::atomic<SimLine*> line_;
};

// ---- the line ----

class SimLine::Impl {
public:
    enum class Background { Silence, Ringback, Busy, DialTone };

    struct Segment {
        std::int64_t start = 0;
        std::int64_t length = 0;
        std::shared_ptr<const std::vector<std::int16_t>> samples; // null: tone or silence
        std::optional<ToneSpec> tone;
    };
    struct Overlay {
        std::int64_t start = 0;
        std::int64_t length = 0;
        ToneSpec tone;
    };
    struct Call {
        std::uint32_t id = 0;
        DeviceCallState state = DeviceCallState::Idle;
        bool incoming = true;
        bool abandoned = false; // incoming caller gave up before the answer
        bool farEndGone = false;
        std::uint32_t rings = 0;
    };

    Impl(SimLine& owner, EventService& events, WaveService& wave, std::uint32_t epochMs)
        : owner(owner), events(events), wave(wave), epochMs(epochMs), scheduler(events)
    {
    }

    std::uint32_t clockMs() const { return static_cast<std::uint32_t>(events.timeGetTime() - epochMs); }
    std::int64_t nowSample() const { return static_cast<std::int64_t>(clockMs()) * kRate / 1000; }

    void logLocked(const QString& text)
    {
        activity.push_back({clockMs(), text});
        // Likewise the record of what happened: the oldest half goes when it is full.
        if (activity.size() > kKeptActivity) {
            activity.erase(activity.begin(),
                           activity.begin() + static_cast<std::ptrdiff_t>(kKeptActivity / 2));
        }
    }
    void log(const QString& text)
    {
        std::lock_guard lock(mutex);
        logLocked(text);
    }

    // ---- far-end audio timeline (mutex held) ----
    void pruneLocked(std::int64_t before)
    {
        while (!segments.empty() && segments.front().start + segments.front().length <= before) {
            segments.pop_front();
        }
        overlays.erase(std::remove_if(overlays.begin(), overlays.end(),
                                      [&](const Overlay& o) { return o.start + o.length <= before; }),
                       overlays.end());
        while (backgrounds.size() > 1 && std::next(backgrounds.begin())->first <= before) {
            backgrounds.erase(backgrounds.begin());
        }
    }

    void queueLocked(Segment segment)
    {
        const std::int64_t now = nowSample();
        // The line's capture may run behind the clock (its driver thread catches up in steps):
        // only audio that ended well in the past is forgotten here.
        pruneLocked(now - kPruneLagSamples);
        std::int64_t start = now;
        if (!segments.empty()) {
            start = std::max(start, segments.back().start + segments.back().length);
        }
        segment.start = start;
        segments.push_back(std::move(segment));
    }

    void setBackgroundLocked(Background kind)
    {
        const std::int64_t now = nowSample();
        backgrounds.erase(backgrounds.lower_bound(now), backgrounds.end());
        backgrounds[now] = kind;
    }

    // Far-end speech that has not played yet is gone when the far end goes.
    void cutQueueLocked()
    {
        const std::int64_t now = nowSample();
        for (auto it = segments.begin(); it != segments.end();) {
            if (it->start >= now) {
                it = segments.erase(it);
            } else {
                it->length = std::min(it->length, now - it->start);
                ++it;
            }
        }
    }

    double backgroundSample(std::int64_t s) const
    {
        auto it = backgrounds.upper_bound(s);
        if (it == backgrounds.begin()) {
            return 0;
        }
        --it;
        const std::int64_t offset = s - it->first;
        static const ToneSpec ringback{{440, 480}, 2000, 4000, 0, 3000};
        static const ToneSpec busy{{480, 620}, 500, 500, 0, 3000};
        static const ToneSpec dial{{350, 440}, 0, 0, 0, 3000};
        switch (it->second) {
        case Background::Silence:
            return 0;
        case Background::Ringback:
            return toneSample(ringback, offset);
        case Background::Busy:
            return toneSample(busy, offset);
        case Background::DialTone:
            return toneSample(dial, offset);
        }
        return 0;
    }

    void render(std::int64_t first, std::int16_t* out, std::size_t count)
    {
        std::lock_guard lock(mutex);
        if (!offHook) {
            std::fill(out, out + count, std::int16_t{0});
            return;
        }
        std::size_t segmentIndex = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::int64_t s = first + static_cast<std::int64_t>(i);
            while (segmentIndex < segments.size() &&
                   segments[segmentIndex].start + segments[segmentIndex].length <= s) {
                ++segmentIndex;
            }
            double value;
            if (segmentIndex < segments.size() && segments[segmentIndex].start <= s) {
                const Segment& seg = segments[segmentIndex];
                const std::int64_t offset = s - seg.start;
                if (seg.samples) {
                    value = (*seg.samples)[static_cast<std::size_t>(offset)];
                } else if (seg.tone) {
                    value = toneSample(*seg.tone, offset);
                } else {
                    value = 0;
                }
            } else {
                value = backgroundSample(s);
            }
            for (const Overlay& o : overlays) {
                if (s >= o.start && s < o.start + o.length) {
                    value += toneSample(o.tone, s - o.start);
                }
            }
            out[i] = static_cast<std::int16_t>(std::clamp(std::lround(value), -32768L, 32767L));
        }
        pruneLocked(first);
    }

    void receivePlayed(const std::int16_t* frames, std::size_t count, bool stepFull)
    {
        std::lock_guard lock(mutex);
        if (count > 0) {
            if (!inPlaybackRun) {
                inPlaybackRun = true;
                playbackRunSamples = 0;
                logLocked(offHook ? QStringLiteral("playback into the line starts")
                                  : QStringLiteral("playback starts while on hook (not heard)"));
            }
            playbackRunSamples += count;
            if (offHook && callNumber > 0) {
                auto& record = played[callNumber];
                record.insert(record.end(), frames, frames + count);
            }
        }
        if (inPlaybackRun && !stepFull) {
            inPlaybackRun = false;
            ++playbackRunsEnded;
            logLocked(QStringLiteral("playback ends: %1 samples (%2 s)")
                          .arg(playbackRunSamples)
                          .arg(static_cast<double>(playbackRunSamples) / kRate, 0, 'f', 3));
        }
    }

    // ---- call control (GUI thread) ----
    void emitState(DeviceCallState state, HangUpNotice notice = HangUpNotice::None)
    {
        if (!call) {
            return;
        }
        call->state = state;
        if (listener) {
            listener->callState(call->id, state, notice);
        }
    }

    void startCall(bool incoming)
    {
        call = Call{};
        call->id = ++callSeq;
        call->incoming = incoming;
        std::lock_guard lock(mutex);
        ++callNumber;
        played[callNumber];
        // A line left running for days (the demonstration mode) keeps the audio of its latest
        // calls only.
        while (played.size() > kKeptCallAudio) {
            played.erase(played.begin());
        }
        setBackgroundLocked(Background::Silence);
    }

    void endCall(const QString& why)
    {
        scheduler.cancel(kRingTag);
        scheduler.cancel(kRingTimeoutTag);
        scheduler.cancel(kDigitTag);
        if (generating) {
            generating = false;
            scheduler.cancel(kGenerateTag);
            if (listener && call) {
                listener->generateFinished(call->id, false);
            }
        }
        monitoring = false;
        {
            std::lock_guard lock(mutex);
            const bool wasOffHook = offHook;
            offHook = false;
            segments.clear();
            overlays.clear();
            setBackgroundLocked(Background::Silence);
            logLocked(wasOffHook ? QStringLiteral("on hook (%1)").arg(why)
                                 : QStringLiteral("call ends (%1)").arg(why));
        }
        if (call) {
            emitState(DeviceCallState::Idle);
        }
        call.reset();
    }

    void doRing(std::uint32_t onMs, std::uint32_t offMs)
    {
        (void)onMs;
        (void)offMs;
        if (!listener) {
            log(QStringLiteral("ring (line not open, nobody listens)"));
            return;
        }
        if (!call) {
            startCall(true);
            log(QStringLiteral("incoming call %1 offered").arg(callNumber));
            emitState(DeviceCallState::Offering);
        } else if (call->state != DeviceCallState::Offering || call->abandoned) {
            log(QStringLiteral("ring ignored (line busy)"));
            return;
        }
        ++call->rings;
        log(QStringLiteral("ring %1").arg(call->rings));
        listener->ring(call->id, call->rings);
        scheduler.cancel(kRingTimeoutTag);
        scheduler.after(config.ringTimeoutMs, kRingTimeoutTag, [this] {
            if (call && call->state == DeviceCallState::Offering) {
                endCall(QStringLiteral("no more rings: caller gave up"));
            }
        });
    }

    void farEndGone(HangUpNotice notice)
    {
        call->farEndGone = true;
        {
            std::lock_guard lock(mutex);
            cutQueueLocked();
            setBackgroundLocked(notice == HangUpNotice::BusyTone   ? Background::Busy
                                : notice == HangUpNotice::DialTone ? Background::DialTone
                                                                   : Background::Silence);
        }
        scheduler.cancel(kDigitTag);
        if (notice != HangUpNotice::None) {
            emitState(DeviceCallState::Disconnected, notice);
        }
    }

    SimLine& owner;
    EventService& events;
    WaveService& wave;
    std::uint32_t epochMs;
    SimLineConfig config;
    Scheduler scheduler;
    LineDeviceEvents* listener = nullptr;
    std::optional<Call> call;
    std::uint32_t callSeq = 0;
    bool monitoring = false;
    bool generating = false;
    std::uint64_t generated = 0;
    std::vector<QByteArray> dialledStrings;
    std::shared_ptr<SimWaveIn> waveIn;
    std::shared_ptr<SimWaveOut> waveOut;
    std::uint32_t waveInId = 0;
    std::uint32_t waveOutId = 0;

    // Shared with the audio devices' context.
    mutable std::mutex mutex;
    bool offHook = false;
    int callNumber = 0;
    std::deque<Segment> segments;
    std::vector<Overlay> overlays;
    std::map<std::int64_t, Background> backgrounds;
    std::map<int, std::vector<std::int16_t>> played;
    bool inPlaybackRun = false;
    std::uint64_t playbackRunSamples = 0;
    std::uint64_t playbackRunsEnded = 0;
    std::vector<Activity> activity;
};

SimLine::SimLine(EventService& events, WaveService& wave, int index, std::uint32_t epochMs)
    : index_(index), impl_(std::make_unique<Impl>(*this, events, wave, epochMs))
{
    impl_->config.name = QStringLiteral("Simulated Voice Modem %1").arg(index + 1);
    impl_->backgrounds[0] = Impl::Background::Silence;
    const QString base = QStringLiteral("Simulated line %1").arg(index + 1);
    impl_->waveIn = std::make_shared<SimWaveIn>(wave.pacer(), base + QStringLiteral(" in"), epochMs, this);
    impl_->waveOut = std::make_shared<SimWaveOut>(wave.pacer(), base + QStringLiteral(" out"), this);
    impl_->waveInId = wave.addInputDevice(impl_->waveIn);
    impl_->waveOutId = wave.addOutputDevice(impl_->waveOut);
}

SimLine::~SimLine()
{
    // The wave service may keep the devices; they must not reach this line any more.
    impl_->waveIn->detach();
    impl_->waveOut->detach();
    impl_->listener = nullptr;
}

void SimLine::setConfig(const SimLineConfig& config)
{
    impl_->config = config;
}

SimLineConfig SimLine::config() const
{
    return impl_->config;
}

// ---- scripting ----

void SimLine::ring(int count, std::uint32_t onMs, std::uint32_t offMs)
{
    if (count <= 0) {
        return;
    }
    impl_->doRing(onMs, offMs);
    const std::uint64_t period = static_cast<std::uint64_t>(onMs) + offMs;
    for (int k = 1; k < count; ++k) {
        impl_->scheduler.after(period * static_cast<std::uint64_t>(k), kRingTag,
                               [this, onMs, offMs] { impl_->doRing(onMs, offMs); });
    }
}

void SimLine::sendCallerId(const CallerIdField& number, const CallerIdField& name)
{
    auto& call = impl_->call;
    if (!call || call->state != DeviceCallState::Offering || call->abandoned) {
        impl_->log(QStringLiteral("caller ID not delivered (no ringing call)"));
        return;
    }
    impl_->log(QStringLiteral("caller ID number=%1 name=%2").arg(describeField(number), describeField(name)));
    if (impl_->listener) {
        impl_->listener->callerId(call->id, CallerId{number, name});
    }
}

void SimLine::playFarEndAudio(std::vector<std::int16_t> samples)
{
    if (samples.empty()) {
        return;
    }
    Impl::Segment segment;
    segment.length = static_cast<std::int64_t>(samples.size());
    segment.samples = std::make_shared<const std::vector<std::int16_t>>(std::move(samples));
    std::lock_guard lock(impl_->mutex);
    impl_->logLocked(QStringLiteral("far end speaks: %1 samples (%2 s)")
                         .arg(segment.length)
                         .arg(static_cast<double>(segment.length) / kRate, 0, 'f', 3));
    impl_->queueLocked(std::move(segment));
}

bool SimLine::playFarEndWav(const QString& path, QString* error)
{
    QString problem;
    std::vector<std::int16_t> samples;
    if (!readWaveFileAs8kMono(path, samples, &problem)) {
        impl_->log(QStringLiteral("far-end audio %1 not played: %2").arg(path, problem));
        if (error) {
            *error = problem;
        }
        return false;
    }
    playFarEndAudio(std::move(samples));
    return true;
}

void SimLine::playFarEndTone(const ToneSpec& tone)
{
    if (tone.durationMs == 0) {
        return;
    }
    Impl::Segment segment;
    segment.length = static_cast<std::int64_t>(tone.durationMs) * kRate / 1000;
    segment.tone = tone;
    std::lock_guard lock(impl_->mutex);
    QStringList freqs;
    for (double f : tone.frequenciesHz) {
        freqs << QString::number(f);
    }
    impl_->logLocked(QStringLiteral("far end tone %1 Hz on=%2 off=%3 for %4 ms")
                         .arg(freqs.join(QLatin1Char('+')))
                         .arg(tone.onMs)
                         .arg(tone.offMs)
                         .arg(tone.durationMs));
    impl_->queueLocked(std::move(segment));
}

void SimLine::playFarEndSilence(std::uint32_t durationMs)
{
    if (durationMs == 0) {
        return;
    }
    Impl::Segment segment;
    segment.length = static_cast<std::int64_t>(durationMs) * kRate / 1000;
    std::lock_guard lock(impl_->mutex);
    impl_->logLocked(QStringLiteral("far end silent for %1 ms").arg(durationMs));
    impl_->queueLocked(std::move(segment));
}

void SimLine::sendDigits(const QByteArray& digits, std::uint32_t onMs, std::uint32_t offMs)
{
    auto& call = impl_->call;
    bool heard;
    {
        std::lock_guard lock(impl_->mutex);
        heard = impl_->offHook && call && !call->farEndGone;
        impl_->logLocked(heard ? QStringLiteral("far end keys \"%1\"").arg(QString::fromLatin1(digits))
                               : QStringLiteral("far end keys \"%1\" (not heard: line on hook)")
                                     .arg(QString::fromLatin1(digits)));
        if (!heard) {
            return;
        }
        const std::int64_t now = impl_->nowSample();
        std::int64_t start = now;
        for (char digit : digits) {
            if (auto pair = dtmfFrequencies(digit)) {
                Impl::Overlay overlay;
                overlay.start = start;
                overlay.length = static_cast<std::int64_t>(onMs) * kRate / 1000;
                overlay.tone = ToneSpec{{pair->low, pair->high}, 0, 0, onMs, 5000};
                impl_->overlays.push_back(overlay);
            }
            start += static_cast<std::int64_t>(onMs + offMs) * kRate / 1000;
        }
    }
    const std::uint32_t callId = call->id;
    std::uint64_t at = std::min(impl_->config.digitDetectMs, onMs);
    for (char digit : digits) {
        if (dtmfFrequencies(digit)) {
            impl_->scheduler.after(at, kDigitTag, [this, callId, digit] {
                auto& current = impl_->call;
                if (current && current->id == callId && impl_->monitoring && impl_->listener) {
                    impl_->listener->digitDetected(callId, digit);
                }
            });
        }
        at += static_cast<std::uint64_t>(onMs) + offMs;
    }
}

void SimLine::hangUpFarEnd(HangUpNotice notice)
{
    auto& call = impl_->call;
    if (!call) {
        impl_->log(QStringLiteral("far end hangs up (no call)"));
        return;
    }
    if (call->state == DeviceCallState::Offering) {
        call->abandoned = true;
        impl_->scheduler.cancel(kRingTag);
        impl_->log(QStringLiteral("caller hangs up while ringing"));
        return;
    }
    if (call->farEndGone) {
        return;
    }
    impl_->log(QStringLiteral("far end hangs up (%1)").arg(QLatin1String(noticeName(notice))));
    impl_->farEndGone(notice);
}

void SimLine::farEndRingback()
{
    auto& call = impl_->call;
    if (!call || call->incoming || call->farEndGone ||
        (call->state != DeviceCallState::Proceeding && call->state != DeviceCallState::Ringback)) {
        impl_->log(QStringLiteral("ringback ignored (no outgoing call being set up)"));
        return;
    }
    {
        std::lock_guard lock(impl_->mutex);
        impl_->setBackgroundLocked(Impl::Background::Ringback);
        impl_->logLocked(QStringLiteral("far end rings (ringback)"));
    }
    impl_->emitState(DeviceCallState::Ringback);
}

void SimLine::farEndAnswer()
{
    auto& call = impl_->call;
    if (!call || call->incoming || call->farEndGone ||
        (call->state != DeviceCallState::Proceeding && call->state != DeviceCallState::Ringback)) {
        impl_->log(QStringLiteral("answer ignored (no outgoing call being set up)"));
        return;
    }
    {
        std::lock_guard lock(impl_->mutex);
        impl_->setBackgroundLocked(Impl::Background::Silence);
        impl_->logLocked(QStringLiteral("far end answers"));
    }
    impl_->emitState(DeviceCallState::Connected);
}

void SimLine::farEndBusy()
{
    auto& call = impl_->call;
    if (!call || call->incoming || call->farEndGone || call->state == DeviceCallState::Connected) {
        impl_->log(QStringLiteral("busy ignored (no outgoing call being set up)"));
        return;
    }
    impl_->log(QStringLiteral("far end is busy"));
    impl_->emitState(DeviceCallState::Busy);
    impl_->farEndGone(HangUpNotice::BusyTone);
}

void SimLine::farEndNoAnswer()
{
    auto& call = impl_->call;
    if (!call || call->incoming || call->farEndGone || call->state == DeviceCallState::Connected) {
        impl_->log(QStringLiteral("no-answer ignored (no outgoing call being set up)"));
        return;
    }
    impl_->log(QStringLiteral("far end does not answer"));
    impl_->farEndGone(HangUpNotice::NoAnswer);
}

// ---- state ----

bool SimLine::isOpen() const
{
    return impl_->listener != nullptr;
}

bool SimLine::offHook() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->offHook;
}

bool SimLine::hasCall() const
{
    return impl_->call.has_value();
}

std::optional<DeviceCallState> SimLine::callState() const
{
    if (!impl_->call) {
        return std::nullopt;
    }
    return impl_->call->state;
}

bool SimLine::monitoringDigits() const
{
    return impl_->monitoring;
}

int SimLine::callCount() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->callNumber;
}

std::vector<QByteArray> SimLine::dialled() const
{
    return impl_->dialledStrings;
}

std::uint64_t SimLine::generatedCount() const
{
    return impl_->generated;
}

std::uint64_t SimLine::playbackRuns() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->playbackRunsEnded;
}

std::vector<SimLine::Activity> SimLine::activity() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->activity;
}

std::vector<std::int16_t> SimLine::playedSamples(int call) const
{
    std::lock_guard lock(impl_->mutex);
    auto it = impl_->played.find(call);
    return it == impl_->played.end() ? std::vector<std::int16_t>() : it->second;
}

std::vector<std::int16_t> SimLine::playedSamples() const
{
    return playedSamples(callCount());
}

// ---- LineDevice ----

LineDeviceCaps SimLine::caps() const
{
    LineDeviceCaps caps;
    caps.name = impl_->config.name;
    caps.providerInfo = QStringLiteral("qlnrec simulated line");
    caps.mediaModes = impl_->config.mediaModes;
    caps.permanentLineId = 0x51000000u + static_cast<std::uint32_t>(index_);
    caps.apiVersionLow = impl_->config.apiVersionLow;
    caps.apiVersionHigh = impl_->config.apiVersionHigh;
    caps.defaultDigitDurationMs = impl_->config.digitDurationMs;
    return caps;
}

std::optional<std::uint32_t> SimLine::waveInId() const
{
    return impl_->waveInId;
}

std::optional<std::uint32_t> SimLine::waveOutId() const
{
    return impl_->waveOutId;
}

std::int32_t SimLine::open(LineDeviceEvents* events)
{
    if (impl_->config.openError != 0) {
        impl_->log(QStringLiteral("open refused (error %1)")
                       .arg(static_cast<std::uint32_t>(impl_->config.openError), 0, 16));
        return impl_->config.openError;
    }
    if (impl_->listener) {
        return LINEERR_RESOURCEUNAVAIL;
    }
    impl_->listener = events;
    impl_->log(QStringLiteral("line opened"));
    return 0;
}

void SimLine::close()
{
    if (!impl_->listener) {
        return;
    }
    if (impl_->call) {
        impl_->listener = nullptr; // no events after close
        impl_->endCall(QStringLiteral("line closed"));
    }
    impl_->listener = nullptr;
    impl_->scheduler.clear();
    impl_->log(QStringLiteral("line closed"));
}

void SimLine::answer(std::uint32_t callId, LineCompletion done)
{
    auto& call = impl_->call;
    if (!call || call->id != callId || call->state != DeviceCallState::Offering) {
        done(LINEERR_INVALCALLSTATE);
        return;
    }
    impl_->scheduler.cancel(kRingTag);
    impl_->scheduler.cancel(kRingTimeoutTag);
    {
        std::lock_guard lock(impl_->mutex);
        impl_->offHook = true;
        impl_->setBackgroundLocked(Impl::Background::Silence);
        impl_->logLocked(QStringLiteral("off hook (answer)"));
    }
    done(0);
    impl_->emitState(DeviceCallState::Connected);
    if (call->abandoned) {
        // Nobody is there any more: the exchange gives dial tone.
        impl_->log(QStringLiteral("answered after the caller hung up"));
        impl_->farEndGone(HangUpNotice::DialTone);
    }
}

void SimLine::hangUp(std::uint32_t callId, LineCompletion done)
{
    auto& call = impl_->call;
    if (!call || call->id != callId) {
        done(LINEERR_INVALCALLSTATE);
        return;
    }
    const bool ringing = call->state == DeviceCallState::Offering;
    impl_->endCall(ringing ? QStringLiteral("dropped while ringing") : QStringLiteral("hang up"));
    done(0);
}

void SimLine::dial(const QByteArray& address, std::uint32_t* callId, LineCompletion done)
{
    if (impl_->call) {
        done(LINEERR_CALLUNAVAIL);
        return;
    }
    impl_->startCall(false);
    if (isJoinCallAddress(address)) {
        // The call was dialled on the telephone set: nothing to dial, connected at once.
        {
            std::lock_guard lock(impl_->mutex);
            impl_->offHook = true;
            impl_->logLocked(
                QStringLiteral("off hook (joins the call in progress %1)").arg(impl_->callNumber));
        }
        if (callId) {
            *callId = impl_->call->id;
        }
        done(0);
        impl_->emitState(DeviceCallState::Dialing);
        impl_->emitState(DeviceCallState::Connected);
        return;
    }
    impl_->dialledStrings.push_back(address);
    {
        std::lock_guard lock(impl_->mutex);
        impl_->offHook = true;
        impl_->logLocked(QStringLiteral("off hook (dial)"));
        impl_->logLocked(QStringLiteral("dial \"%1\" (outgoing call %2)")
                             .arg(QString::fromLatin1(address))
                             .arg(impl_->callNumber));
    }
    if (callId) {
        *callId = impl_->call->id;
    }
    done(0);
    impl_->emitState(DeviceCallState::Dialing);
    impl_->emitState(DeviceCallState::Proceeding);
}

std::int32_t SimLine::monitorDigits(std::uint32_t callId, bool enable)
{
    if (!impl_->call || impl_->call->id != callId) {
        return LINEERR_INVALCALLSTATE;
    }
    if (impl_->monitoring != enable) {
        impl_->monitoring = enable;
        impl_->log(enable ? QStringLiteral("touch-tone detection on")
                          : QStringLiteral("touch-tone detection off"));
    }
    return 0;
}

std::int32_t SimLine::generateDigits(std::uint32_t callId, const QByteArray& digits, std::uint32_t durationMs)
{
    auto& call = impl_->call;
    if (!call || call->id != callId || !offHook()) {
        return LINEERR_INVALCALLSTATE;
    }
    if (impl_->config.refuseGenerate) {
        impl_->log(QStringLiteral("generate digits \"%1\" refused").arg(QString::fromLatin1(digits)));
        impl_->scheduler.after(0, kGenerateTag, [this, callId] {
            if (impl_->listener) {
                impl_->listener->generateFinished(callId, false);
            }
        });
        return 0;
    }
    const std::uint32_t each = durationMs == 0 ? impl_->config.digitDurationMs : durationMs;
    const auto count = static_cast<std::uint64_t>(digits.size());
    const std::uint64_t total = count * each + (count > 0 ? (count - 1) * each : 0);
    impl_->log(
        QStringLiteral("generate digits \"%1\" (%2 ms each)").arg(QString::fromLatin1(digits)).arg(each));
    impl_->generating = true;
    impl_->scheduler.after(total, kGenerateTag, [this, callId, digits] {
        impl_->generating = false;
        ++impl_->generated;
        impl_->log(QStringLiteral("digits \"%1\" generated").arg(QString::fromLatin1(digits)));
        if (impl_->listener) {
            impl_->listener->generateFinished(callId, true);
        }
    });
    return 0;
}

std::int32_t SimLine::generateTone(std::uint32_t callId, const std::vector<std::uint32_t>& frequenciesHz,
                                   std::uint32_t durationMs)
{
    auto& call = impl_->call;
    if (!call || call->id != callId || !offHook()) {
        return LINEERR_INVALCALLSTATE;
    }
    QStringList freqs;
    for (auto f : frequenciesHz) {
        freqs << QString::number(f);
    }
    const std::uint32_t length = durationMs == 0 ? impl_->config.digitDurationMs : durationMs;
    impl_->log(QStringLiteral("generate tone %1 Hz for %2 ms").arg(freqs.join(QLatin1Char('+'))).arg(length));
    impl_->generating = true;
    impl_->scheduler.after(length, kGenerateTag, [this, callId] {
        impl_->generating = false;
        ++impl_->generated;
        impl_->log(QStringLiteral("tone generated"));
        if (impl_->listener) {
            impl_->listener->generateFinished(callId, true);
        }
    });
    return 0;
}

void SimLine::cancelGenerate(std::uint32_t callId)
{
    if (!impl_->generating || !impl_->call || impl_->call->id != callId) {
        return;
    }
    impl_->generating = false;
    impl_->scheduler.cancel(kGenerateTag);
    impl_->log(QStringLiteral("generation cancelled"));
    if (impl_->listener) {
        impl_->listener->generateFinished(callId, false);
    }
}

void SimLine::renderLineAudio(std::int64_t firstSample, std::int16_t* out, std::size_t count)
{
    impl_->render(firstSample, out, count);
}

void SimLine::receivePlayed(const std::int16_t* samples, std::size_t count, bool stepFull)
{
    impl_->receivePlayed(samples, count, stepFull);
}

} // namespace qlnrec::platform

#include "platform/telephony/telephony_service.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace qlnrec::platform {

namespace {

constexpr std::uint32_t kCallInfoFixedSize = sizeof(LINECALLINFO);
constexpr std::uint32_t kVarStringSize = sizeof(VARSTRING);
// Caller-ID fields longer than this are cut: telephone companies send at most 15 name characters
// and a few dozen digits, and a hostile line must not make the call information balloon.
constexpr int kMaxPartyIdBytes = 128;

constexpr std::uint32_t kAllCallStates =
    LINECALLSTATE_IDLE | LINECALLSTATE_OFFERING | LINECALLSTATE_DIALTONE | LINECALLSTATE_DIALING |
    LINECALLSTATE_RINGBACK | LINECALLSTATE_BUSY | LINECALLSTATE_CONNECTED | LINECALLSTATE_PROCEEDING |
    LINECALLSTATE_DISCONNECTED;

std::uint32_t tapiState(DeviceCallState state)
{
    switch (state) {
    case DeviceCallState::Offering:
        return LINECALLSTATE_OFFERING;
    case DeviceCallState::DialTone:
        return LINECALLSTATE_DIALTONE;
    case DeviceCallState::Dialing:
        return LINECALLSTATE_DIALING;
    case DeviceCallState::Proceeding:
        return LINECALLSTATE_PROCEEDING;
    case DeviceCallState::Ringback:
        return LINECALLSTATE_RINGBACK;
    case DeviceCallState::Busy:
        return LINECALLSTATE_BUSY;
    case DeviceCallState::Connected:
        return LINECALLSTATE_CONNECTED;
    case DeviceCallState::Disconnected:
        return LINECALLSTATE_DISCONNECTED;
    case DeviceCallState::Idle:
        return LINECALLSTATE_IDLE;
    }
    return LINECALLSTATE_UNKNOWN;
}

std::uint32_t disconnectMode(HangUpNotice notice)
{
    switch (notice) {
    case HangUpNotice::LoopDrop:
    case HangUpNotice::DialTone:
        return LINEDISCONNECTMODE_NORMAL;
    case HangUpNotice::BusyTone:
        return LINEDISCONNECTMODE_BUSY;
    case HangUpNotice::NoAnswer:
        return LINEDISCONNECTMODE_NOANSWER;
    case HangUpNotice::NoDialTone:
        return LINEDISCONNECTMODE_NODIALTONE;
    case HangUpNotice::Rejected:
        return LINEDISCONNECTMODE_REJECT;
    case HangUpNotice::None:
    case HangUpNotice::Unknown:
        break;
    }
    return LINEDISCONNECTMODE_UNKNOWN;
}

bool validDialString(const QByteArray& address)
{
    static const QByteArray allowed("0123456789*#ABCDabcd,!WwPpTt@$?;+-() .");
    return std::all_of(address.begin(), address.end(), [](char c) { return allowed.contains(c); });
}

bool validDigits(const QByteArray& digits)
{
    static const QByteArray allowed("0123456789*#ABCDabcd");
    return std::all_of(digits.begin(), digits.end(), [](char c) { return allowed.contains(c); });
}

QByteArray cString(const char* text)
{
    return text ? QByteArray(text) : QByteArray();
}

} // namespace

class TelephonyService::Impl : public std::enable_shared_from_this<Impl> {
public:
    explicit Impl(EventService& events) : events(events) {}

    // ---- records ----
    struct App {
        LineCallback callback;
        QByteArray name;
    };
    struct Line {
        HLINE handle = 0;
        HLINEAPP app = 0;
        std::uint32_t deviceId = 0;
        std::uint32_t instance = 0;
        std::uint32_t privileges = 0;
        std::uint32_t mediaModes = 0;
        std::uint32_t apiVersion = 0;
        std::uint32_t lineStates = 0;
    };
    struct Message {
        std::uint32_t hDevice, msg, p1, p2, p3;
    };
    struct Call {
        HCALL handle = 0;
        HLINE line = 0;
        std::uint32_t deviceId = 0;
        std::uint32_t deviceCallId = 0;
        bool deviceActive = true; // the device still knows this call
        std::uint32_t state = 0;
        std::uint32_t stateMode = 0;
        std::uint32_t privilege = 0;
        bool privilegeAnnounced = false;
        bool outbound = false;
        CallerId callerId;
        QByteArray called;
        std::uint32_t monitorModes = 0;
        bool generating = false;
        int cancelsExpected = 0;
        bool replyPending = false; // lineMakeCall reply not yet delivered: hold the call's messages
        std::vector<Message> held;
    };
    struct Injection {
        LONG error;
        int times;
    };

    // Receives one device's events on any thread and carries them to the GUI thread.
    class Listener final : public LineDeviceEvents {
    public:
        Listener(std::weak_ptr<Impl> impl, EventService& events, std::uint32_t deviceId)
            : impl_(std::move(impl)), events_(events), deviceId_(deviceId)
        {
        }
        void ring(std::uint32_t callId, std::uint32_t count) override
        {
            post([id = deviceId_, callId, count](Impl& s) { s.onRing(id, callId, count); });
        }
        void callerId(std::uint32_t callId, const CallerId& id) override
        {
            post([device = deviceId_, callId, id](Impl& s) { s.onCallerId(device, callId, id); });
        }
        void callState(std::uint32_t callId, DeviceCallState state, HangUpNotice notice) override
        {
            post([id = deviceId_, callId, state, notice](Impl& s) {
                s.onCallState(id, callId, state, notice);
            });
        }
        void digitDetected(std::uint32_t callId, char digit) override
        {
            post([id = deviceId_, callId, digit](Impl& s) { s.onDigit(id, callId, digit); });
        }
        void generateFinished(std::uint32_t callId, bool completed) override
        {
            post([id = deviceId_, callId, completed](Impl& s) {
                s.onGenerateFinished(id, callId, completed);
            });
        }

    private:
        template <typename F> void post(F handler)
        {
            events_.post([weak = impl_, handler] {
                if (auto self = weak.lock()) {
                    handler(*self);
                }
            });
        }
        std::weak_ptr<Impl> impl_;
        EventService& events_;
        std::uint32_t deviceId_;
    };

    // ---- helpers ----
    std::uint32_t newHandle() { return nextHandle++; }

    LONG newRequestId()
    {
        const LONG id = nextRequest;
        nextRequest = nextRequest >= 0x7FFFFFF0 ? 1 : nextRequest + 1;
        return id;
    }

    LONG injected(Operation op, std::optional<std::uint32_t> deviceId)
    {
        for (auto key : {std::make_pair(op, deviceId), std::make_pair(op, std::optional<std::uint32_t>())}) {
            auto it = injections.find(key);
            if (it == injections.end()) {
                continue;
            }
            const LONG error = it->second.error;
            if (it->second.times > 0 && --it->second.times == 0) {
                injections.erase(it);
            }
            return error;
        }
        return 0;
    }

    Line* line(HLINE handle)
    {
        auto it = lines.find(handle);
        return it == lines.end() ? nullptr : &it->second;
    }
    Call* call(HCALL handle)
    {
        auto it = calls.find(handle);
        return it == calls.end() ? nullptr : &it->second;
    }
    Line* openLineOf(std::uint32_t deviceId)
    {
        for (auto& [handle, l] : lines) {
            if (l.deviceId == deviceId) {
                return &l;
            }
        }
        return nullptr;
    }
    Call* activeCallOf(std::uint32_t deviceId, std::uint32_t deviceCallId)
    {
        for (auto& [handle, c] : calls) {
            if (c.deviceId == deviceId && c.deviceCallId == deviceCallId && c.deviceActive) {
                return &c;
            }
        }
        return nullptr;
    }

    // Calls the application's callback now (we are on the GUI thread, outside any API call).
    void dispatch(HLINEAPP app, std::uint32_t hDevice, std::uint32_t msg, std::uint32_t instance,
                  std::uint32_t p1, std::uint32_t p2, std::uint32_t p3)
    {
        auto it = apps.find(app);
        if (it == apps.end() || !it->second.callback) {
            return;
        }
        LineCallback callback = it->second.callback; // the callback may shut the application down
        callback(hDevice, msg, instance, p1, p2, p3);
    }

    void dispatchCall(Call& c, std::uint32_t msg, std::uint32_t p1, std::uint32_t p2, std::uint32_t p3)
    {
        if (c.replyPending) {
            c.held.push_back({c.handle, msg, p1, p2, p3});
            return;
        }
        const Line* l = line(c.line);
        if (!l) {
            return;
        }
        dispatch(l->app, c.handle, msg, l->instance, p1, p2, p3);
    }

    void setCallState(Call& c, std::uint32_t state, std::uint32_t mode)
    {
        c.state = state;
        c.stateMode = mode;
        std::uint32_t privilege = 0;
        if (!c.privilegeAnnounced) {
            privilege = c.privilege;
            c.privilegeAnnounced = true;
        }
        dispatchCall(c, LINE_CALLSTATE, state, mode, privilege);
    }

    // Delivers a call message from the event loop, after the API call has returned.
    void dispatchLater(HCALL handle, std::uint32_t msg, std::uint32_t p1)
    {
        std::weak_ptr<Impl> weak = weak_from_this();
        events.post([weak, handle, msg, p1] {
            auto self = weak.lock();
            if (!self) {
                return;
            }
            if (Call* c = self->call(handle)) {
                self->dispatchCall(*c, msg, p1, 0, self->events.timeGetTime());
            }
        });
    }

    LineCompletion replyCompletion(HLINE lineHandle, LONG requestId, std::function<void(LONG)> onResult = {})
    {
        std::weak_ptr<Impl> weak = weak_from_this();
        EventService* ev = &events;
        return [weak, ev, lineHandle, requestId, onResult](std::int32_t result) {
            ev->post([weak, lineHandle, requestId, result, onResult] {
                auto self = weak.lock();
                if (!self) {
                    return;
                }
                if (onResult) {
                    onResult(result);
                }
                const Line* l = self->line(lineHandle);
                if (!l) {
                    return;
                }
                self->dispatch(l->app, 0, LINE_REPLY, l->instance, static_cast<std::uint32_t>(requestId),
                               static_cast<std::uint32_t>(result), 0);
            });
        };
    }

    void closeLine(HLINE handle)
    {
        Line* l = line(handle);
        if (!l) {
            return;
        }
        const std::uint32_t deviceId = l->deviceId;
        for (auto it = calls.begin(); it != calls.end();) {
            if (it->second.line == handle) {
                it = calls.erase(it);
            } else {
                ++it;
            }
        }
        lines.erase(handle);
        devices[deviceId]->close();
    }

    // ---- device events (GUI thread) ----
    void onRing(std::uint32_t deviceId, std::uint32_t, std::uint32_t count)
    {
        Line* l = openLineOf(deviceId);
        if (!l || !(l->lineStates & LINEDEVSTATE_RINGING)) {
            return;
        }
        dispatch(l->app, l->handle, LINE_LINEDEVSTATE, l->instance, LINEDEVSTATE_RINGING, 1, count);
    }

    void onCallerId(std::uint32_t deviceId, std::uint32_t deviceCallId, const CallerId& id)
    {
        Call* c = activeCallOf(deviceId, deviceCallId);
        if (!c) {
            return;
        }
        c->callerId = id;
        c->callerId.number.text.truncate(kMaxPartyIdBytes);
        c->callerId.name.text.truncate(kMaxPartyIdBytes);
        dispatchCall(*c, LINE_CALLINFO, LINECALLINFOSTATE_CALLERID, 0, 0);
    }

    void onCallState(std::uint32_t deviceId, std::uint32_t deviceCallId, DeviceCallState state,
                     HangUpNotice notice)
    {
        Line* l = openLineOf(deviceId);
        if (!l) {
            return;
        }
        Call* c = activeCallOf(deviceId, deviceCallId);
        if (!c && state == DeviceCallState::Offering) {
            // A new incoming call ends whatever the device had before.
            for (auto& [handle, old] : calls) {
                if (old.deviceId == deviceId && old.deviceActive) {
                    old.deviceActive = false;
                    if (old.state != LINECALLSTATE_IDLE) {
                        setCallState(old, LINECALLSTATE_IDLE, 0);
                    }
                }
            }
            if (l->privileges == LINECALLPRIVILEGE_NONE) {
                return;
            }
            Call fresh;
            fresh.handle = newHandle();
            fresh.line = l->handle;
            fresh.deviceId = deviceId;
            fresh.deviceCallId = deviceCallId;
            fresh.privilege = (l->privileges & LINECALLPRIVILEGE_OWNER) ? LINECALLPRIVILEGE_OWNER
                                                                        : LINECALLPRIVILEGE_MONITOR;
            const HCALL handle = fresh.handle;
            calls[handle] = fresh;
            setCallState(calls[handle], LINECALLSTATE_OFFERING, 1);
            return;
        }
        if (!c) {
            return;
        }
        std::uint32_t mode = 0;
        if (state == DeviceCallState::Disconnected) {
            mode = disconnectMode(notice);
        } else if (state == DeviceCallState::Busy) {
            mode = 1; // LINEBUSYMODE_STATION
        }
        if (state == DeviceCallState::Idle) {
            c->deviceActive = false;
            if (c->generating) {
                c->generating = false;
                dispatchCall(*c, LINE_GENERATE, LINEGENERATETERM_CANCEL, 0, events.timeGetTime());
            }
            c->monitorModes = 0;
        }
        const std::uint32_t tapi = tapiState(state);
        if (tapi == c->state && mode == c->stateMode) {
            return;
        }
        setCallState(*c, tapi, mode);
    }

    void onDigit(std::uint32_t deviceId, std::uint32_t deviceCallId, char digit)
    {
        Call* c = activeCallOf(deviceId, deviceCallId);
        if (!c || !(c->monitorModes & (LINEDIGITMODE_DTMF | LINEDIGITMODE_DTMFEND))) {
            return;
        }
        dispatchCall(*c, LINE_MONITORDIGITS, static_cast<std::uint8_t>(digit), LINEDIGITMODE_DTMF,
                     events.timeGetTime());
    }

    void onGenerateFinished(std::uint32_t deviceId, std::uint32_t deviceCallId, bool completed)
    {
        Call* c = activeCallOf(deviceId, deviceCallId);
        if (!c) {
            return;
        }
        if (!completed && c->cancelsExpected > 0) {
            --c->cancelsExpected; // already reported when the generation was replaced
            return;
        }
        if (!c->generating) {
            return;
        }
        c->generating = false;
        dispatchCall(*c, LINE_GENERATE, completed ? LINEGENERATETERM_DONE : LINEGENERATETERM_CANCEL, 0,
                     events.timeGetTime());
    }

    // ---- state ----
    EventService& events;
    std::vector<LineDevice*> devices;
    std::vector<std::unique_ptr<Listener>> listeners;
    std::map<HLINEAPP, App> apps;
    std::map<HLINE, Line> lines;
    std::map<HCALL, Call> calls;
    std::map<std::pair<Operation, std::optional<std::uint32_t>>, Injection> injections;
    std::uint32_t nextHandle = 0x00C10001;
    LONG nextRequest = 1;
};

TelephonyService::TelephonyService(EventService& events) : impl_(std::make_shared<Impl>(events)) {}

TelephonyService::~TelephonyService()
{
    for (auto& [handle, l] : impl_->lines) {
        impl_->devices[l.deviceId]->close();
    }
    impl_->lines.clear();
    impl_->calls.clear();
    impl_->apps.clear();
}

void TelephonyService::addDevice(LineDevice* device)
{
    if (!device) {
        return;
    }
    const auto id = static_cast<std::uint32_t>(impl_->devices.size());
    impl_->devices.push_back(device);
    impl_->listeners.push_back(std::make_unique<Impl::Listener>(impl_, impl_->events, id));
}

void TelephonyService::addProvider(LineProvider& provider)
{
    for (std::size_t i = 0; i < provider.deviceCount(); ++i) {
        addDevice(provider.device(i));
    }
}

std::uint32_t TelephonyService::deviceCount() const
{
    return static_cast<std::uint32_t>(impl_->devices.size());
}

LineDevice* TelephonyService::device(std::uint32_t deviceId) const
{
    return deviceId < impl_->devices.size() ? impl_->devices[deviceId] : nullptr;
}

void TelephonyService::injectError(Operation operation, std::optional<std::uint32_t> deviceId, LONG error,
                                   int times)
{
    impl_->injections[{operation, deviceId}] = {error, times};
}

void TelephonyService::clearInjectedErrors()
{
    impl_->injections.clear();
}

LONG TelephonyService::lineInitialize(HLINEAPP* lphLineApp, std::uintptr_t, LineCallback callback,
                                      const char* appName, std::uint32_t* lpdwNumDevs)
{
    if (!lphLineApp || !lpdwNumDevs || !callback) {
        return LINEERR_INVALPOINTER;
    }
    if (LONG e = impl_->injected(Operation::Initialize, std::nullopt)) {
        return e;
    }
    const HLINEAPP handle = impl_->newHandle();
    impl_->apps[handle] = {std::move(callback), cString(appName)};
    *lphLineApp = handle;
    *lpdwNumDevs = deviceCount();
    return 0;
}

LONG TelephonyService::lineShutdown(HLINEAPP hLineApp)
{
    if (!impl_->apps.count(hLineApp)) {
        return LINEERR_INVALAPPHANDLE;
    }
    std::vector<HLINE> owned;
    for (const auto& [handle, l] : impl_->lines) {
        if (l.app == hLineApp) {
            owned.push_back(handle);
        }
    }
    for (HLINE handle : owned) {
        impl_->closeLine(handle);
    }
    impl_->apps.erase(hLineApp);
    return 0;
}

LONG TelephonyService::lineNegotiateAPIVersion(HLINEAPP hLineApp, std::uint32_t deviceId,
                                               std::uint32_t apiLowVersion, std::uint32_t apiHighVersion,
                                               std::uint32_t* lpdwApiVersion, LINEEXTENSIONID* lpExtensionId)
{
    if (!impl_->apps.count(hLineApp)) {
        return LINEERR_INVALAPPHANDLE;
    }
    if (deviceId >= deviceCount()) {
        return LINEERR_BADDEVICEID;
    }
    if (!lpdwApiVersion || !lpExtensionId) {
        return LINEERR_INVALPOINTER;
    }
    if (LONG e = impl_->injected(Operation::NegotiateAPIVersion, deviceId)) {
        return e;
    }
    const LineDeviceCaps caps = impl_->devices[deviceId]->caps();
    const std::uint32_t low = std::max({apiLowVersion, caps.apiVersionLow, TAPI_VERSION_LOWEST});
    const std::uint32_t high = std::min({apiHighVersion, caps.apiVersionHigh, TAPI_VERSION_HIGHEST});
    if (apiLowVersion > apiHighVersion || low > high) {
        return LINEERR_INCOMPATIBLEAPIVERSION;
    }
    *lpdwApiVersion = high;
    std::memset(lpExtensionId, 0, sizeof(LINEEXTENSIONID));
    return 0;
}

namespace {

// A version the service accepts for a device: a TAPI version the service knows and not below
// what the device needs. Versions above the device's own are served at the device's level, as
// the program uses one version (the highest any device negotiated) for every line.
bool versionUsable(std::uint32_t version, const LineDeviceCaps& caps)
{
    return version >= TAPI_VERSION_LOWEST && version <= TAPI_VERSION_HIGHEST && version >= caps.apiVersionLow;
}

// Appends a NUL-terminated string to a TAPI buffer's variable part if it fits.
struct VarWriter {
    unsigned char* base;
    std::uint32_t total;
    std::uint32_t used;
    std::uint32_t needed;

    // Returns the offset, or 0 when the buffer is too small (then only `needed` grows).
    std::uint32_t put(const QByteArray& bytes, bool terminate, std::uint32_t* sizeOut)
    {
        const auto size = static_cast<std::uint32_t>(bytes.size()) + (terminate ? 1u : 0u);
        needed += size;
        if (used + size > total || needed > total) {
            *sizeOut = 0;
            return 0;
        }
        const std::uint32_t offset = used;
        std::memcpy(base + offset, bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (terminate) {
            base[offset + static_cast<std::uint32_t>(bytes.size())] = 0;
        }
        used += size;
        *sizeOut = size;
        return offset;
    }
};

} // namespace

LONG TelephonyService::lineGetDevCaps(HLINEAPP hLineApp, std::uint32_t deviceId, std::uint32_t apiVersion,
                                      std::uint32_t extVersion, LINEDEVCAPS* lpLineDevCaps)
{
    if (!impl_->apps.count(hLineApp)) {
        return LINEERR_INVALAPPHANDLE;
    }
    if (deviceId >= deviceCount()) {
        return LINEERR_BADDEVICEID;
    }
    if (!lpLineDevCaps) {
        return LINEERR_INVALPOINTER;
    }
    const LineDeviceCaps caps = impl_->devices[deviceId]->caps();
    if (!versionUsable(apiVersion, caps)) {
        return LINEERR_INCOMPATIBLEAPIVERSION;
    }
    if (extVersion != 0) {
        return LINEERR_INCOMPATIBLEEXTVERSION;
    }
    auto* buffer = reinterpret_cast<unsigned char*>(lpLineDevCaps);
    const std::uint32_t total = tapiDword(buffer, 0);
    const std::uint32_t fixed = lineDevCapsFixedSize(apiVersion);
    if (total < fixed) {
        return LINEERR_STRUCTURETOOSMALL;
    }
    if (LONG e = impl_->injected(Operation::GetDevCaps, deviceId)) {
        return e;
    }
    std::memset(buffer + 4, 0, fixed - 4);
    auto set = [&](std::size_t offset, std::uint32_t value) { setTapiDword(buffer, offset, value); };
    set(offsetof(LINEDEVCAPS, dwPermanentLineID), caps.permanentLineId);
    set(offsetof(LINEDEVCAPS, dwStringFormat), STRINGFORMAT_ASCII);
    set(offsetof(LINEDEVCAPS, dwAddressModes), LINEADDRESSMODE_ADDRESSID);
    set(offsetof(LINEDEVCAPS, dwNumAddresses), 1);
    set(offsetof(LINEDEVCAPS, dwBearerModes), LINEBEARERMODE_VOICE);
    set(offsetof(LINEDEVCAPS, dwMediaModes), caps.mediaModes);
    set(offsetof(LINEDEVCAPS, dwGenerateToneModes), LINETONEMODE_CUSTOM | LINETONEMODE_BEEP);
    set(offsetof(LINEDEVCAPS, dwGenerateToneMaxNumFreq), 3);
    set(offsetof(LINEDEVCAPS, dwGenerateDigitModes), LINEDIGITMODE_DTMF);
    set(offsetof(LINEDEVCAPS, dwMonitorDigitModes), LINEDIGITMODE_DTMF);
    set(offsetof(LINEDEVCAPS, dwMaxNumActiveCalls), 1);
    set(offsetof(LINEDEVCAPS, dwAnswerMode), 1); // LINEANSWERMODE_NONE
    set(offsetof(LINEDEVCAPS, dwRingModes), 1);
    set(offsetof(LINEDEVCAPS, dwLineStates), LINEDEVSTATE_RINGING | LINEDEVSTATE_OTHER);
    set(offsetof(LINEDEVCAPS, DefaultDialParams) + offsetof(LINEDIALPARAMS, dwDigitDuration),
        caps.defaultDigitDurationMs);
    set(offsetof(LINEDEVCAPS, MaxDialParams) + offsetof(LINEDIALPARAMS, dwDigitDuration), 2550);
    set(offsetof(LINEDEVCAPS, MinDialParams) + offsetof(LINEDIALPARAMS, dwDigitDuration), 50);
    if (fixed >= 240) {
        set(offsetof(LINEDEVCAPS, dwLineFeatures), 0x00000004); // LINEFEATURE_MAKECALL
    }
    VarWriter writer{buffer, total, fixed, fixed};
    std::uint32_t size = 0;
    std::uint32_t offset = writer.put(caps.providerInfo.toUtf8(), true, &size);
    set(offsetof(LINEDEVCAPS, dwProviderInfoSize), size);
    set(offsetof(LINEDEVCAPS, dwProviderInfoOffset), offset);
    // An empty name still gets its terminating NUL, so a reader finds an empty string at a real
    // offset rather than reading from the start of the buffer.
    offset = writer.put(caps.name.toUtf8(), true, &size);
    set(offsetof(LINEDEVCAPS, dwLineNameSize), size);
    set(offsetof(LINEDEVCAPS, dwLineNameOffset), offset);
    if (writer.needed > total) {
        // Too small for the variable part: report the fixed part and the size needed.
        for (auto field :
             {offsetof(LINEDEVCAPS, dwProviderInfoSize), offsetof(LINEDEVCAPS, dwProviderInfoOffset),
              offsetof(LINEDEVCAPS, dwLineNameSize), offsetof(LINEDEVCAPS, dwLineNameOffset)}) {
            set(field, 0);
        }
        writer.used = fixed;
    }
    set(offsetof(LINEDEVCAPS, dwNeededSize), writer.needed);
    set(offsetof(LINEDEVCAPS, dwUsedSize), writer.used);
    return 0;
}

LONG TelephonyService::lineOpen(HLINEAPP hLineApp, std::uint32_t deviceId, HLINE* lphLine,
                                std::uint32_t apiVersion, std::uint32_t extVersion,
                                std::uint32_t callbackInstance, std::uint32_t privileges,
                                std::uint32_t mediaModes, const void*)
{
    if (!impl_->apps.count(hLineApp)) {
        return LINEERR_INVALAPPHANDLE;
    }
    if (deviceId >= deviceCount()) {
        return LINEERR_BADDEVICEID;
    }
    if (!lphLine) {
        return LINEERR_INVALPOINTER;
    }
    LineDevice* device = impl_->devices[deviceId];
    const LineDeviceCaps caps = device->caps();
    if (!versionUsable(apiVersion, caps)) {
        return LINEERR_INCOMPATIBLEAPIVERSION;
    }
    if (extVersion != 0) {
        return LINEERR_INCOMPATIBLEEXTVERSION;
    }
    const std::uint32_t knownPrivileges =
        LINECALLPRIVILEGE_NONE | LINECALLPRIVILEGE_MONITOR | LINECALLPRIVILEGE_OWNER;
    if (privileges == 0 || (privileges & ~knownPrivileges) ||
        ((privileges & LINECALLPRIVILEGE_NONE) && privileges != LINECALLPRIVILEGE_NONE)) {
        return LINEERR_INVALPRIVSELECT;
    }
    if ((privileges & LINECALLPRIVILEGE_OWNER) && (mediaModes == 0 || (mediaModes & ~caps.mediaModes))) {
        return LINEERR_INVALMEDIAMODE;
    }
    if (impl_->openLineOf(deviceId)) {
        return LINEERR_ALLOCATED;
    }
    if (LONG e = impl_->injected(Operation::Open, deviceId)) {
        return e;
    }
    if (LONG e = device->open(impl_->listeners[deviceId].get())) {
        return e;
    }
    Impl::Line l;
    l.handle = impl_->newHandle();
    l.app = hLineApp;
    l.deviceId = deviceId;
    l.instance = callbackInstance;
    l.privileges = privileges;
    l.mediaModes = mediaModes;
    l.apiVersion = apiVersion;
    impl_->lines[l.handle] = l;
    *lphLine = l.handle;
    return 0;
}

LONG TelephonyService::lineClose(HLINE hLine)
{
    Impl::Line* l = impl_->line(hLine);
    if (!l) {
        return LINEERR_INVALLINEHANDLE;
    }
    if (LONG e = impl_->injected(Operation::Close, l->deviceId)) {
        return e;
    }
    impl_->closeLine(hLine);
    return 0;
}

LONG TelephonyService::lineSetStatusMessages(HLINE hLine, std::uint32_t lineStates,
                                             std::uint32_t addressStates)
{
    Impl::Line* l = impl_->line(hLine);
    if (!l) {
        return LINEERR_INVALLINEHANDLE;
    }
    if (lineStates & ~LINEDEVSTATE_ALL) {
        return LINEERR_INVALLINESTATE;
    }
    (void)addressStates;
    if (LONG e = impl_->injected(Operation::SetStatusMessages, l->deviceId)) {
        return e;
    }
    l->lineStates = lineStates;
    return 0;
}

LONG TelephonyService::lineGetCallInfo(HCALL hCall, LINECALLINFO* lpCallInfo)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (!lpCallInfo) {
        return LINEERR_INVALPOINTER;
    }
    auto* buffer = reinterpret_cast<unsigned char*>(lpCallInfo);
    const std::uint32_t total = tapiDword(buffer, 0);
    if (total < kCallInfoFixedSize) {
        return LINEERR_STRUCTURETOOSMALL;
    }
    if (LONG e = impl_->injected(Operation::GetCallInfo, c->deviceId)) {
        return e;
    }
    const Impl::Line* l = impl_->line(c->line);
    std::memset(buffer + 4, 0, kCallInfoFixedSize - 4);
    auto set = [&](std::size_t offset, std::uint32_t value) { setTapiDword(buffer, offset, value); };
    set(offsetof(LINECALLINFO, hLine), c->line);
    set(offsetof(LINECALLINFO, dwLineDeviceID), c->deviceId);
    set(offsetof(LINECALLINFO, dwAddressID), 0);
    set(offsetof(LINECALLINFO, dwBearerMode), LINEBEARERMODE_VOICE);
    set(offsetof(LINECALLINFO, dwMediaMode), l ? l->mediaModes : LINEMEDIAMODE_INTERACTIVEVOICE);
    set(offsetof(LINECALLINFO, dwCallID), c->deviceCallId);
    set(offsetof(LINECALLINFO, dwCallStates), kAllCallStates);
    set(offsetof(LINECALLINFO, dwMonitorDigitModes), c->monitorModes);
    set(offsetof(LINECALLINFO, dwOrigin), c->outbound ? LINECALLORIGIN_OUTBOUND : LINECALLORIGIN_EXTERNAL);
    set(offsetof(LINECALLINFO, dwReason), c->outbound ? LINECALLREASON_DIRECT : LINECALLREASON_UNAVAIL);
    set(offsetof(LINECALLINFO, dwNumOwners), c->privilege == LINECALLPRIVILEGE_OWNER ? 1 : 0);
    set(offsetof(LINECALLINFO, dwNumMonitors), c->privilege == LINECALLPRIVILEGE_MONITOR ? 1 : 0);

    VarWriter writer{buffer, total, kCallInfoFixedSize, kCallInfoFixedSize};
    std::uint32_t flags = 0;
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    const CallerIdField& number = c->callerId.number;
    const CallerIdField& name = c->callerId.name;
    if (number.kind == CallerIdField::Kind::Present) {
        offset = writer.put(number.text, true, &size);
        set(offsetof(LINECALLINFO, dwCallerIDSize), size);
        set(offsetof(LINECALLINFO, dwCallerIDOffset), offset);
        flags |= LINECALLPARTYID_ADDRESS;
    }
    if (name.kind == CallerIdField::Kind::Present) {
        offset = writer.put(name.text, true, &size);
        set(offsetof(LINECALLINFO, dwCallerIDNameSize), size);
        set(offsetof(LINECALLINFO, dwCallerIDNameOffset), offset);
        flags |= LINECALLPARTYID_NAME;
    }
    for (const CallerIdField* field : {&number, &name}) {
        if (field->kind == CallerIdField::Kind::Private) {
            flags |= LINECALLPARTYID_BLOCKED;
        } else if (field->kind == CallerIdField::Kind::Unavailable) {
            flags |= LINECALLPARTYID_OUTOFAREA;
        }
    }
    if (flags == 0) {
        flags = c->outbound ? LINECALLPARTYID_UNAVAIL : LINECALLPARTYID_UNKNOWN;
    }
    if (c->outbound && !c->called.isEmpty()) {
        offset = writer.put(c->called, true, &size);
        set(offsetof(LINECALLINFO, dwCalledIDFlags), LINECALLPARTYID_ADDRESS);
        set(offsetof(LINECALLINFO, dwCalledIDSize), size);
        set(offsetof(LINECALLINFO, dwCalledIDOffset), offset);
    }
    if (l) {
        auto app = impl_->apps.find(l->app);
        if (app != impl_->apps.end() && !app->second.name.isEmpty()) {
            offset = writer.put(app->second.name, true, &size);
            set(offsetof(LINECALLINFO, dwAppNameSize), size);
            set(offsetof(LINECALLINFO, dwAppNameOffset), offset);
        }
    }
    if (writer.needed > total) {
        // Too small: only the fixed part is valid. The flags then claim no number or name, so a
        // reader never takes text from offset 0.
        for (std::size_t field = offsetof(LINECALLINFO, dwCallerIDSize); field < kCallInfoFixedSize;
             field += 4) {
            if (field != offsetof(LINECALLINFO, dwCalledIDFlags)) {
                set(field, 0);
            }
        }
        set(offsetof(LINECALLINFO, dwCalledIDFlags), 0);
        flags = (flags & ~(LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME)) | LINECALLPARTYID_UNKNOWN;
        writer.used = kCallInfoFixedSize;
    }
    set(offsetof(LINECALLINFO, dwCallerIDFlags), flags);
    set(offsetof(LINECALLINFO, dwNeededSize), writer.needed);
    set(offsetof(LINECALLINFO, dwUsedSize), writer.used);
    return 0;
}

LONG TelephonyService::lineAnswer(HCALL hCall, const char*, std::uint32_t size)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (c->privilege != LINECALLPRIVILEGE_OWNER) {
        return LINEERR_NOTOWNER;
    }
    if (size > 0) {
        return LINEERR_USERUSERINFOTOOBIG; // analog lines carry no user-to-user information
    }
    if (c->state != LINECALLSTATE_OFFERING && c->state != LINECALLSTATE_ACCEPTED) {
        return LINEERR_INVALCALLSTATE;
    }
    if (LONG e = impl_->injected(Operation::Answer, c->deviceId)) {
        return e;
    }
    const LONG request = impl_->newRequestId();
    impl_->devices[c->deviceId]->answer(c->deviceCallId, impl_->replyCompletion(c->line, request));
    return request;
}

LONG TelephonyService::lineDrop(HCALL hCall, const char*, std::uint32_t size)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (c->privilege != LINECALLPRIVILEGE_OWNER) {
        return LINEERR_NOTOWNER;
    }
    if (size > 0) {
        return LINEERR_USERUSERINFOTOOBIG;
    }
    if (c->state == LINECALLSTATE_IDLE || !c->deviceActive) {
        return LINEERR_INVALCALLSTATE;
    }
    if (LONG e = impl_->injected(Operation::Drop, c->deviceId)) {
        return e;
    }
    const LONG request = impl_->newRequestId();
    impl_->devices[c->deviceId]->hangUp(c->deviceCallId, impl_->replyCompletion(c->line, request));
    return request;
}

LONG TelephonyService::lineDeallocateCall(HCALL hCall)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (c->state != LINECALLSTATE_IDLE && c->privilege == LINECALLPRIVILEGE_OWNER) {
        return LINEERR_INVALCALLSTATE;
    }
    if (LONG e = impl_->injected(Operation::DeallocateCall, c->deviceId)) {
        return e;
    }
    impl_->calls.erase(hCall);
    return 0;
}

LONG TelephonyService::lineMonitorDigits(HCALL hCall, std::uint32_t digitModes)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (digitModes & ~(LINEDIGITMODE_DTMF | LINEDIGITMODE_DTMFEND | LINEDIGITMODE_PULSE) ||
        (digitModes & LINEDIGITMODE_PULSE)) {
        return LINEERR_INVALDIGITMODE;
    }
    if (c->state == LINECALLSTATE_IDLE || !c->deviceActive) {
        return LINEERR_INVALCALLSTATE;
    }
    if (LONG e = impl_->injected(Operation::MonitorDigits, c->deviceId)) {
        return e;
    }
    if (LONG e = impl_->devices[c->deviceId]->monitorDigits(c->deviceCallId, digitModes != 0)) {
        return e;
    }
    c->monitorModes = digitModes;
    return 0;
}

LONG TelephonyService::lineGenerateDigits(HCALL hCall, std::uint32_t digitMode, const char* lpszDigits,
                                          std::uint32_t durationMs)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (c->privilege != LINECALLPRIVILEGE_OWNER) {
        return LINEERR_NOTOWNER;
    }
    const QByteArray digits = cString(lpszDigits);
    if (c->state == LINECALLSTATE_IDLE || !c->deviceActive) {
        return LINEERR_INVALCALLSTATE;
    }
    if (!digits.isEmpty() && digitMode != LINEDIGITMODE_DTMF) {
        return LINEERR_INVALDIGITMODE;
    }
    if (!validDigits(digits)) {
        return LINEERR_INVALDIGITS;
    }
    if (LONG e = impl_->injected(Operation::GenerateDigits, c->deviceId)) {
        return e;
    }
    LineDevice* device = impl_->devices[c->deviceId];
    if (c->generating) {
        // A new request (or an empty one) cancels the running generation.
        device->cancelGenerate(c->deviceCallId);
        ++c->cancelsExpected;
        c->generating = false;
        impl_->dispatchLater(c->handle, LINE_GENERATE, LINEGENERATETERM_CANCEL);
    }
    if (digits.isEmpty()) {
        return 0;
    }
    if (LONG e = device->generateDigits(c->deviceCallId, digits, durationMs)) {
        return e;
    }
    c->generating = true;
    return 0;
}

LONG TelephonyService::lineGenerateTone(HCALL hCall, std::uint32_t toneMode, std::uint32_t durationMs,
                                        std::uint32_t numTones, const LINEGENERATETONE* lpTones)
{
    Impl::Call* c = impl_->call(hCall);
    if (!c) {
        return LINEERR_INVALCALLHANDLE;
    }
    if (c->privilege != LINECALLPRIVILEGE_OWNER) {
        return LINEERR_NOTOWNER;
    }
    if (c->state == LINECALLSTATE_IDLE || !c->deviceActive) {
        return LINEERR_INVALCALLSTATE;
    }
    std::vector<std::uint32_t> frequencies;
    if (toneMode == LINETONEMODE_BEEP) {
        frequencies = {1000};
    } else if (toneMode == LINETONEMODE_BUSY) {
        frequencies = {480, 620};
    } else if (toneMode == LINETONEMODE_RINGBACK) {
        frequencies = {440, 480};
    } else if (toneMode == LINETONEMODE_CUSTOM) {
        if (!lpTones || numTones == 0 || numTones > 3) {
            return LINEERR_INVALPARAM;
        }
        for (std::uint32_t i = 0; i < numTones; ++i) {
            if (lpTones[i].dwFrequency > 4000) {
                return LINEERR_INVALPARAM;
            }
            frequencies.push_back(lpTones[i].dwFrequency);
        }
    } else if (toneMode != 0) {
        return LINEERR_INVALPARAM;
    }
    if (LONG e = impl_->injected(Operation::GenerateDigits, c->deviceId)) {
        return e;
    }
    LineDevice* device = impl_->devices[c->deviceId];
    if (c->generating) {
        device->cancelGenerate(c->deviceCallId);
        ++c->cancelsExpected;
        c->generating = false;
        impl_->dispatchLater(c->handle, LINE_GENERATE, LINEGENERATETERM_CANCEL);
    }
    if (toneMode == 0) {
        return 0;
    }
    if (LONG e = device->generateTone(c->deviceCallId, frequencies, durationMs)) {
        return e;
    }
    c->generating = true;
    return 0;
}

LONG TelephonyService::lineGetID(HLINE hLine, std::uint32_t addressId, HCALL hCall, std::uint32_t select,
                                 VARSTRING* lpDeviceId, const char* lpszDeviceClass)
{
    std::uint32_t deviceId = 0;
    if (select == LINECALLSELECT_CALL) {
        Impl::Call* c = impl_->call(hCall);
        if (!c) {
            return LINEERR_INVALCALLHANDLE;
        }
        deviceId = c->deviceId;
    } else if (select == LINECALLSELECT_LINE || select == LINECALLSELECT_ADDRESS) {
        Impl::Line* l = impl_->line(hLine);
        if (!l) {
            return LINEERR_INVALLINEHANDLE;
        }
        if (select == LINECALLSELECT_ADDRESS && addressId != 0) {
            return LINEERR_INVALADDRESSID;
        }
        deviceId = l->deviceId;
    } else {
        return LINEERR_INVALCALLSELECT;
    }
    if (!lpDeviceId || !lpszDeviceClass) {
        return LINEERR_INVALPOINTER;
    }
    const QString deviceClass = QString::fromLatin1(lpszDeviceClass).trimmed().toLower();
    LineDevice* device = impl_->devices[deviceId];
    std::optional<std::uint32_t> id;
    if (deviceClass == QLatin1String("wave/in")) {
        id = device->waveInId();
    } else if (deviceClass == QLatin1String("wave/out")) {
        id = device->waveOutId();
    } else if (deviceClass == QLatin1String("tapi/line")) {
        id = deviceId;
    } else {
        return LINEERR_INVALDEVICECLASS;
    }
    if (!id) {
        return LINEERR_NODEVICE;
    }
    auto* buffer = reinterpret_cast<unsigned char*>(lpDeviceId);
    const std::uint32_t total = tapiDword(buffer, 0);
    if (total < kVarStringSize) {
        return LINEERR_STRUCTURETOOSMALL;
    }
    if (LONG e = impl_->injected(Operation::GetID, deviceId)) {
        return e;
    }
    const std::uint32_t needed = kVarStringSize + 4;
    setTapiDword(buffer, offsetof(VARSTRING, dwNeededSize), needed);
    setTapiDword(buffer, offsetof(VARSTRING, dwStringFormat), STRINGFORMAT_BINARY);
    if (total < needed) {
        // Too small for the id: the header says so and no string is present.
        setTapiDword(buffer, offsetof(VARSTRING, dwUsedSize), kVarStringSize);
        setTapiDword(buffer, offsetof(VARSTRING, dwStringSize), 0);
        setTapiDword(buffer, offsetof(VARSTRING, dwStringOffset), 0);
        return 0;
    }
    setTapiDword(buffer, offsetof(VARSTRING, dwUsedSize), needed);
    setTapiDword(buffer, offsetof(VARSTRING, dwStringSize), 4);
    setTapiDword(buffer, offsetof(VARSTRING, dwStringOffset), kVarStringSize);
    setTapiDword(buffer, kVarStringSize, *id);
    return 0;
}

LONG TelephonyService::lineMakeCall(HLINE hLine, HCALL* lphCall, const char* lpszDestAddress,
                                    std::uint32_t countryCode, const void*)
{
    Impl::Line* l = impl_->line(hLine);
    if (!l) {
        return LINEERR_INVALLINEHANDLE;
    }
    if (!lphCall) {
        return LINEERR_INVALPOINTER;
    }
    (void)countryCode;
    const QByteArray address = cString(lpszDestAddress).trimmed();
    if (address.isEmpty() || address.size() > 256 ||
        !(validDialString(address) || isJoinCallAddress(address))) {
        return LINEERR_INVALADDRESS;
    }
    for (const auto& [handle, c] : impl_->calls) {
        if (c.deviceId == l->deviceId && c.deviceActive) {
            return LINEERR_CALLUNAVAIL;
        }
    }
    if (LONG e = impl_->injected(Operation::MakeCall, l->deviceId)) {
        return e;
    }
    Impl::Call c;
    c.handle = impl_->newHandle();
    c.line = hLine;
    c.deviceId = l->deviceId;
    c.privilege = LINECALLPRIVILEGE_OWNER;
    c.outbound = true;
    c.called = address;
    c.replyPending = true;
    const HCALL handle = c.handle;
    impl_->calls[handle] = c;
    const LONG request = impl_->newRequestId();
    std::uint32_t deviceCallId = 0;
    std::weak_ptr<Impl> weak = impl_;
    EventService* events = &impl_->events;
    impl_->devices[l->deviceId]->dial(
        address, &deviceCallId, [weak, events, hLine, handle, lphCall, request](std::int32_t result) {
            events->post([weak, hLine, handle, lphCall, request, result] {
                auto self = weak.lock();
                if (!self) {
                    return;
                }
                Impl::Call* call = self->call(handle);
                const Impl::Line* line = self->line(hLine);
                if (!line) {
                    return;
                }
                if (result == 0 && call) {
                    *lphCall = handle; // the handle becomes valid with the reply
                }
                self->dispatch(line->app, 0, LINE_REPLY, line->instance, static_cast<std::uint32_t>(request),
                               static_cast<std::uint32_t>(result), 0);
                call = self->call(handle);
                if (!call) {
                    return;
                }
                if (result != 0) {
                    self->calls.erase(handle);
                    return;
                }
                call->replyPending = false;
                auto held = std::move(call->held);
                for (const auto& m : held) {
                    if (Impl::Call* again = self->call(handle)) {
                        self->dispatchCall(*again, m.msg, m.p1, m.p2, m.p3);
                    }
                }
            });
        });
    if (Impl::Call* made = impl_->call(handle)) {
        made->deviceCallId = deviceCallId;
    }
    return request;
}

std::uint32_t TelephonyService::callState(HCALL hCall) const
{
    const Impl::Call* c = impl_->call(hCall);
    return c ? c->state : 0;
}

} // namespace qlnrec::platform

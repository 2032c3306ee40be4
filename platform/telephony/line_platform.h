#pragma once
// Builds the telephony and wave-audio services for a "--lines" configuration string and offers
// the virtual-time driving loop, so the program's start-up needs only a few calls:
//
//   auto platform = LinePlatform::create(events, "sim:2", &error);
//   platform->telephony().lineInitialize(...);
//   auto player = platform->playScenario(scenario, &error);   // optional
//   runVirtualTime(virtualEvents, [&] { return player->finished(); });
#include "platform/core/event_service.h"
#include "platform/core/virtual_event_service.h"
#include "platform/telephony/line_provider.h"
#include "platform/telephony/sim/scenario.h"
#include "platform/telephony/sim/sim_provider.h"
#include "platform/telephony/telephony_service.h"
#include "platform/wave/wave_service.h"

#include <functional>
#include <memory>
#include <vector>

namespace qlnrec::platform {

class LinePlatform {
public:
    // Creates the wave service, every provider of `linesSpec` (in order; the device ids follow
    // it) and the telephony service over their devices. Returns null and sets *error on a bad
    // configuration string.
    static std::unique_ptr<LinePlatform> create(EventService& events, const QString& linesSpec,
                                                QString* error, WaveServiceOptions waveOptions = {});
    ~LinePlatform();

    EventService& events() const { return events_; }
    WaveService& wave() { return *wave_; }
    TelephonyService& telephony() { return *telephony_; }
    const std::vector<std::unique_ptr<LineProvider>>& providers() const { return providers_; }
    std::uint32_t deviceCount() const;
    // The simulated line behind a device id, or null.
    SimLine* simLine(std::uint32_t deviceId) const;
    // Every device id's simulated line (null for other providers), as ScenarioPlayer wants them.
    std::vector<SimLine*> simLines() const;

    // Applies the scenario's line settings to the simulated lines (call before lineInitialize).
    bool applyLineConfigs(const Scenario& scenario, QString* error);
    // Applies the line settings, creates a player for the scenario and starts it. Returns null
    // and sets *error when the scenario does not fit the configured lines.
    std::unique_ptr<ScenarioPlayer> playScenario(const Scenario& scenario, QString* error);

    // Writes the activity of every simulated line (see SimProvider::writeActivity).
    bool writeActivity(const QString& path, QString* error) const;

private:
    explicit LinePlatform(EventService& events);
    EventService& events_;
    std::unique_ptr<WaveService> wave_;
    std::vector<std::unique_ptr<LineProvider>> providers_;
    std::unique_ptr<TelephonyService> telephony_;
};

// Runs virtual time as fast as possible: repeatedly advances the clock to the next due timer
// until done() holds. Returns false when maxMs of virtual time passed or nothing is left to
// happen (no timer enabled, nothing posted). eachStep (optional) runs after every step, e.g. to
// let the window system paint.
bool runVirtualTime(VirtualEventService& events, const std::function<bool()>& done,
                    std::uint64_t maxMs = 24ull * 3600 * 1000, const std::function<void()>& eachStep = {});

} // namespace qlnrec::platform

#include "platform/telephony/line_platform.h"

#include <limits>

namespace qlnrec::platform {

LinePlatform::LinePlatform(EventService& events) : events_(events) {}

LinePlatform::~LinePlatform()
{
    // The service closes its lines before the devices go, and the devices before the wave
    // service that paces their audio.
    telephony_.reset();
    providers_.clear();
    wave_.reset();
}

std::unique_ptr<LinePlatform> LinePlatform::create(EventService& events, const QString& linesSpec,
                                                   QString* error, WaveServiceOptions waveOptions)
{
    std::unique_ptr<LinePlatform> platform(new LinePlatform(events));
    platform->wave_ = std::make_unique<WaveService>(events, waveOptions);
    LineProviderContext context{events, *platform->wave_};
    QString problem;
    platform->providers_ = LineProviderRegistry::instance().createAll(linesSpec, context, &problem);
    if (platform->providers_.empty()) {
        if (error) {
            *error = QStringLiteral("bad line configuration \"%1\": %2").arg(linesSpec, problem);
        }
        return nullptr;
    }
    platform->telephony_ = std::make_unique<TelephonyService>(events);
    for (auto& provider : platform->providers_) {
        platform->telephony_->addProvider(*provider);
    }
    return platform;
}

std::uint32_t LinePlatform::deviceCount() const
{
    return telephony_->deviceCount();
}

SimLine* LinePlatform::simLine(std::uint32_t deviceId) const
{
    return dynamic_cast<SimLine*>(telephony_->device(deviceId));
}

std::vector<SimLine*> LinePlatform::simLines() const
{
    std::vector<SimLine*> lines;
    for (std::uint32_t id = 0; id < deviceCount(); ++id) {
        lines.push_back(simLine(id));
    }
    return lines;
}

bool LinePlatform::applyLineConfigs(const Scenario& scenario, QString* error)
{
    for (const auto& [index, config] : scenario.lineConfigs()) {
        SimLine* line = simLine(static_cast<std::uint32_t>(index));
        if (!line) {
            if (error) {
                *error =
                    QStringLiteral("the scenario sets up line %1, which is not a simulated line").arg(index);
            }
            return false;
        }
        line->setConfig(config);
    }
    return true;
}

std::unique_ptr<ScenarioPlayer> LinePlatform::playScenario(const Scenario& scenario, QString* error)
{
    if (!applyLineConfigs(scenario, error)) {
        return nullptr;
    }
    auto player = std::make_unique<ScenarioPlayer>(events_, simLines(), scenario);
    if (!player->start()) {
        if (error) {
            *error = player->error();
        }
        return nullptr;
    }
    return player;
}

bool LinePlatform::writeActivity(const QString& path, QString* error) const
{
    std::uint32_t firstId = 0;
    const SimProvider* only = nullptr;
    std::uint32_t onlyFirst = 0;
    int simProviders = 0;
    for (const auto& provider : providers_) {
        if (const auto* sim = dynamic_cast<const SimProvider*>(provider.get())) {
            only = sim;
            onlyFirst = firstId;
            ++simProviders;
        }
        firstId += static_cast<std::uint32_t>(provider->deviceCount());
    }
    if (!only) {
        if (error) {
            *error = QStringLiteral("no simulated lines");
        }
        return false;
    }
    if (simProviders == 1) {
        return only->writeActivity(path, error, static_cast<int>(onlyFirst));
    }
    // Several sim providers: one file each, numbered by their first device id.
    firstId = 0;
    for (const auto& provider : providers_) {
        if (const auto* sim = dynamic_cast<const SimProvider*>(provider.get())) {
            QString part = path;
            if (part.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
                part.chop(4);
            }
            if (!sim->writeActivity(QStringLiteral("%1-from%2.txt").arg(part).arg(firstId), error,
                                    static_cast<int>(firstId))) {
                return false;
            }
        }
        firstId += static_cast<std::uint32_t>(provider->deviceCount());
    }
    return true;
}

bool runVirtualTime(VirtualEventService& events, const std::function<bool()>& done, std::uint64_t maxMs,
                    const std::function<void()>& eachStep)
{
    const std::uint64_t limit = events.elapsedMs() + maxMs;
    events.processPendingEvents();
    while (!done()) {
        const std::uint64_t due = events.nextDueMs();
        if (due == std::numeric_limits<std::uint64_t>::max()) {
            if (!events.hasPendingPosts()) {
                return false; // nothing will ever happen again
            }
            events.processPendingEvents();
            continue;
        }
        if (due > limit) {
            events.advance(limit - events.elapsedMs());
            return done();
        }
        events.advance(due > events.elapsedMs() ? due - events.elapsedMs() : 0);
        if (eachStep) {
            eachStep();
        }
    }
    return true;
}

} // namespace qlnrec::platform

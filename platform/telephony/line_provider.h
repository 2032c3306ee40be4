#pragma once
// Line providers and the registry that creates them from a configuration string such as "sim:2"
// or "modem:/dev/ttyACM0,sim:1". Each comma-separated item is "<provider>[:<argument>]"; an item
// that does not start with a registered provider name continues the previous item's argument,
// so arguments may themselves contain commas ("modem:/dev/ttyS0,115200,sim:1"). Devices are
// numbered in the order of the items.
#include "platform/core/event_service.h"
#include "platform/telephony/line_device.h"
#include "platform/wave/wave_service.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace qlnrec::platform {

class LineProvider {
public:
    virtual ~LineProvider() = default;
    virtual QString name() const = 0;
    virtual std::size_t deviceCount() const = 0;
    virtual LineDevice* device(std::size_t index) = 0;

    // Health of the provider's devices: a device stopped working (failed = true, e.g. its modem
    // was unplugged) or works again, with a text for the status list. Called on the GUI thread;
    // a listener set later hears the failures that are current at once. Providers whose devices
    // cannot fail this way ignore it.
    using StatusListener = std::function<void(LineDevice* device, bool failed, const QString& text)>;
    virtual void setStatusListener(StatusListener listener) { (void)listener; }
};

// What a provider gets to build its devices: the clock and the wave service in which it
// registers each line's audio endpoints.
struct LineProviderContext {
    EventService& events;
    WaveService& wave;
};

using LineProviderFactory = std::function<std::unique_ptr<LineProvider>(
    const QString& argument, const LineProviderContext& context, QString* error)>;

class LineProviderRegistry {
public:
    // The process-wide registry; "sim" is always registered. Other providers (the voice modem)
    // register themselves before the platform is built.
    static LineProviderRegistry& instance();

    void add(const QString& name, LineProviderFactory factory);
    bool contains(const QString& name) const;
    QStringList names() const;

    // Creates one provider. Returns null and sets *error for an unknown name or a bad argument.
    std::unique_ptr<LineProvider> create(const QString& name, const QString& argument,
                                         const LineProviderContext& context, QString* error) const;
    // Creates every provider of a configuration string, in order. On any error nothing is
    // returned and *error names the offending item.
    std::vector<std::unique_ptr<LineProvider>>
    createAll(const QString& linesList, const LineProviderContext& context, QString* error) const;
    // Splits a configuration string into (provider, argument) items as createAll does.
    std::vector<std::pair<QString, QString>> split(const QString& linesList) const;

private:
    std::map<QString, LineProviderFactory> factories_;
};

} // namespace qlnrec::platform

#pragma once
// The "modem" line provider (one voice modem on a serial or USB port: "modem:/dev/ttyACM0",
// "modem:/dev/ttyS0,115200,init=M1") and the "auto" lines setting, which probes /dev/ttyACM*,
// /dev/ttyUSB* and the ports named (in its argument or in QLNREC_MODEM_PORTS) and offers every
// modem found as a line, or one simulated line when there is none, so the program always starts
// usable.
//
// Options after the port, comma-separated: a bare number or baud=<rate>, init=<AT commands>,
// format=s16|u8|s8|ulaw|alaw, duplex=0|1, ringtimeout=<ms>.
#include "platform/modem/modem_line.h"
#include "platform/telephony/line_provider.h"

#include <functional>
#include <memory>
#include <vector>

namespace qlnrec::platform {

// The default lines setting of the program.
inline constexpr const char* kAutoLinesSpec = "auto";

class ModemProvider final : public LineProvider {
public:
    static constexpr int kMaxLines = 4;

    // Makes the byte link of a line (the serial port of its options when not given).
    using LinkFactory = std::function<std::unique_ptr<modem::ByteLink>(const ModemLineOptions& options)>;

    // One line per (options, identity) pair.
    ModemProvider(const LineProviderContext& context,
                  std::vector<std::pair<ModemLineOptions, modem::ModemIdentity>> modems,
                  const LinkFactory& makeLink = {});
    ~ModemProvider() override;

    QString name() const override { return QStringLiteral("modem"); }
    std::size_t deviceCount() const override { return lines_.size(); }
    LineDevice* device(std::size_t index) override;
    void setStatusListener(StatusListener listener) override;

    ModemLine& line(std::size_t index) { return *lines_.at(index); }

private:
    std::vector<std::unique_ptr<ModemLine>> lines_;
    StatusListener listener_;
};

// Parses "<port>[,<baud>][,key=value...]" (the port may be empty for "auto"). Extra bare items
// after the first are returned in *extraPorts when given, an error otherwise.
bool parseModemArgument(const QString& argument, ModemLineOptions* options, QStringList* extraPorts,
                        QString* error);

// Probes the configured port and builds a provider with its one line (the line exists even when
// nothing answers yet: it waits for the modem). Without a port it searches as "auto" does.
std::unique_ptr<LineProvider> createModemProvider(const QString& argument, const LineProviderContext& context,
                                                  QString* error);
// Probes the candidate ports; every modem that answers becomes a line (at most four). Without
// one, the provider is a single simulated line.
std::unique_ptr<LineProvider> createAutoProvider(const QString& argument, const LineProviderContext& context,
                                                 QString* error);

// Registers "modem" and "auto" with the registry (the process-wide one by default).
void registerModemProviders(LineProviderRegistry& registry = LineProviderRegistry::instance());

} // namespace qlnrec::platform

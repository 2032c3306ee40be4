#include "platform/modem/modem_provider.h"

#include "platform/modem/byte_link.h"
#include "platform/modem/modem_probe.h"
#include "platform/telephony/sim/sim_provider.h"

#include <QRegularExpression>

#include <cstdio>

namespace qlnrec::platform {

ModemProvider::ModemProvider(const LineProviderContext& context,
                             std::vector<std::pair<ModemLineOptions, modem::ModemIdentity>> modems,
                             const LinkFactory& makeLink)
{
    for (auto& [options, identity] : modems) {
        if (static_cast<int>(lines_.size()) >= kMaxLines) {
            break;
        }
        if (makeLink) {
            lines_.push_back(std::make_unique<ModemLine>(context.events, context.wave, options, identity,
                                                         makeLink(options)));
        } else {
            lines_.push_back(std::make_unique<ModemLine>(context.events, context.wave, options, identity));
        }
    }
}

ModemProvider::~ModemProvider() = default;

LineDevice* ModemProvider::device(std::size_t index)
{
    return index < lines_.size() ? lines_[index].get() : nullptr;
}

void ModemProvider::setStatusListener(StatusListener listener)
{
    listener_ = std::move(listener);
    for (auto& line : lines_) {
        ModemLine* device = line.get();
        if (!listener_) {
            device->setStatusHandler({});
            continue;
        }
        StatusListener l = listener_;
        device->setStatusHandler([l, device](bool failed, const QString& text) { l(device, failed, text); });
        if (device->failed()) {
            l(device, true, device->statusText());
        }
    }
}

bool parseModemArgument(const QString& argument, ModemLineOptions* options, QStringList* extraPorts,
                        QString* error)
{
    const QStringList items = argument.split(QLatin1Char(','));
    bool first = true;
    for (const QString& raw : items) {
        const QString item = raw.trimmed();
        if (first) {
            first = false;
            if (!item.contains(QLatin1Char('='))) {
                options->port = item;
                continue;
            }
        }
        if (item.isEmpty()) {
            continue;
        }
        const qsizetype eq = item.indexOf(QLatin1Char('='));
        if (eq < 0) {
            bool isNumber = false;
            const int baud = item.toInt(&isNumber);
            if (isNumber) {
                if (baud < 300 || baud > 4000000) {
                    *error = QStringLiteral("unusable baud rate %1").arg(item);
                    return false;
                }
                options->baudRate = baud;
            } else if (extraPorts) {
                extraPorts->append(item);
            } else {
                *error = QStringLiteral("unknown modem option \"%1\"").arg(item);
                return false;
            }
            continue;
        }
        const QString key = item.left(eq).trimmed().toLower();
        const QString value = item.mid(eq + 1).trimmed();
        bool ok = true;
        if (key == QLatin1String("baud")) {
            const int baud = value.toInt(&ok);
            if (!ok || baud < 300 || baud > 4000000) {
                *error = QStringLiteral("unusable baud rate %1").arg(value);
                return false;
            }
            options->baudRate = baud;
        } else if (key == QLatin1String("init")) {
            options->userInit = value;
        } else if (key == QLatin1String("format")) {
            options->format = modem::sampleFormatFromName(value);
            if (!options->format) {
                *error = QStringLiteral("unknown audio format \"%1\" (s16, u8, s8, ulaw, alaw)").arg(value);
                return false;
            }
        } else if (key == QLatin1String("duplex")) {
            options->duplex = value != QLatin1String("0");
        } else if (key == QLatin1String("ringtimeout")) {
            const int ms = value.toInt(&ok);
            if (!ok || ms < 1000 || ms > 60000) {
                *error = QStringLiteral("unusable ring time-out %1").arg(value);
                return false;
            }
            options->ringTimeoutMs = static_cast<std::uint32_t>(ms);
        } else {
            *error = QStringLiteral("unknown modem option \"%1\"").arg(key);
            return false;
        }
    }
    return true;
}

std::unique_ptr<LineProvider> createModemProvider(const QString& argument, const LineProviderContext& context,
                                                  QString* error)
{
    ModemLineOptions options;
    QString problem;
    if (!parseModemArgument(argument, &options, nullptr, &problem)) {
        if (error) {
            *error = problem;
        }
        return nullptr;
    }
    if (options.port.isEmpty()) {
        // "modem" without a port: find one as "auto" does.
        return createAutoProvider(argument, context, error);
    }
    modem::ModemIdentity identity =
        modem::probeModem(options.port, options.baudRate, options.probeTimeoutMs, &context.events);
    if (!identity.answered) {
        // Named explicitly, so taken for a voice modem that is not there yet.
        std::fprintf(stderr, "qlnrec: no modem answers on %s (%s); the line waits for it\n",
                     qPrintable(options.port), qPrintable(identity.error));
        identity.voice = true;
    }
    std::vector<std::pair<ModemLineOptions, modem::ModemIdentity>> modems;
    modems.emplace_back(options, identity);
    return std::make_unique<ModemProvider>(context, std::move(modems));
}

std::unique_ptr<LineProvider> createAutoProvider(const QString& argument, const LineProviderContext& context,
                                                 QString* error)
{
    ModemLineOptions common;
    QStringList extra;
    QString problem;
    // Every item of the argument is a port or an option for all modems found.
    if (!parseModemArgument(QStringLiteral(",") + argument, &common, &extra, &problem)) {
        if (error) {
            *error = problem;
        }
        return nullptr;
    }
    const QString fromEnvironment = qEnvironmentVariable("QLNREC_MODEM_PORTS");
    extra += fromEnvironment.split(QRegularExpression(QStringLiteral("[\\s,:;]+")), Qt::SkipEmptyParts);

    std::vector<std::pair<ModemLineOptions, modem::ModemIdentity>> modems;
    for (const QString& port : modem::candidateModemPorts(extra)) {
        if (static_cast<int>(modems.size()) >= ModemProvider::kMaxLines) {
            break;
        }
        const modem::ModemIdentity identity =
            modem::probeModem(port, common.baudRate, common.probeTimeoutMs, &context.events);
        if (!identity.answered) {
            continue;
        }
        ModemLineOptions options = common;
        options.port = port;
        std::fprintf(stderr, "qlnrec: found %s%s\n", qPrintable(identity.displayName()),
                     (identity.voice || identity.hashVoice) ? "" : " (no voice support)");
        modems.emplace_back(options, identity);
    }
    if (modems.empty()) {
        std::fprintf(stderr, "qlnrec: no modem found; offering one simulated line to try the program\n");
        return std::make_unique<SimProvider>(context, 1);
    }
    return std::make_unique<ModemProvider>(context, std::move(modems));
}

void registerModemProviders(LineProviderRegistry& registry)
{
    registry.add(QStringLiteral("modem"), createModemProvider);
    registry.add(QString::fromLatin1(kAutoLinesSpec), createAutoProvider);
}

} // namespace qlnrec::platform

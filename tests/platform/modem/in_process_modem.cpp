#include "tests/platform/modem/in_process_modem.h"

#include "platform/modem/in_process_link.h"
#include "platform/modem/modem_probe.h"

namespace qlnrec::test {

using namespace qlnrec::platform;

InProcessModemProvider::InProcessModemProvider(std::unique_ptr<modemsim::ModemSimulator> sim)
    : sim_(std::move(sim))
{
}

InProcessModemProvider::~InProcessModemProvider()
{
    sim_->attach({}); // the link goes with the line
    modem_.reset();
}

std::unique_ptr<InProcessModemProvider>
InProcessModemProvider::create(const QString& argument, const LineProviderContext& context, QString* error)
{
    const qsizetype comma = argument.indexOf(QLatin1Char(','));
    bool known = false;
    modemsim::SimFamily family = modemsim::familyByName(argument.left(comma), &known);
    if (!known) {
        *error = QStringLiteral("unknown modem family: %1").arg(argument.left(comma));
        return nullptr;
    }
    ModemLineOptions options;
    if (!parseModemArgument(comma < 0 ? QString() : argument.mid(comma), &options, nullptr, error)) {
        return nullptr;
    }
    auto sim = std::make_unique<modemsim::ModemSimulator>(std::move(family), context.events);
    if (!sim->start(error)) {
        return nullptr;
    }
    modemsim::ModemSimulator& s = *sim;
    options.port = s.portPath();

    // The questions the probe asks a serial port, answered by the simulator directly.
    modem::ModemIdentity identity;
    identity.port = options.port;
    const auto ask = [&s](const QByteArray& command) {
        modem::ProbeAnswer answer(command);
        s.attach({[&answer](const QByteArray& bytes) { answer.feed(bytes); }, {}});
        s.receive(command + '\r');
        s.attach({});
        return answer.reply();
    };
    identity.answered = ask("AT").ok();
    modem::readIdentity(identity, ask);

    std::unique_ptr<InProcessModemProvider> provider(new InProcessModemProvider(std::move(sim)));
    std::vector<std::pair<ModemLineOptions, modem::ModemIdentity>> modems;
    modems.emplace_back(options, identity);
    provider->modem_ = std::make_unique<ModemProvider>(
        context, std::move(modems), [&s, &events = context.events](const ModemLineOptions&) {
            auto link = std::make_unique<modem::InProcessLink>(events);
            modem::InProcessLink* l = link.get();
            l->setReceiver([&s](const QByteArray& bytes) { s.receive(bytes); });
            l->setPresent(s.pluggedIn());
            s.attach({[l](const QByteArray& bytes) { l->send(bytes); },
                      [l](bool present) { l->setPresent(present); }});
            return link;
        });
    return provider;
}

void registerInProcessModem()
{
    LineProviderRegistry::instance().add(
        QStringLiteral("modemsim"),
        [](const QString& argument, const LineProviderContext& context, QString* error) {
            return InProcessModemProvider::create(argument, context, error);
        });
}

} // namespace qlnrec::test

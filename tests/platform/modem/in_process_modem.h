#pragma once
// A line provider whose one modem line talks to a simulated modem inside the process, in the
// clock of the platform that builds it (virtual time in the whole-program tests). Registered as
// "modemsim:<family>[,<modem options>]", so any line platform can be built over it from a lines
// setting, e.g. "modemsim:rockwell,format=ulaw".
//
// The provider owns the simulator: the line goes first, then the modem it was wired to, both
// while the platform's clock still exists.
#include "platform/modem/modem_provider.h"
#include "platform/telephony/line_provider.h"
#include "tests/platform/modem/modemsim/modem_simulator.h"

#include <memory>

namespace qlnrec::test {

class InProcessModemProvider final : public platform::LineProvider {
public:
    // Probes the simulator as the program probes a serial port, then builds the line over an
    // in-process link to it. Null with *error set for a bad argument.
    static std::unique_ptr<InProcessModemProvider>
    create(const QString& argument, const platform::LineProviderContext& context, QString* error);
    ~InProcessModemProvider() override;

    QString name() const override { return modem_->name(); }
    std::size_t deviceCount() const override { return modem_->deviceCount(); }
    platform::LineDevice* device(std::size_t index) override { return modem_->device(index); }
    void setStatusListener(StatusListener listener) override
    {
        modem_->setStatusListener(std::move(listener));
    }

    modemsim::ModemSimulator& sim() { return *sim_; }
    platform::ModemLine& line() { return modem_->line(0); }

private:
    explicit InProcessModemProvider(std::unique_ptr<modemsim::ModemSimulator> sim);

    std::unique_ptr<modemsim::ModemSimulator> sim_;
    std::unique_ptr<platform::ModemProvider> modem_;
};

// Registers "modemsim" with the process-wide registry (again and again is harmless).
void registerInProcessModem();

} // namespace qlnrec::test

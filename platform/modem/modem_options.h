#pragma once
// The settings of one modem line (from the lines setting, see modem_provider.h).
#include "platform/modem/voice_format.h"

#include <QString>

#include <cstdint>
#include <optional>

namespace qlnrec::platform {

struct ModemLineOptions {
    QString port;
    int baudRate = 115200;
    // The user's own initialisation commands (without "AT"); X3 is appended unless present.
    QString userInit;
    // A sample format to prefer when the modem offers it (otherwise 16-bit linear, 8-bit
    // linear, mu-law, A-law in this order).
    std::optional<modem::SampleFormat> format;
    // Full duplex (+VTR) when the modem has it; otherwise receive and transmit take turns.
    bool duplex = true;
    // Without a new ring for this long an unanswered call is taken as abandoned. Longer than the
    // longest learned ring interval (13 s), so the program's own pick-up detection, which answers
    // when the rings stop, always comes first.
    std::uint32_t ringTimeoutMs = 14000;
    std::uint32_t commandTimeoutMs = 3000;
    std::uint32_t dialTimeoutMs = 90000;
    // While the modem is missing the port is tried this often.
    std::uint32_t recoveryPollMs = 3000;
    // Audio sent ahead of real time when a transmit stream starts.
    std::uint32_t transmitLeadMs = 100;
    int probeTimeoutMs = 600;
};

} // namespace qlnrec::platform

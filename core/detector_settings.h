#pragma once
// The silence and call-progress detector settings, read once while the main window loads and
// handed to every capture of the run.
#include <cstdint>

namespace qlnrec::core {

class ConfigStore;

struct DetectorSettings {
    std::int32_t silence = 0;        // "Silence": 1 stops a recording after a quiet stretch
    std::int32_t silenceLevel = 800; // "SilenceLevel": level below which a block counts as quiet
    std::int32_t silenceSeconds = 5; // "SilenceD": quiet blocks that may pass
    std::int32_t fastBusy = 0;       // "FBS": 1 enables the fast-busy and dial-tone trigger
    std::int32_t country = 0;        // "Country": busy cadence profile 0..3

    // The stored values, with the main window's defaults for absent keys.
    static DetectorSettings read(const ConfigStore& config);

    friend bool operator==(const DetectorSettings&, const DetectorSettings&) = default;
};

} // namespace qlnrec::core

#include "core/detector_settings.h"

#include "core/config_store.h"
#include "core/settings_table.h"

namespace qlnrec::core {

DetectorSettings DetectorSettings::read(const ConfigStore& config)
{
    DetectorSettings d;
    d.silence = config.getInt(keys::kSilence);
    d.silenceLevel = config.getInt(keys::kSilenceLevel);
    d.silenceSeconds = config.getInt(keys::kSilenceD);
    d.fastBusy = config.getInt(keys::kFastBusy);
    d.country = config.getInt(keys::kCountry);
    return d;
}

} // namespace qlnrec::core

#include "platform/acm/acm_driver.h"
#include "platform/acm/truespeech_driver.h"

namespace qlnrec::platform {

// The list of drivers compiled into the program. Each built-in driver adds one line here.
void registerBuiltInAcmDrivers(AcmDriverRegistry& registry)
{
    registry.add(std::make_shared<TrueSpeechAcmDriver>());
}

} // namespace qlnrec::platform

#include "platform/acm/acm_driver.h"

namespace qlnrec::platform {

// The list of drivers compiled into the program. Each built-in driver adds one line here.
void registerBuiltInAcmDrivers(AcmDriverRegistry& registry)
{
    (void)registry;
}

} // namespace qlnrec::platform

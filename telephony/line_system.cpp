#include "telephony/line_system.h"

namespace qlnrec::telephony {

LineSystem::LineSystem(const LineContext& context, const CallFlowRoles& roles, const LineControls& controls)
    : roles_(roles), context_(context), timers_(context_.events),
      dispatcher_(state_, timers_, context_, settings_, roles_, controls),
      manager_(state_, context_,
               [this](std::uint32_t hDevice, std::uint32_t message, std::uint32_t instance,
                      std::uint32_t param1, std::uint32_t param2, std::uint32_t param3) {
                   dispatcher_.LineCallback(hDevice, message, instance, param1, param2, param3);
               })
{
}

} // namespace qlnrec::telephony

#pragma once
// Line control as one object: the per-line records, their timers, the settings snapshot, the
// line manager and the dispatcher, wired so that the telephony interface's messages reach the
// dispatcher. The program holds one for the run.
#include "telephony/call_flow_roles.h"
#include "telephony/line_context.h"
#include "telephony/line_controls.h"
#include "telephony/line_dispatcher.h"
#include "telephony/line_manager.h"
#include "telephony/line_state.h"
#include "telephony/line_timers.h"

namespace qlnrec::telephony {

class LineSystem {
public:
    // roles and controls must outlive this object. The roles are read at every call event, so
    // whoever owns them fills them before the lines open.
    LineSystem(const LineContext& context, const CallFlowRoles& roles, const LineControls& controls);
    LineSystem(const LineSystem&) = delete;
    LineSystem& operator=(const LineSystem&) = delete;

    LineContext& context() { return context_; }
    LineState& state() { return state_; }
    const LineState& state() const { return state_; }
    LineTimers& timers() { return timers_; }
    SettingsSnapshot& settings() { return settings_; }
    const SettingsSnapshot& settings() const { return settings_; }
    LineManager& manager() { return manager_; }
    LineDispatcher& dispatcher() { return dispatcher_; }
    const CallFlowRoles& roles() const { return roles_; }

private:
    const CallFlowRoles& roles_;
    LineContext context_;
    LineState state_;
    SettingsSnapshot settings_;
    LineTimers timers_;
    LineDispatcher dispatcher_;
    LineManager manager_;
};

} // namespace qlnrec::telephony

#pragma once
// The blocking decision a quarter second after caller ID: a caller without a number when such
// callers are blocked, or a number on the block list, is answered at once (whatever the ring
// count or answer mode) so that the connected call hears the do-not-call prompt and is dropped.
// Screening goes further: an allow rule, and the phone book when the user lets it win, let a
// caller through that the block list or a block rule would stop; "only known callers" blocks
// every caller that neither the phone book nor an allow rule knows. A rule that decides is named
// at the end of the status line.
#include "telephony/call_flow_roles.h"
#include "telephony/line_system.h"

namespace qlnrec::telephony {

class CallBlocking final : public BlockingRole {
public:
    // The block list is read through the roles at each decision.
    explicit CallBlocking(LineSystem& lines) : lines_(lines) {}

    // True when the caller on line is blocked: the call has been answered and the status line
    // written.
    bool decide(int line) override;

private:
    LineSystem& lines_;
};

} // namespace qlnrec::telephony

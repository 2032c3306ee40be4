#pragma once
// What the caller-ID whole-call tests share.
#include "tests/e2e/recording/recording_rig.h"

#include <gtest/gtest.h>

namespace qlnrec::test {

// Rings until the call is offered, then the caller ID follows (as after the first ring).
inline void ringWithCallerId(RecordingRig& rig, int line, const platform::CallerIdField& number,
                             const platform::CallerIdField& name)
{
    rig.sim(line).ring(8, 2000, 4000);
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(line).hCall != 0; }, 10000));
    rig.run(500);
    rig.sim(line).sendCallerId(number, name);
}

} // namespace qlnrec::test

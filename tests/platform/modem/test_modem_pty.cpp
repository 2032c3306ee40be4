// The real serial port over a pseudo-terminal, against the simulated modem of each chipset
// family: a whole incoming call per family, a modem pulled out in the middle of a call and
// plugged in again, a configured modem that is not there yet, and a set-up command whose line end
// the modem lost. The same calls, and the rest of
// the line's behaviour, run in virtual time in test_modem_virtual.cpp.
#include "tests/platform/modem/modem_call_scenarios.h"

#include <gtest/gtest.h>

#include <string>

using namespace qlnrec::test;

namespace {
class ModemFamilies : public ::testing::TestWithParam<FamilyCase> {};
} // namespace

TEST_P(ModemFamilies, IncomingCallWithSpeechPromptDigitsBeepAndBusyNotice)
{
    incomingCallWithSpeechPromptDigitsBeepAndBusyNotice(GetParam(), SimLink::Pty);
}

INSTANTIATE_TEST_SUITE_P(Families, ModemFamilies, ::testing::ValuesIn(kFamilies), caseName);

TEST(ModemFailure, PulledMidCallTheLineFailsTheCallEndsAndTheModemComesBack)
{
    pulledMidCall(SimLink::Pty);
}

TEST(ModemFailure, AConfiguredModemThatIsNotThereYetIsWaitedFor)
{
    modemNotThereYet(SimLink::Pty);
}

TEST(ModemFailure, ASetUpCommandWhoseLineEndWasLostIsSentAgain)
{
    for (const SetUpFaultCase& c : kSetUpFaults) {
        if (std::string(c.name) == "lost_command_end") {
            setUpMeetsAFault(c, SimLink::Pty);
        }
    }
}

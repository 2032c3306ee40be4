#pragma once
// Whole calls against the simulated modem of each chipset family, written once and run both
// over a pseudo-terminal (the real serial port, real time) and over the in-process link
// (virtual time).
#include "tests/platform/modem/modem_test_rig.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace qlnrec::test {

struct FamilyCase {
    const char* name;
    modemsim::SimFamily (*family)();
    const char* options;        // appended to "modem:<port>"
    modemsim::SimFormat format; // what the provider should choose
    int formatCode;
    int lineLabel; // -1: the "#" commands (ATA)
    const char* callerIdCommand;
    const char* beepArgument; // how a 1.2 s 933 Hz tone is written for this family
    const char* identity;     // part of the line name
};

extern const std::vector<FamilyCase> kFamilies;
void PrintTo(const FamilyCase& c, std::ostream* os);
std::string caseName(const ::testing::TestParamInfo<FamilyCase>& info);

// The caller's number of a call (and its name and LINECALLPARTYID flags).
QByteArray callerIdText(platform::TelephonyService& tapi, platform::HCALL call, std::uint32_t* flags,
                        QByteArray* name);

// Rings twice with caller ID between, answers and waits for the audio stream.
void ringAndAnswer(ModemRig& rig, const modemsim::SimCallerId& id);

// Rings, caller ID, answer, 30 s of far-end speech captured sample for sample, a prompt recorded
// sample for sample by the modem, touch tones, a beep, a busy notice, hanging up.
void incomingCallWithSpeechPromptDigitsBeepAndBusyNotice(const FamilyCase& c, SimLink link);
// A modem pulled out in the middle of a call and plugged in again.
void pulledMidCall(SimLink link);
// A configured modem that is not plugged in when the line opens.
void modemNotThereYet(SimLink link);

// The failed notice names the port and the trouble, and a later notice says the line works again.
void expectFailedThenRecovered(ModemRig& rig, const QString& trouble);
// The next call is offered, answered and ended by the exchange's busy tone as usual.
void nextCallWorks(ModemRig& rig);

// A fault that meets the set-up at the format list, `times` times in a row.
struct SetUpFaultCase {
    const char* name;
    std::optional<modemsim::CommandFault> fault; // none: a byte of the answer is lost
    int amount;                                  // see CommandFault; the lost answer byte's index
    int times;
    const char* failure; // what the failed notice says; null: the line never fails
};
extern const std::vector<SetUpFaultCase> kSetUpFaults;
void PrintTo(const SetUpFaultCase& c, std::ostream* os);
std::string setUpFaultName(const ::testing::TestParamInfo<SetUpFaultCase>& info);
// The line is set up despite the fault, or fails with its reason and is set up again later; the
// next call works either way.
void setUpMeetsAFault(const SetUpFaultCase& c, SimLink link);

} // namespace qlnrec::test

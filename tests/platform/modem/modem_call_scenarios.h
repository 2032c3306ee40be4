#pragma once
// Whole calls against the simulated modem of each chipset family, written once and run both
// over a pseudo-terminal (the real serial port, real time) and over the in-process link
// (virtual time).
#include "tests/platform/modem/modem_test_rig.h"

#include <gtest/gtest.h>

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

} // namespace qlnrec::test

// An outgoing call placed from the dial window over a voice modem of every chipset family, in
// virtual time: only digits and dial characters reach the modem's dial command, whatever was
// typed; the called party's voice starts the "O" recording, which holds what they said. A quick
// dial joins a call dialled on the telephone set without dialling.
#include "tests/e2e/dialer/dialer_steps.h"
#include "tests/e2e/modem/modem_program.h"

using namespace qlnrec;
using test::ModemProgram;

namespace {

// Commands after the first `from` that dial, or that a number could hide.
QList<QByteArray> dialsAndInjections(const modemsim::ModemSimulator& modem, qsizetype from)
{
    QList<QByteArray> seen;
    for (const QByteArray& command : modem.commands().mid(from)) {
        const QByteArray upper = command.toUpper();
        if (upper.startsWith("ATD") || upper.contains("ATH") || upper.contains("ATZ") ||
            upper.contains("+++")) {
            seen << command;
        }
    }
    return seen;
}

class ModemDialling : public ::testing::TestWithParam<QString> {};

TEST_P(ModemDialling, OnlyDialCharactersReachTheModemAndTheAnsweredCallIsRecordedAsO)
{
    const QString speechFile = test::MadeAudio::speech(6);
    if (speechFile.isEmpty()) {
        GTEST_SKIP() << "espeak-ng or sox is not installed";
    }
    ModemProgram program(GetParam());
    test::RecordingRig& rig = program.rig;
    modemsim::ModemSimulator& modem = program.modem;
    ASSERT_TRUE(program.open());
    phonebook::Dialer& dialer = test::loadDialer(rig, {{"SMITH JOHN", "*72 555-0100;"}});
    const qsizetype setUp = modem.commands().size();

    // Numbers that try to end the dial command and start another are not dialled at all.
    for (const QString& typed : {QStringLiteral("5551234\rATH1"), QStringLiteral("555 ATZ"),
                                 QStringLiteral("5551234\nAT&F"), QStringLiteral("+++ATH")}) {
        dialer.setNumber(typed);
        EXPECT_FALSE(dialer.dial()) << typed.toStdString();
    }
    rig.run(2000);
    EXPECT_TRUE(dialsAndInjections(modem, setUp).isEmpty())
        << dialsAndInjections(modem, setUp).join(' ').toStdString();

    // The phone book's number, typed with blanks, a dash and a trailing ";", dials as its digits.
    modem.setDialOutcome("", 4000);
    dialer.select(0);
    dialer.selectEntry();
    ASSERT_TRUE(dialer.dial());
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kAwaitingReply; }, 20000));
    EXPECT_EQ(dialsAndInjections(modem, setUp), QList<QByteArray>{"ATD*725550100"});
    QString error;
    ASSERT_TRUE(modem.queueFarEndWav(speechFile, &error)) << error.toStdString();
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 15000));
    ASSERT_TRUE(rig.runUntil([&] { return modem.farEndQueueEmpty(); }, 20000));
    rig.run(500);
    modem.farEndHangsUp();
    ASSERT_TRUE(rig.finishRecording(0, 60000));
    ASSERT_TRUE(rig.runUntil([&] { return !dialer.calling(); }, 10000));
    EXPECT_FALSE(modem.offHook());

    ASSERT_EQ(rig.lists->recent().size(), 1);
    const QString name = rig.lists->recent().first();
    EXPECT_TRUE(name.startsWith("O~L 0")) << name.toStdString();
    EXPECT_TRUE(name.endsWith("~@72 555-0100;SMITH.wav")) << name.toStdString();
    // What the called party said after their first words is in the file, as the modem sent it.
    const std::vector<std::int16_t> said = modem.farEndSent();
    ASSERT_GT(said.size(), 4u * test::kModemRate);
    const std::vector<std::int16_t> later(said.begin() + 2 * test::kModemRate, said.end());
    EXPECT_GE(test::findSamples(test::pcmFileSamples(rig.recordingPath(name)), later), 0);

    // A quick dial joins a call dialled on the telephone set: the modem picks the line up as for
    // answering and dials nothing, and what the other party says is recorded.
    const qsizetype beforeJoin = modem.commands().size();
    dialer.quickDial();
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kAwaitingReply; }, 20000));
    EXPECT_TRUE(modem.offHook());
    EXPECT_TRUE(dialsAndInjections(modem, beforeJoin).isEmpty())
        << dialsAndInjections(modem, beforeJoin).join(' ').toStdString();
    ASSERT_TRUE(modem.queueFarEndWav(speechFile, &error)) << error.toStdString();
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 15000));
    ASSERT_TRUE(rig.runUntil([&] { return modem.farEndQueueEmpty(); }, 20000));
    modem.farEndHangsUp();
    ASSERT_TRUE(rig.finishRecording(0, 60000));
    ASSERT_EQ(rig.lists->recent().size(), 2);
    EXPECT_TRUE(rig.lists->recent().last().endsWith("~O.wav")) << rig.lists->recent().last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, ModemDialling, ::testing::ValuesIn(modemsim::familyNames()),
                         test::modemTestName);

} // namespace

// The answering machine over a voice modem of every chipset family, as a caller meets it: the
// whole program over a simulated modem on an in-process link, in virtual time. The modem rings,
// the program answers on the ring count, the greeting reaches the modem in its voice format, the
// beep follows, the caller speaks and hangs up, and the message is kept as an unread "A"
// recording of what the caller said.
#include "tests/e2e/modem/modem_program.h"

using namespace qlnrec;
using test::ModemProgram;

namespace {

class ModemAnswering : public ::testing::TestWithParam<QString> {};

TEST_P(ModemAnswering, AnsweredCallSendsTheGreetingInTheModemsFormatBeepsAndKeepsTheCallersMessage)
{
    const QString speechFile = test::MadeAudio::speech(6);
    if (speechFile.isEmpty()) {
        GTEST_SKIP() << "espeak-ng or sox is not installed";
    }
    ModemProgram program(GetParam());
    test::RecordingRig& rig = program.rig;
    modemsim::ModemSimulator& modem = program.modem;

    const std::vector<std::int16_t> greeting = test::sweep(300, 3000, 2.5);
    ASSERT_TRUE(program.writePrompt("Greeting.wav", greeting));
    rig.store("Rings", "2");
    ASSERT_TRUE(program.open());

    // The caller rings until the program takes the line.
    for (int ring = 0; ring < 6 && !modem.offHook(); ++ring) {
        modem.ring();
        rig.runUntil([&] { return modem.offHook(); }, 6000);
    }
    ASSERT_TRUE(modem.offHook());
    EXPECT_EQ(rig.slot(0).greetingDue, 1);
    if (const qsizetype eq = GetParam().indexOf("format="); eq >= 0) {
        EXPECT_EQ(modemsim::simFormatName(modem.format()), GetParam().mid(eq + 7).toStdString());
    }

    // The greeting plays, then the beep; the caller speaks after it and hangs up.
    ASSERT_TRUE(rig.runUntil([&] { return !modem.tones().isEmpty(); }, 20000)) << "no beep";
    const std::vector<std::int16_t> heard = modem.transmitted();
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 10000));
    QString error;
    ASSERT_TRUE(modem.queueFarEndWav(speechFile, &error)) << error.toStdString();
    ASSERT_TRUE(rig.runUntil([&] { return modem.farEndQueueEmpty(); }, 20000));
    rig.run(500);
    modem.farEndHangsUp();
    ASSERT_TRUE(rig.finishRecording(0, 60000));
    rig.run(1000);
    EXPECT_FALSE(modem.offHook());

    // (1) The modem received the greeting whole, in the format it negotiated, before the beep.
    EXPECT_GE(test::findCarried(heard, greeting, test::FormatLevels(modem.format())), 0)
        << modemsim::simFormatName(modem.format()) << ": " << heard.size() << " samples transmitted";

    // (2) The message is an unread "A" recording holding the caller's audio as the modem sent it
    // (decoding a voice format is exact, so sample for sample).
    ASSERT_EQ(rig.lists->unread().size(), 1);
    const QString name = rig.lists->unread().first();
    EXPECT_TRUE(name.startsWith("A~L 0")) << name.toStdString();
    EXPECT_TRUE(name.endsWith(".wav")) << name.toStdString();
    const std::vector<std::int16_t> said = modem.farEndSent();
    ASSERT_GT(said.size(), 5u * test::kModemRate);
    EXPECT_TRUE(test::heardWhole(test::pcmFileSamples(rig.recordingPath(name)), said));
    EXPECT_TRUE(rig.lists->recent().isEmpty());
}

// Every family in the format it picks itself (16-bit or 8-bit linear), and the two companded
// formats chosen by the user.
QStringList modems()
{
    return modemsim::familyNames() +
           QStringList{QStringLiteral("usr,format=ulaw"), QStringLiteral("lucent,format=alaw")};
}

INSTANTIATE_TEST_SUITE_P(EveryFamily, ModemAnswering, ::testing::ValuesIn(modems()), test::modemTestName);

} // namespace

#include "tests/platform/modem/modem_call_scenarios.h"

#include "platform/telephony/sim/wave_file.h"
#include "platform/telephony/tapi_types.h"

#include <QTemporaryDir>

namespace qlnrec::test {

using namespace qlnrec::platform;
using qlnrec::modemsim::CommandFault;
using qlnrec::modemsim::SimCallerId;
using qlnrec::modemsim::SimFamily;
using qlnrec::modemsim::SimFormat;

const std::vector<FamilyCase> kFamilies = {
    {"conexant", qlnrec::modemsim::conexantFamily, "", SimFormat::Signed16, 133, 1, "AT+VCID=1",
     "[933,0,120]", "CX93001"},
    {"conexant_alaw", qlnrec::modemsim::conexantFamily, ",format=alaw", SimFormat::ALaw, 132, 1, "AT+VCID=1",
     "[933,0,120]", "CX93001"},
    {"lucent", qlnrec::modemsim::lucentFamily, "", SimFormat::Signed16, 129, 2, "AT+VCID=1", "[933,0,120]",
     "Agere"},
    {"lucent_ulaw", qlnrec::modemsim::lucentFamily, ",format=ulaw", SimFormat::MuLaw, 131, 2, "AT+VCID=1",
     "[933,0,120]", "Venus"},
    {"usr", qlnrec::modemsim::usrFamily, "", SimFormat::Unsigned8, 128, 1, "AT+VCID=1", "[933,0,120]",
     "U.S. Robotics"},
    {"rockwell", qlnrec::modemsim::rockwellFamily, "", SimFormat::Unsigned8, 8, -1, "AT#CID=1", "[933,0,12]",
     "RCV56"},
};

void PrintTo(const FamilyCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string caseName(const ::testing::TestParamInfo<FamilyCase>& info)
{
    return info.param.name;
}

QByteArray callerIdText(TelephonyService& tapi, HCALL call, std::uint32_t* flags, QByteArray* name)
{
    std::vector<unsigned char> buffer(2297, 0);
    setTapiDword(buffer.data(), 0, 2297);
    auto* info = reinterpret_cast<LINECALLINFO*>(buffer.data());
    if (tapi.lineGetCallInfo(call, info) != 0) {
        return {};
    }
    *flags = tapiDword(buffer.data(), offsetof(LINECALLINFO, dwCallerIDFlags));
    auto text = [&](std::size_t sizeField, std::size_t offsetField) {
        const std::uint32_t size = tapiDword(buffer.data(), sizeField);
        const std::uint32_t offset = tapiDword(buffer.data(), offsetField);
        if (size == 0 || offset + size > buffer.size()) {
            return QByteArray();
        }
        return QByteArray(reinterpret_cast<const char*>(buffer.data() + offset), static_cast<qsizetype>(size))
            .replace('\0', "");
    };
    *name = text(offsetof(LINECALLINFO, dwCallerIDNameSize), offsetof(LINECALLINFO, dwCallerIDNameOffset));
    return text(offsetof(LINECALLINFO, dwCallerIDSize), offsetof(LINECALLINFO, dwCallerIDOffset));
}

// Rings twice with caller ID between, answers and waits for the audio stream.
void ringAndAnswer(ModemRig& rig, const SimCallerId& id)
{
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    LineMessage ring{};
    ASSERT_TRUE(rig.waitMessage(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, &ring));
    EXPECT_EQ(ring.p3, 1u);
    rig.sim().sendCallerId(id);
    ASSERT_TRUE(rig.waitMessage(LINE_CALLINFO, LINECALLINFOSTATE_CALLERID));
    rig.sim().ring();
    ASSERT_TRUE(rig.waitMessage(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, &ring));
    EXPECT_EQ(ring.p3, 2u);
    ASSERT_GT(rig.tapi().lineAnswer(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_CONNECTED));
    EXPECT_TRUE(rig.sim().offHook());
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() != QStringLiteral("command"); }));
}

void incomingCallWithSpeechPromptDigitsBeepAndBusyNotice(const FamilyCase& c, SimLink link)
{
    ModemRig rig(c.family(), QString::fromLatin1(c.options), link);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);

    // Set-up read the modem's own answers.
    const ModemLine::SetupInfo setup = rig.line().setupInfo();
    EXPECT_EQ(rig.sim().format(), c.format);
    EXPECT_EQ(setup.formatCode, c.formatCode);
    EXPECT_EQ(setup.hashCommands, c.lineLabel < 0);
    if (c.lineLabel >= 0) {
        EXPECT_EQ(setup.lineLabel, c.lineLabel);
    }
    EXPECT_EQ(setup.callerIdCommand, QByteArray(c.callerIdCommand));
    EXPECT_TRUE(rig.sim().sawCommand("ATX3"));
    EXPECT_TRUE(rig.line().caps().name.contains(QString::fromLatin1(c.identity)))
        << qPrintable(rig.line().caps().name);
    EXPECT_TRUE(rig.line().caps().name.endsWith(rig.sim().portPath()));
    EXPECT_EQ(rig.line().caps().mediaModes & LINEMEDIAMODE_INTERACTIVEVOICE, LINEMEDIAMODE_INTERACTIVEVOICE);

    SimCallerId id;
    id.number = "5551234";
    id.name = "SMITH JOHN";
    ringAndAnswer(rig, id);
    if (::testing::Test::HasFatalFailure()) {
        return;
    }
    std::uint32_t flags = 0;
    QByteArray name;
    EXPECT_EQ(callerIdText(rig.tapi(), rig.hCall(), &flags, &name), "5551234");
    EXPECT_EQ(name, "SMITH JOHN");
    EXPECT_EQ(flags & (LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME),
              LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME);
    ASSERT_EQ(rig.tapi().lineMonitorDigits(rig.hCall(), LINEDIGITMODE_DTMF), 0);

    // 30 s of far-end speech comes back through waveIn sample for sample.
    const std::vector<std::int16_t> speech = speechSamples(30);
    ASSERT_TRUE(rig.startCapture(36));
    // The far end's speech comes from a WAVE file.
    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("far-end.wav"));
    ASSERT_TRUE(writeWaveFile8kMono(wav, speech, &error)) << qPrintable(error);
    ASSERT_TRUE(rig.sim().queueFarEndWav(wav, &error)) << qPrintable(error);
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().farEndSentSamples() >= speech.size(); }));
    const std::vector<std::int16_t> sent = rig.sim().farEndSent();
    ASSERT_EQ(sent.size(), speech.size());
    const std::vector<std::int16_t> tail(sent.end() - 400, sent.end());
    ASSERT_TRUE(rig.waitFor([&] { return findSamples(rig.capturedSoFar(), tail) >= 0; }))
        << describeMismatch(rig.capturedSoFar(), sent);
    const std::vector<std::int16_t> captured = rig.stopCapture();
    EXPECT_GE(findSamples(captured, sent), 0) << describeMismatch(captured, sent);
    EXPECT_GT(rig.sim().dataDleSent(), 0u); // the audio carried 0x10 bytes
    if (rig.sim().family().compactDoubleDle) {
        EXPECT_GT(rig.sim().compactDleSent(), 0u);
    }

    // A prompt reaches the modem sample for sample (values the format can carry).
    const std::vector<std::int16_t> prompt = qlnrec::modemsim::simRoundTrip(
        c.format, std::vector<std::int16_t>(speech.begin() + 20000, speech.begin() + 32000));
    rig.sim().clearTransmitted();
    ASSERT_TRUE(rig.play(prompt));
    ASSERT_TRUE(rig.waitFor([&] { return findSamples(rig.sim().transmitted(), prompt) >= 0; }))
        << "transmitted " << rig.sim().transmitted().size() << " samples";
    // Receiving resumes after a prompt on modems without full duplex.
    ASSERT_TRUE(rig.waitFor([&] {
        const QString s = rig.sim().streamState();
        return s == QStringLiteral("receive") || s == QStringLiteral("duplex");
    }));

    // Touch tones: one report per key, whatever form the modem uses.
    rig.sim().sendDtmf("1#");
    LineMessage digit{};
    ASSERT_TRUE(rig.waitMessage(LINE_MONITORDIGITS, std::nullopt, &digit));
    EXPECT_EQ(digit.p1 & 0xFFFF, static_cast<std::uint32_t>('1'));
    ASSERT_TRUE(rig.waitMessage(LINE_MONITORDIGITS, std::nullopt, &digit));
    EXPECT_EQ(digit.p1 & 0xFFFF, static_cast<std::uint32_t>('#'));

    // The beep, then a tone whose length the family counts in its own unit.
    ASSERT_EQ(rig.tapi().lineGenerateDigits(rig.hCall(), LINEDIGITMODE_DTMF, "*", 0), 0);
    ASSERT_TRUE(rig.waitMessage(LINE_GENERATE, LINEGENERATETERM_DONE));
    EXPECT_TRUE(rig.sim().tones().contains("*"));
    LINEGENERATETONE tone{933, 0, 0, 0};
    ASSERT_EQ(rig.tapi().lineGenerateTone(rig.hCall(), LINETONEMODE_CUSTOM, 1200, 1, &tone), 0);
    ASSERT_TRUE(rig.waitMessage(LINE_GENERATE, LINEGENERATETERM_DONE));
    EXPECT_EQ(rig.sim().tones().back(), QByteArray(c.beepArgument));
    ASSERT_TRUE(rig.waitFor([&] { return rig.sim().streamState() != QStringLiteral("command"); }));
    EXPECT_EQ(rig.messageCount(LINE_MONITORDIGITS), 2u);

    // The far end hangs up: the exchange's busy tone ends the call.
    const std::size_t before = rig.mark();
    rig.sim().sendNotice('b');
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_BUSY);
    // Nothing disconnected the call before the busy notice (USR's false dial tone included).
    for (std::size_t i = 0; i < before; ++i) {
        EXPECT_FALSE(rig.messages()[i].msg == LINE_CALLSTATE &&
                     rig.messages()[i].p1 == LINECALLSTATE_DISCONNECTED);
    }
    rig.sim().sendNotice('b'); // repeated busy tone is one disconnect
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    EXPECT_EQ(rig.tapi().lineDeallocateCall(rig.hCall()), 0);
    // Back in voice mode, ready for the next call (ATH takes "#" modems out of it).
    EXPECT_TRUE(rig.waitFor([&] { return rig.sim().voiceClass() && rig.line().setupInfo().ready; }));
    std::size_t disconnects = 0;
    for (const LineMessage& m : rig.messages()) {
        disconnects += m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_DISCONNECTED;
    }
    EXPECT_EQ(disconnects, 1u);
}

void pulledMidCall(SimLink link)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), {}, link);
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    SimCallerId id;
    id.number = "P";
    ringAndAnswer(rig, id);
    if (::testing::Test::HasFatalFailure()) {
        return;
    }
    ASSERT_TRUE(rig.startCapture(10));
    rig.sim().queueFarEndAudio(speechSamples(30));
    ASSERT_TRUE(rig.waitFor([&] { return rig.capturedSamples() > 8000; }));

    rig.sim().unplug();
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_UNKNOWN);
    ASSERT_TRUE(rig.waitFor([&] { return !rig.notices().empty(); }));
    EXPECT_TRUE(rig.notices().front().failed);
    EXPECT_TRUE(rig.notices().front().text.contains(rig.sim().portPath()))
        << qPrintable(rig.notices().front().text);
    EXPECT_TRUE(rig.line().failed());
    // The program's capture just stops; its drop completes; the call goes idle.
    const std::vector<std::int16_t> captured = rig.stopCapture();
    EXPECT_GT(captured.size(), 8000u);
    rig.tapi().lineDrop(rig.hCall(), nullptr, 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    rig.tapi().lineDeallocateCall(rig.hCall());

    // Plugged in again: the line recovers and takes the next call.
    ASSERT_TRUE(rig.sim().plugIn(&error)) << qPrintable(error);
    ASSERT_TRUE(rig.waitFor([&] { return rig.notices().size() >= 2; }));
    EXPECT_FALSE(rig.notices().back().failed);
    EXPECT_FALSE(rig.line().failed());
    EXPECT_TRUE(rig.line().setupInfo().ready);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    LineMessage ring{};
    ASSERT_TRUE(rig.waitMessage(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, &ring));
    EXPECT_EQ(ring.p3, 1u);
}

void modemNotThereYet(SimLink link)
{
    ModemRig rig(qlnrec::modemsim::lucentFamily(), {}, link);
    QString error;
    ASSERT_TRUE(rig.start(&error, false)) << qPrintable(error);
    // The line opened, named after its port, and says it waits for the modem.
    EXPECT_TRUE(rig.line().caps().name.endsWith(rig.sim().portPath()));
    ASSERT_FALSE(rig.notices().empty());
    EXPECT_TRUE(rig.notices().front().failed);
    EXPECT_TRUE(rig.notices().front().text.contains(QStringLiteral("not connected")))
        << qPrintable(rig.notices().front().text);
    ASSERT_TRUE(rig.sim().plugIn(&error)) << qPrintable(error);
    ASSERT_TRUE(rig.waitFor([&] { return !rig.line().failed() && rig.line().setupInfo().ready; }));
    EXPECT_EQ(rig.line().setupInfo().lineLabel, 2);
    EXPECT_FALSE(rig.notices().back().failed);
}

void expectFailedThenRecovered(ModemRig& rig, const QString& trouble)
{
    ASSERT_FALSE(rig.notices().empty());
    EXPECT_TRUE(rig.notices().front().failed);
    EXPECT_TRUE(rig.notices().front().text.contains(rig.sim().portPath()))
        << qPrintable(rig.notices().front().text);
    EXPECT_TRUE(rig.notices().front().text.contains(trouble)) << qPrintable(rig.notices().front().text);
    ASSERT_TRUE(rig.waitFor([&] { return !rig.line().failed() && rig.line().setupInfo().ready; }));
    EXPECT_FALSE(rig.notices().back().failed);
}

void nextCallWorks(ModemRig& rig)
{
    SimCallerId id;
    id.number = "5550101";
    ringAndAnswer(rig, id);
    if (::testing::Test::HasFatalFailure()) {
        return;
    }
    rig.sim().sendNotice('b');
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_BUSY);
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    rig.tapi().lineDeallocateCall(rig.hCall());
}

void PrintTo(const SetUpFaultCase& c, std::ostream* os)
{
    *os << c.name;
}

std::string setUpFaultName(const ::testing::TestParamInfo<SetUpFaultCase>& info)
{
    return info.param.name;
}

const std::vector<SetUpFaultCase> kSetUpFaults = {
    // Once: the command is sent again and the set-up goes on as if nothing happened.
    {"slow_answer", CommandFault::SlowReply, 4000, 1, nullptr},
    {"garbled_answer", CommandFault::GarbledReply, 0, 1, nullptr},
    {"lost_answer_byte", std::nullopt, 3, 1, nullptr},
    {"lost_command_byte", CommandFault::LostCommandByte, 1, 1, nullptr},
    {"lost_command_end", CommandFault::LostCommandByte, 8, 1, nullptr},
    // Every try: the line fails with the reason and is set up from the start later.
    {"garbled_every_try", CommandFault::GarbledReply, 0, 3, "it answers garbage"},
    {"unanswered_every_try", CommandFault::LostCommandByte, 1, 3, "no answer to AT+VSM=? after 3 tries"},
};

void setUpMeetsAFault(const SetUpFaultCase& c, SimLink link)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), {}, link);
    // The format list: a wrong answer taken for it would pick the wrong format.
    const QByteArray command = "AT+VSM=?";
    rig.beforeLineOpens([&] {
        if (c.fault) {
            rig.sim().faultOnCommand(command, *c.fault, c.amount, c.times);
        } else {
            rig.sim().dropInReply(command, c.amount);
        }
    });
    QString error;
    const bool started = rig.start(&error);
    if (c.failure) {
        EXPECT_FALSE(started);
        ASSERT_TRUE(rig.line().failed());
        EXPECT_FALSE(rig.line().setupInfo().ready);
        expectFailedThenRecovered(rig, QString::fromLatin1(c.failure));
        EXPECT_EQ(rig.notices().size(), 2u);
        // Set up again from the reset on.
        EXPECT_EQ(rig.sim().commands().count("ATZ"), 2);
    } else {
        ASSERT_TRUE(started) << qPrintable(error);
        EXPECT_TRUE(rig.notices().empty());
        EXPECT_EQ(rig.sim().commands().count("ATZ"), 1);
    }
    if (::testing::Test::HasFatalFailure()) {
        return;
    }
    // What follows the retried command got its own answers.
    EXPECT_EQ(rig.line().setupInfo().format, modem::SampleFormat::Signed16);
    EXPECT_EQ(rig.sim().format(), SimFormat::Signed16);
    EXPECT_EQ(rig.line().setupInfo().callerIdCommand, "AT+VCID=1");
    EXPECT_EQ(rig.line().setupInfo().hangUpReportCommand, "AT-STE=4");
    nextCallWorks(rig);
}

} // namespace qlnrec::test

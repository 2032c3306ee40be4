// Finding modems and building lines from the lines setting: a modem beside a simulated line,
// "auto" with a modem named in the environment and without any, a data modem that offers no
// voice, and the modem's silence reports, which count only while the line listens.
#include "tests/platform/modem/modem_test_rig.h"

#include "platform/core/qt_event_service.h"
#include "platform/modem/modem_probe.h"
#include "platform/telephony/line_platform.h"
#include "platform/telephony/sim/sim_line.h"
#include "platform/telephony/tapi_types.h"

#include <QElapsedTimer>
#include <QFile>

#include <gtest/gtest.h>

using namespace qlnrec::platform;
using namespace qlnrec::test;
using qlnrec::modemsim::ModemSimulator;

namespace {

// Sets an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value)
        : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnvironment()
    {
        if (had_) {
            qputenv(name_, old_);
        } else {
            qunsetenv(name_);
        }
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};

WaveServiceOptions quietWave()
{
    WaveServiceOptions o;
    o.useSoundCard = false;
    return o;
}

} // namespace

TEST(ModemDiscovery, LinesSettingCombinesAModemAndASimulatedLine)
{
    ModemSimulator sim(qlnrec::modemsim::usrFamily());
    QString error;
    ASSERT_TRUE(sim.start(&error)) << qPrintable(error);
    registerModemProviders();
    QtEventService events;
    auto platform = LinePlatform::create(events, QStringLiteral("modem:%1,115200,sim:1").arg(sim.portPath()),
                                         &error, quietWave());
    ASSERT_TRUE(platform) << qPrintable(error);
    ASSERT_EQ(platform->deviceCount(), 2u);
    const LineDeviceCaps modem = platform->telephony().device(0)->caps();
    EXPECT_EQ(modem.name, QStringLiteral("U.S. Robotics 56K FAX USB on ") + sim.portPath());
    // Never exactly interactive voice | data (20): the setup dialog reads that as voice-less.
    EXPECT_EQ(modem.mediaModes,
              LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE | LINEMEDIAMODE_DATAMODEM);
    EXPECT_EQ(platform->simLine(0), nullptr);
    EXPECT_NE(platform->simLine(1), nullptr);
    // Each line has its own wave devices.
    EXPECT_NE(platform->telephony().device(0)->waveInId(), platform->telephony().device(1)->waveInId());

    // A bad option is refused with a reason.
    EXPECT_FALSE(LinePlatform::create(events, QStringLiteral("modem:%1,format=gsm").arg(sim.portPath()),
                                      &error, quietWave()));
    EXPECT_TRUE(error.contains(QStringLiteral("gsm"))) << qPrintable(error);
}

TEST(ModemDiscovery, AutoFindsAModemNamedInTheEnvironmentAndOtherwiseOffersADemoLine)
{
    if (!qlnrec::platform::modem::candidateModemPorts({}).isEmpty()) {
        GTEST_SKIP() << "this machine has serial modems attached; auto would probe them";
    }
    registerModemProviders();
    QtEventService events;
    QString error;
    {
        ModemSimulator sim(qlnrec::modemsim::lucentFamily());
        ASSERT_TRUE(sim.start(&error)) << qPrintable(error);
        ScopedEnvironment ports("QLNREC_MODEM_PORTS", QFile::encodeName(sim.portPath()));
        auto platform =
            LinePlatform::create(events, QString::fromLatin1(kAutoLinesSpec), &error, quietWave());
        ASSERT_TRUE(platform) << qPrintable(error);
        ASSERT_EQ(platform->deviceCount(), 1u);
        EXPECT_EQ(platform->providers().front()->name(), QStringLiteral("modem"));
        EXPECT_EQ(platform->telephony().device(0)->caps().name,
                  QStringLiteral("Agere Systems Venus V.92 on ") + sim.portPath());
        platform.reset();
        // "modem" without a port searches the same way.
        auto same = LinePlatform::create(events, QStringLiteral("modem"), &error, quietWave());
        ASSERT_TRUE(same) << qPrintable(error);
        EXPECT_EQ(same->telephony().device(0)->caps().name,
                  QStringLiteral("Agere Systems Venus V.92 on ") + sim.portPath());
    }
    {
        ScopedEnvironment ports("QLNREC_MODEM_PORTS", "/nonexistent/ttyACM9");
        auto platform =
            LinePlatform::create(events, QString::fromLatin1(kAutoLinesSpec), &error, quietWave());
        ASSERT_TRUE(platform) << qPrintable(error);
        ASSERT_EQ(platform->deviceCount(), 1u);
        EXPECT_NE(platform->simLine(0), nullptr);
    }
}

TEST(ModemDiscovery, ADataModemIsOfferedWithoutVoice)
{
    qlnrec::modemsim::SimFamily data = qlnrec::modemsim::conexantFamily();
    data.voiceCapable = false;
    data.classList = "0,1,2";
    ModemSimulator sim(data);
    QString error;
    ASSERT_TRUE(sim.start(&error)) << qPrintable(error);
    const qlnrec::platform::modem::ModemIdentity id =
        qlnrec::platform::modem::probeModem(sim.portPath(), 115200, 600);
    EXPECT_TRUE(id.answered);
    EXPECT_FALSE(id.voice);
    EXPECT_FALSE(id.hashVoice);
    EXPECT_EQ(id.mediaModes(), LINEMEDIAMODE_DATAMODEM);
    // Nothing behind a port: no answer, no line of its own.
    const qlnrec::platform::modem::ModemIdentity none =
        qlnrec::platform::modem::probeModem(QStringLiteral("/nonexistent/ttyUSB7"), 115200, 200);
    EXPECT_FALSE(none.answered);
    EXPECT_FALSE(none.error.isEmpty());
}

TEST(ModemDiscovery, SilenceReportsCountOnlyWhileTheLineListens)
{
    ModemRig rig(qlnrec::modemsim::lucentFamily());
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    ASSERT_GT(rig.tapi().lineAnswer(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_CONNECTED));
    // A two-second greeting: the caller listens in silence.
    const std::vector<std::int16_t> speech = speechSamples(2);
    const std::vector<std::int16_t> greeting(speech.begin(), speech.begin() + 16000);
    ASSERT_TRUE(rig.startPlay(greeting));
    ASSERT_TRUE(waitFor([&] { return rig.sim().streamState() == QStringLiteral("transmit"); }));
    rig.sim().sendNotice('s');
    ASSERT_TRUE(rig.finishPlay());
    EXPECT_EQ(rig.messageCount(LINE_CALLSTATE), 2u); // offering, connected
    ASSERT_TRUE(waitFor([&] { return rig.sim().streamState() == QStringLiteral("receive"); }));
    // Silence while recording ends the call.
    rig.sim().sendNotice('s');
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, LINEDISCONNECTMODE_UNKNOWN);
}

TEST(ModemCalls, CallerIdBeforeTheFirstRingAndACallerWhoGivesUp)
{
    ModemRig rig(qlnrec::modemsim::usrFamily(), QStringLiteral(",ringtimeout=1500"));
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    // Some exchanges send caller ID before ringing: the call is offered with it.
    qlnrec::modemsim::SimCallerId id;
    id.number = "0301234567";
    id.name = "";
    rig.sim().sendCallerId(id);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    ASSERT_TRUE(rig.waitMessage(LINE_CALLINFO, LINECALLINFOSTATE_CALLERID));
    rig.sim().ring();
    LineMessage ring{};
    ASSERT_TRUE(rig.waitMessage(LINE_LINEDEVSTATE, LINEDEVSTATE_RINGING, &ring));
    EXPECT_EQ(ring.p3, 1u);
    // No further ring: the caller gave up and the call goes idle without being answered.
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook());
    EXPECT_EQ(rig.messageCount(LINE_CALLINFO), 1u);
}

TEST(ModemCalls, DroppingARingingCallSilencesItsRings)
{
    ModemRig rig(qlnrec::modemsim::conexantFamily(), QStringLiteral(",ringtimeout=1500"));
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    const HCALL first = rig.hCall();
    ASSERT_GT(rig.tapi().lineDrop(first, nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    EXPECT_FALSE(rig.sim().offHook()); // an analog line cannot refuse a call: it just is not answered
    const std::size_t rings = rig.messageCount(LINE_LINEDEVSTATE);
    rig.tapi().lineDeallocateCall(first);
    // The same caller rings on, then gives up (well past the ring time-out).
    rig.sim().ring();
    rig.sim().ring();
    QElapsedTimer pause;
    pause.start();
    ASSERT_TRUE(waitFor([&] { return pause.elapsed() > 3500; }));
    // The next ring is a new call; the rings of the dropped one were never reported (the
    // terminal keeps their order, so they were handled before this one).
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    EXPECT_NE(rig.hCall(), first);
    ASSERT_TRUE(waitFor([&] { return rig.messageCount(LINE_LINEDEVSTATE) > rings; }));
    EXPECT_EQ(rig.messageCount(LINE_LINEDEVSTATE), rings + 1);
}

namespace {

struct NoticeCase {
    const char* name;
    qlnrec::modemsim::SimFamily (*family)();
    char notice;
    std::uint32_t mode;
};

void PrintTo(const NoticeCase& c, std::ostream* os)
{
    *os << c.name;
}

class HangUpNotices : public ::testing::TestWithParam<NoticeCase> {};

} // namespace

TEST_P(HangUpNotices, EachNoticeEndsTheCallOnce)
{
    const NoticeCase& c = GetParam();
    ModemRig rig(c.family());
    QString error;
    ASSERT_TRUE(rig.start(&error)) << qPrintable(error);
    rig.sim().ring();
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_OFFERING));
    ASSERT_GT(rig.tapi().lineAnswer(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_CONNECTED));
    ASSERT_EQ(rig.tapi().lineMonitorDigits(rig.hCall(), LINEDIGITMODE_DTMF), 0);
    ASSERT_TRUE(waitFor([&] { return rig.sim().streamState() != QStringLiteral("command"); }));
    // A US Robotics modem reports dial tone falsely while streaming; the digit that follows shows
    // the report was read and ignored.
    if (rig.line().identity().isUsRobotics()) {
        rig.sim().sendNotice('d');
        rig.sim().sendDtmf("7");
        ASSERT_TRUE(rig.waitMessage(LINE_MONITORDIGITS));
        EXPECT_EQ(rig.messageCount(LINE_CALLSTATE), 2u);
    }
    rig.sim().sendNotice(c.notice);
    std::uint32_t mode = 0;
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_DISCONNECTED, &mode));
    EXPECT_EQ(mode, c.mode);
    rig.sim().sendNotice(c.notice);
    ASSERT_GT(rig.tapi().lineDrop(rig.hCall(), nullptr, 0), 0);
    ASSERT_TRUE(rig.waitCallState(LINECALLSTATE_IDLE));
    std::size_t disconnects = 0;
    for (const LineMessage& m : rig.messages()) {
        disconnects += m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_DISCONNECTED;
    }
    EXPECT_EQ(disconnects, 1u);
}

const NoticeCase kNotices[] = {
    {"loop_drop_rockwell", qlnrec::modemsim::rockwellFamily, 'l', LINEDISCONNECTMODE_NORMAL},
    {"dial_tone_conexant", qlnrec::modemsim::conexantFamily, 'd', LINEDISCONNECTMODE_NORMAL},
    {"quiet_lucent", qlnrec::modemsim::lucentFamily, 'q', LINEDISCONNECTMODE_UNKNOWN},
    {"loop_drop_usr", qlnrec::modemsim::usrFamily, 'l', LINEDISCONNECTMODE_NORMAL},
};

INSTANTIATE_TEST_SUITE_P(Modems, HangUpNotices, ::testing::ValuesIn(kNotices),
                         [](const ::testing::TestParamInfo<NoticeCase>& info) {
                             return std::string(info.param.name);
                         });

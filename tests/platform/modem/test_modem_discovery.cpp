// Finding modems and building lines from the lines setting: a modem beside a simulated line,
// "auto" with a modem named in the environment and without any, and a data modem that offers no
// voice.
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

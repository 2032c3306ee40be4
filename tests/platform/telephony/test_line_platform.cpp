// Building the platform from a lines configuration: the provider registry, device numbering
// across providers, and the virtual-time driving loop.
#include "tests/platform/telephony/tapi_fixture.h"

using namespace qlnrec::platform;

namespace {

// A stand-in for a provider registered from outside (as the voice-modem provider will be).
class OneLineProvider final : public LineProvider {
public:
    explicit OneLineProvider(QString argument) : argument(std::move(argument)) {}
    QString name() const override { return QStringLiteral("fake"); }
    std::size_t deviceCount() const override { return 1; }
    LineDevice* device(std::size_t) override { return nullptr; }
    QString argument;
};

void registerFake()
{
    LineProviderRegistry::instance().add(QStringLiteral("fake"),
                                         [](const QString& argument, const LineProviderContext&,
                                            QString* error) -> std::unique_ptr<LineProvider> {
                                             if (argument == QLatin1String("broken")) {
                                                 *error = QStringLiteral("port not found");
                                                 return nullptr;
                                             }
                                             return std::make_unique<OneLineProvider>(argument);
                                         });
}

TEST(LineProviderRegistry, SplitsItemsAndKeepsCommasInsideArguments)
{
    registerFake();
    const auto& registry = LineProviderRegistry::instance();
    EXPECT_TRUE(registry.contains(QStringLiteral("sim")));
    EXPECT_TRUE(registry.contains(QStringLiteral("SIM")));
    using Items = std::vector<std::pair<QString, QString>>;
    EXPECT_EQ(registry.split(QStringLiteral("sim:2")), (Items{{"sim", "2"}}));
    EXPECT_EQ(registry.split(QStringLiteral("fake:/dev/ttyACM0,sim:1")),
              (Items{{"fake", "/dev/ttyACM0"}, {"sim", "1"}}));
    EXPECT_EQ(registry.split(QStringLiteral("fake:/dev/ttyS0,115200, sim")),
              (Items{{"fake", "/dev/ttyS0,115200"}, {"sim", ""}}));
    EXPECT_EQ(registry.split(QStringLiteral("modem:/dev/x")), (Items{{"modem:/dev/x", ""}}))
        << "an unregistered provider stays one item so the error can name it";
}

TEST(LineProviderRegistry, BadConfigurationsNameTheProblem)
{
    registerFake();
    VirtualEventService events;
    QString error;
    const std::pair<const char*, const char*> cases[] = {
        {"sim:0", "the number of simulated lines must be 1 to 4, not \"0\""},
        {"sim:5", "must be 1 to 4"},
        {"sim:two", "not \"two\""},
        {"telepathy:1", "unknown line provider \"telepathy:1\""},
        {"fake:broken", "fake: port not found"},
        {"", "no line providers given"},
    };
    for (const auto& [linesList, expected] : cases) {
        error.clear();
        EXPECT_FALSE(LinePlatform::create(events, QString::fromUtf8(linesList), &error)) << linesList;
        EXPECT_TRUE(error.contains(QString::fromUtf8(expected))) << linesList << ": " << error.toStdString();
    }
}

TEST(LinePlatform, DevicesAreNumberedAcrossProvidersInOrder)
{
    registerFake();
    VirtualEventService events;
    QString error;
    // The fake's device is null, so build the order check from sim providers around it.
    auto platform = LinePlatform::create(events, QStringLiteral("sim:2,sim:1"), &error,
                                         WaveServiceOptions{PacingMode::ClockTimers, false, 20});
    ASSERT_TRUE(platform) << error.toStdString();
    EXPECT_EQ(platform->deviceCount(), 3u);
    EXPECT_EQ(platform->providers().size(), 2u);
    const auto lines = platform->simLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2]->config().name, QStringLiteral("Simulated Voice Modem 1"))
        << "named within its provider";
    EXPECT_EQ(*lines[2]->waveInId(), 2u) << "wave ids follow the device order";
    EXPECT_EQ(platform->simLine(3), nullptr);
    EXPECT_EQ(platform->wave().waveInGetNumDevs(), 3u);
    EXPECT_EQ(platform->wave().waveOutGetNumDevs(), 3u);

    auto withFake = LinePlatform::create(events, QStringLiteral("fake:x,y"), &error);
    ASSERT_TRUE(withFake) << error.toStdString();
    EXPECT_EQ(static_cast<OneLineProvider*>(withFake->providers()[0].get())->argument, QStringLiteral("x,y"));
}

TEST(LinePlatform, VirtualTimeRunsToTheScenariosEndOrStopsWhenNothingIsLeft)
{
    VirtualEventService events;
    QString error;
    auto platform = LinePlatform::create(events, QStringLiteral("sim:1"), &error);
    ASSERT_TRUE(platform);
    auto scenario = Scenario::parse(QStringLiteral("3600 0 ring\n7200 0 end\n"), &error);
    ASSERT_TRUE(scenario);
    auto player = platform->playScenario(*scenario, &error);
    ASSERT_TRUE(player) << error.toStdString();
    bool done = false;
    player->setOnFinished([&](bool) { done = true; });
    ASSERT_TRUE(runVirtualTime(events, [&] { return done; }));
    EXPECT_EQ(events.elapsedMs(), 7200u * 1000);
    // Nobody opened the line, so the ring found no listener.
    EXPECT_EQ(platform->simLine(0)->callCount(), 0);
    EXPECT_EQ(platform->simLine(0)->activity().back().text,
              QStringLiteral("ring (line not open, nobody listens)"));

    // Nothing scheduled any more: the loop reports that instead of spinning.
    EXPECT_FALSE(runVirtualTime(events, [] { return false; }));
    // A limit in virtual time is honoured.
    Timer ticker(events, 1000, [] {});
    ticker.setEnabled(true);
    const std::uint64_t before = events.elapsedMs();
    EXPECT_FALSE(runVirtualTime(
        events, [] { return false; }, 60000));
    EXPECT_EQ(events.elapsedMs(), before + 60000);
}

} // namespace

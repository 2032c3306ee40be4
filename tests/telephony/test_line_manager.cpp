// Opening and closing lines: which lines open, with which version, and what the user is told
// when the telephony interface or a line fails.
#include "line_harness.h"

#include "platform/telephony/telephony_service.h"

#include <gtest/gtest.h>

#include <array>

namespace qlnrec::test {
namespace {

using platform::MessageIcon;
using platform::TelephonyService;

TEST(LineManager, OnlyTheLinesSetToExactlyOneAreOpened)
{
    LineHarness h;
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line0"), QStringLiteral("1"));
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line1"), QStringLiteral("01"));
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line2"), QStringLiteral(" 1"));
    h.config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line3"), QStringLiteral("1 "));
    h.openLines();

    EXPECT_NE(h.slot(0).hLine, 0u);
    EXPECT_TRUE(h.sim(0).isOpen());
    for (int line = 1; line < 4; ++line) {
        EXPECT_EQ(h.slot(line).hLine, 0u) << line;
        EXPECT_FALSE(h.sim(line).isOpen()) << line;
    }
    EXPECT_EQ(h.statusTexts(), QStringList{QStringLiteral("Line0 is ready")});
    EXPECT_TRUE(h.dialogs.messages().empty());
    EXPECT_NE(h.state().lineApp, 0u);
    EXPECT_EQ(h.state().lineDeviceCount, 4);
}

TEST(LineManager, NegotiatesTheHighestVersionAndOpensEveryLineWithIt)
{
    LineHarness h(QStringLiteral("sim:3"));
    const std::array<std::uint32_t, 3> highest{0x00010004, 0x00020000, 0x00010003};
    for (int line = 0; line < 3; ++line) {
        platform::SimLineConfig config = h.sim(line).config();
        config.apiVersionHigh = highest[static_cast<std::size_t>(line)];
        h.sim(line).setConfig(config);
    }
    h.enableLines({0, 1, 2});
    h.openLines();

    EXPECT_EQ(h.state().lineApiVersion, 0x00020000u);
    EXPECT_EQ(h.state().lineDeviceCount, 3);
    for (int line = 0; line < 3; ++line) {
        EXPECT_NE(h.slot(line).hLine, 0u) << line;
    }
    EXPECT_TRUE(h.dialogs.messages().empty());
}

TEST(LineManager, NegotiatesOnlyTheFirstFourOfSixDevicesAndIgnoresAFailedNegotiation)
{
    LineHarness h(QStringLiteral("sim:4,sim:2"));
    // Devices 4 and 5 would offer a higher version; they are never asked.
    for (int device = 4; device < 6; ++device) {
        platform::SimLineConfig config = h.sim(device).config();
        config.apiVersionHigh = 0x00030000;
        h.sim(device).setConfig(config);
    }
    platform::SimLineConfig config = h.sim(3).config();
    config.apiVersionHigh = 0x00020002;
    h.sim(3).setConfig(config);
    h.platform->telephony().injectError(TelephonyService::Operation::NegotiateAPIVersion, 3,
                                        platform::LINEERR_INCOMPATIBLEAPIVERSION);
    h.openLines();

    EXPECT_EQ(h.state().lineDeviceCount, 4);
    EXPECT_EQ(h.state().lineApiVersion, 0x00010004u);
}

TEST(LineManager, AFailingLineShowsItsErrorAndTheOthersStillOpen)
{
    LineHarness h;
    platform::SimLineConfig config = h.sim(2).config();
    config.openError = platform::LINEERR_RESOURCEUNAVAIL;
    h.sim(2).setConfig(config);
    h.enableLines({0, 1, 2, 3});
    h.openLines();

    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    const platform::DialogRequest box = h.dialogs.messages()[0];
    EXPECT_EQ(box.text, QStringLiteral("Line2 Error:  80000048"));
    EXPECT_EQ(box.icon, MessageIcon::Critical);
    EXPECT_EQ(box.title, QStringLiteral("Quillon"));
    EXPECT_EQ(h.slot(2).hLine, 0u);
    for (int line : {0, 1, 3}) {
        EXPECT_NE(h.slot(line).hLine, 0u) << line;
    }
    EXPECT_EQ(h.statusTexts(),
              (QStringList{QStringLiteral("Line0 is ready"), QStringLiteral("Line1 is ready"),
                           QStringLiteral("Line3 is ready")}));
}

TEST(LineManager, WithoutDevicesEveryEnabledLineFailsAndTheProgramRuns)
{
    LineHarness h(QStringLiteral("sim:1"));
    h.enableLines({1, 3});
    h.openLines();

    ASSERT_EQ(h.dialogs.messages().size(), 2u);
    EXPECT_EQ(h.dialogs.messages()[0].text, QStringLiteral("Line1 Error:  80000002")); // bad device id
    EXPECT_EQ(h.dialogs.messages()[1].text, QStringLiteral("Line3 Error:  80000002"));
    EXPECT_EQ(h.programEnds, 0);
    EXPECT_TRUE(h.statusTexts().isEmpty());
}

TEST(LineManager, AFailedInitialisationShowsTheCompatibilityBoxAndEndsTheProgram)
{
    LineHarness h;
    h.platform->telephony().injectError(TelephonyService::Operation::Initialize, std::nullopt,
                                        platform::LINEERR_NOMEM);
    h.enableLines({0});
    h.openLines();

    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    EXPECT_EQ(h.dialogs.messages()[0].text, h.strings.loadText(1019));
    EXPECT_EQ(h.dialogs.messages()[0].icon, MessageIcon::Critical);
    EXPECT_EQ(h.programEnds, 1);
    EXPECT_EQ(h.slot(0).hLine, 0u);
    EXPECT_FALSE(h.sim(0).isOpen());
}

TEST(LineManager, ALineWithoutRingNoticesStaysOpenAfterItsBox)
{
    LineHarness h;
    h.platform->telephony().injectError(TelephonyService::Operation::SetStatusMessages, 1,
                                        platform::LINEERR_OPERATIONFAILED);
    h.enableLines({0, 1});
    h.openLines();

    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    EXPECT_EQ(h.dialogs.messages()[0].text, QStringLiteral("Can not initialize callback message of line1"));
    EXPECT_EQ(h.dialogs.messages()[0].icon, MessageIcon::Critical);
    EXPECT_NE(h.slot(1).hLine, 0u);
    EXPECT_EQ(h.statusTexts(),
              (QStringList{QStringLiteral("Line0 is ready"), QStringLiteral("Line1 is ready")}));
}

TEST(LineManager, CloseLinesClosesEveryOpenLineAndShutsDown)
{
    LineHarness h;
    h.enableLines({0, 2});
    h.openLines();
    h.manager().CloseLines();
    h.settle();
    EXPECT_FALSE(h.sim(0).isOpen());
    EXPECT_FALSE(h.sim(2).isOpen());
    EXPECT_EQ(h.slot(0).hLine, 0u);
    EXPECT_EQ(h.state().lineApp, 0u);
    // A second close (shutdown after a failed start) touches nothing.
    h.manager().CloseLines();
}

TEST(LineManager, WaveDeviceIdIsTheLowByteBehindTheHeader)
{
    std::array<unsigned char, 2025> reply{};
    platform::setTapiDword(reply.data(), 0, 2025);
    platform::setTapiDword(reply.data(), 20, 24);
    reply[24] = 0x03;
    EXPECT_EQ(telephony::LineManager::waveDeviceFromReply(reply.data()), 3);
    reply[24] = 0xFE;
    reply[25] = 0x01; // id 510: only the low byte is kept
    EXPECT_EQ(telephony::LineManager::waveDeviceFromReply(reply.data()), 0xFE);
    platform::setTapiDword(reply.data(), 20, 0);
    EXPECT_EQ(telephony::LineManager::waveDeviceFromReply(reply.data()), -1);
}

TEST(LineManager, GetWaveDeviceIdAsksTheCallsLineAndKeepsTheValueOnFailure)
{
    LineHarness h;
    h.enableLines({3});
    h.openLines();
    h.sim(3).ring(1);
    h.run(10);
    ASSERT_NE(h.slot(3).hCall, 0u);

    h.manager().GetWaveDeviceId(QStringLiteral("wave/in"), 3);
    EXPECT_EQ(h.slot(3).waveDevice, static_cast<std::int32_t>(*h.sim(3).waveInId()));
    h.manager().GetWaveDeviceId(QStringLiteral("wave/out"), 3);
    EXPECT_EQ(h.slot(3).waveDevice, static_cast<std::int32_t>(*h.sim(3).waveOutId()));

    h.slot(3).waveDevice = 42;
    h.manager().GetWaveDeviceId(QStringLiteral("no/such/class"), 3);
    EXPECT_EQ(h.slot(3).waveDevice, 42);
    h.manager().GetWaveDeviceId(QStringLiteral("wave/in"), 7); // not a line: ignored
}

} // namespace
} // namespace qlnrec::test

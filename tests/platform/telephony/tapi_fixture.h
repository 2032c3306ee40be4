#pragma once
// A simulated-line platform in virtual time with a recording line callback, as the telephony
// tests drive it.
#include "platform/core/virtual_event_service.h"
#include "platform/telephony/line_platform.h"
#include "tests/support/line_message.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace qlnrec::test {

class TapiFixture : public ::testing::Test {
protected:
    void build(const QString& lines = QStringLiteral("sim:4"))
    {
        QString error;
        platform = platform::LinePlatform::create(
            events, lines, &error,
            platform::WaveServiceOptions{platform::PacingMode::ClockTimers, false, 20});
        ASSERT_TRUE(platform) << error.toStdString();
    }

    void initialize()
    {
        if (!platform) {
            build();
        }
        ASSERT_EQ(tapi().lineInitialize(
                      &app, 0,
                      [this](std::uint32_t h, std::uint32_t m, std::uint32_t i, std::uint32_t a,
                             std::uint32_t b, std::uint32_t c) {
                          messages.push_back({h, m, i, a, b, c, events.elapsedMs()});
                          if (onMessage) {
                              onMessage(messages.back());
                          }
                      },
                      "qlnrec", &deviceCount),
                  0);
    }

    platform::HLINE open(std::uint32_t deviceId, std::uint32_t privileges = 6, std::uint32_t media = 4,
                         std::uint32_t version = 0x00010004, bool subscribeRings = true)
    {
        platform::HLINE line = 0;
        EXPECT_EQ(
            tapi().lineOpen(app, deviceId, &line, version, 0, 0x1230 + deviceId, privileges, media, nullptr),
            0);
        if (subscribeRings) {
            EXPECT_EQ(tapi().lineSetStatusMessages(line, platform::LINEDEVSTATE_RINGING, 0), 0);
        }
        return line;
    }

    platform::TelephonyService& tapi() { return platform->telephony(); }
    platform::SimLine& sim(std::uint32_t deviceId) { return *platform->simLine(deviceId); }

    // Messages of one kind, in order.
    std::vector<LineMessage> only(std::uint32_t msg) const
    {
        std::vector<LineMessage> out;
        for (const auto& m : messages) {
            if (m.msg == msg) {
                out.push_back(m);
            }
        }
        return out;
    }

    // The handle of the most recent offered call.
    std::uint32_t offeredCall() const
    {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            if (it->msg == platform::LINE_CALLSTATE && it->p1 == platform::LINECALLSTATE_OFFERING) {
                return it->hDevice;
            }
        }
        return 0;
    }

    // Runs queued work without moving the clock.
    void settle() { events.processPendingEvents(), events.processPendingEvents(); }

    platform::VirtualEventService events;
    std::unique_ptr<platform::LinePlatform> platform;
    platform::HLINEAPP app = 0;
    std::uint32_t deviceCount = 0;
    std::vector<LineMessage> messages;
    std::function<void(const LineMessage&)> onMessage;
};

} // namespace qlnrec::test

#pragma once
// Call-flow roles that only note what line control asks of them, for tests of line control on
// its own. roles() hands them over as the bundle the line system takes.
#include "telephony/call_flow_roles.h"
#include "telephony/line_state.h"

#include <QStringList>

#include <optional>

namespace qlnrec::test {

class LoggingRoles final : public telephony::RecordingRole,
                           public telephony::AnsweringRole,
                           public telephony::RingRulesRole,
                           public telephony::CallerIdRole,
                           public telephony::IncomingCallPopupRole {
public:
    void startRecording(int line) override { add(QStringLiteral("startRecording %1").arg(line)); }
    void playGreeting(int line) override { add(QStringLiteral("playGreeting %1").arg(line)); }
    void playLegal(int line) override { add(QStringLiteral("playLegal %1").arg(line)); }
    void playDoNotCall(int line) override { add(QStringLiteral("playDoNotCall %1").arg(line)); }
    void timer3Tick(int line) override { add(QStringLiteral("timer3Tick %1").arg(line)); }
    void timer4Tick(int line) override { add(QStringLiteral("timer4Tick %1").arg(line)); }
    void touchToneAction(int line) override
    {
        add(QStringLiteral("touchToneAction %1 %2")
                .arg(line)
                .arg(state ? (*state)[line].dtmfDigits : QString()));
    }
    void findRingRule(std::int32_t& ringsToAnswer) override
    {
        add(QStringLiteral("findRingRule"));
        if (ringRule) {
            ringsToAnswer = *ringRule;
        }
    }
    void callerIdArrived(platform::HCALL hCall) override
    {
        add(QStringLiteral("callerIdArrived %1").arg(hCall));
    }
    void showAnswerButtons(int line) override { add(QStringLiteral("showAnswerButtons %1").arg(line)); }
    void showPopupModeless() override { add(QStringLiteral("showPopupModeless")); }
    void unloadPopup() override { add(QStringLiteral("unloadPopup")); }

    telephony::CallFlowRoles roles()
    {
        telephony::CallFlowRoles roles;
        roles.recording = this;
        roles.answering = this;
        roles.ringRules = this;
        roles.callerId = this;
        roles.popup = this;
        return roles;
    }

    void add(const QString& call) { calls.append(call); }
    int count(const QString& call) const { return static_cast<int>(calls.count(call)); }

    QStringList calls;
    std::optional<std::int32_t> ringRule;
    const telephony::LineState* state = nullptr; // for touchToneAction's view of the digits
};

} // namespace qlnrec::test

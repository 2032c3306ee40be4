#pragma once
// Line control over simulated lines in virtual time, with hooks that log what they are asked.
#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "platform/core/virtual_event_service.h"
#include "platform/telephony/line_platform.h"
#include "records/status_log.h"
#include "telephony/line_system.h"
#include "tests/support/temp_home.h"

#include <QStringList>

#include <initializer_list>
#include <memory>
#include <optional>

namespace qlnrec::test {

class RecordingHooks : public telephony::CallFlowHooks {
public:
    void startRecording(int line) override { add(QStringLiteral("startRecording %1").arg(line)); }
    void playGreeting(int line) override { add(QStringLiteral("playGreeting %1").arg(line)); }
    void playLegal(int line) override { add(QStringLiteral("playLegal %1").arg(line)); }
    void playDoNotCall(int line) override { add(QStringLiteral("playDoNotCall %1").arg(line)); }
    void timer3Tick(int line) override { add(QStringLiteral("timer3Tick %1").arg(line)); }
    void timer4Tick(int line) override { add(QStringLiteral("timer4Tick %1").arg(line)); }
    void touchToneAction(int line) override;
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

    void add(const QString& call) { calls.append(call); }
    int count(const QString& call) const { return static_cast<int>(calls.count(call)); }

    QStringList calls;
    std::optional<std::int32_t> ringRule;
    telephony::LineState* state = nullptr; // for touchToneAction's view of the digits
};

class LineHarness {
public:
    explicit LineHarness(const QString& linesSpec = QStringLiteral("sim:4"));
    ~LineHarness();

    telephony::LineState& state() { return lines->state(); }
    telephony::LineSlot& slot(int line) { return lines->state()[line]; }
    telephony::LineTimers& timers() { return lines->timers(); }
    platform::Timer& timer(telephony::TimerArray& array, int line)
    {
        return telephony::LineTimers::at(array, line);
    }
    telephony::LineDispatcher& dispatcher() { return lines->dispatcher(); }
    telephony::LineManager& manager() { return lines->manager(); }
    platform::SimLine& sim(int line) { return *platform->simLine(static_cast<std::uint32_t>(line)); }

    // "Config" "Line"i = "1" for each line given.
    void enableLines(std::initializer_list<int> lineIndexes);
    // Learned ring timing as the start-up loads it.
    void setRingIntervals(int line, std::int32_t intervalMs);
    // Reset, initialisation and opening, with every line opened for interactive voice.
    void openLines();
    // Runs what is posted, then moves the clock.
    void run(std::uint64_t ms);
    void settle();

    // Status lines without the time of day.
    QStringList statusTexts() const;
    QString setting(const QString& section, const QString& key) const
    {
        return config.getSetting(section, key);
    }

    TempHome home;
    platform::VirtualEventService events;
    platform::SettingsStore store;
    core::ConfigStore config;
    platform::ScriptedDialogService dialogs;
    core::Strings strings;
    records::StatusLog statusLog;
    std::unique_ptr<platform::LinePlatform> platform;
    RecordingHooks hooks;
    telephony::FixedLineControls controls;
    std::unique_ptr<telephony::LineSystem> lines;
    int programEnds = 0;
};

} // namespace qlnrec::test

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
#include "tests/support/logging_roles.h"
#include "tests/support/temp_home.h"

#include <QStringList>

#include <initializer_list>
#include <memory>
#include <optional>

namespace qlnrec::test {

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
    LoggingRoles hooks;
    telephony::CallFlowRoles roles = hooks.roles();
    telephony::FixedLineControls controls;
    std::unique_ptr<telephony::LineSystem> lines;
    int programEnds = 0;
};

} // namespace qlnrec::test

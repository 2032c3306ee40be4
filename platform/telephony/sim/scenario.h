#pragma once
// Call scenario files for the simulated lines (format: docs/scenario-format.md). A Scenario is
// the parsed, validated file; a ScenarioPlayer plays it into the simulated lines on the
// EventService clock (real or virtual time) and reports when it is done.
#include "platform/core/event_service.h"
#include "platform/telephony/sim/sim_line.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace qlnrec::platform {

struct ScenarioEvent {
    enum class Kind {
        Ring,
        CallerId,
        Audio,
        Dtmf,
        Hangup,
        Ringback,
        Answer,
        Busy,
        NoAnswer,
        Wait,
        End,
    };
    enum class AudioKind { Samples, Tone, Silence };
    enum class WaitFor { OffHook, OnHook, Dial, Generated, Playback };

    int sourceLine = 0;    // line number in the file, from 1
    bool relative = false; // "+..." time: after the previous event
    std::uint32_t timeMs = 0;
    int line = 0; // line index = telephony device id
    Kind kind = Kind::End;

    int ringCount = 1;
    std::uint32_t ringOnMs = 2000;
    std::uint32_t ringOffMs = 4000;
    CallerId callerId;
    AudioKind audioKind = AudioKind::Silence;
    std::vector<std::int16_t> samples; // 8 kHz mono
    QString audioSource;               // file name or speech text, for the log
    ToneSpec tone;
    std::uint32_t silenceMs = 0;
    QByteArray digits;
    std::uint32_t digitOnMs = 100;
    std::uint32_t digitOffMs = 100;
    HangUpNotice notice = HangUpNotice::LoopDrop;
    WaitFor waitFor = WaitFor::OffHook;
    std::uint32_t waitTimeoutMs = 600000;
};

class Scenario {
public:
    // Parses scenario text. Relative audio file names are looked up in baseDir. On error returns
    // nothing and sets *error to a message that names the line ("line 7: ...").
    static std::optional<Scenario> parse(const QString& text, QString* error, const QString& baseDir = {});
    static std::optional<Scenario> load(const QString& path, QString* error);

    const std::vector<ScenarioEvent>& events() const { return events_; }
    // "line <index> key=value ..." settings for the simulated lines, by line index.
    const std::map<int, SimLineConfig>& lineConfigs() const { return lineConfigs_; }
    // Highest line index any event or setting uses, -1 when none.
    int highestLine() const;

private:
    std::vector<ScenarioEvent> events_;
    std::map<int, SimLineConfig> lineConfigs_;
};

class ScenarioPlayer {
public:
    // lines[i] is the simulated line with telephony device id i (null for lines of other
    // providers).
    ScenarioPlayer(EventService& events, std::vector<SimLine*> lines, Scenario scenario);
    ~ScenarioPlayer();
    ScenarioPlayer(const ScenarioPlayer&) = delete;
    ScenarioPlayer& operator=(const ScenarioPlayer&) = delete;

    // Checks that every event's line is a simulated line; false with error() set otherwise.
    bool validate();
    // Starts playing; time 0 of the file is now. Returns false (and calls nothing) when the
    // scenario does not fit the lines.
    bool start();
    void stop();
    bool running() const;
    bool finished() const;
    // The first problem met (validation, or a wait that timed out), naming the file line.
    QString error() const;
    // Called once when the scenario is done: after "end" or after its last event, with true, or
    // with false when it was stopped early.
    void setOnFinished(std::function<void(bool completed)> onFinished);
    // Events played so far.
    std::size_t eventsPlayed() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace qlnrec::platform

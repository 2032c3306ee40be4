#pragma once
// Setting the modem up from its own answers: reset, result codes with busy detection, the
// user's commands, voice mode (V.253 +FCLASS=8 or the older #CLS=8), the best sample format it
// lists at 8000 samples/s, the telephone-line label, the first caller-ID command it accepts, the
// reports of the far end hanging up that it has to be asked for (Conexant -STE bit 2 for the
// loop-current break, the "#" modems' #VTD tone reports); and voice mode again after hanging up
// knocked the modem out of it. A command that goes unanswered (a slow or garbled answer, a byte
// lost either way) is sent again a few times before the set-up gives up.
#include "platform/core/event_service.h"
#include "platform/modem/modem_commander.h"
#include "platform/modem/modem_options.h"
#include "platform/modem/voice_format.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <vector>

namespace qlnrec::platform::modem {

// What the set-up found.
struct VoiceSettings {
    bool hashCommands = false; // the older "#" voice command set
    bool voice = false;        // audio works (a data modem still rings and sends caller ID)
    SampleFormat format = SampleFormat::Unsupported;
    int formatCode = -1;
    int lineLabel = 1;
    QByteArray callerIdCommand;      // empty when none was accepted
    QByteArray hangUpReportCommand;  // what enabled the far end's hang-up reports; empty: none
    QByteArray initCommand;          // the user's commands with X3
    QList<QByteArray> voiceCommands; // what puts the modem back into voice mode as chosen
};

class ModemSetup {
public:
    using Done = std::function<void(bool ok, const QString& why)>;

    // hashCommands: the probe found only the "#" voice commands.
    ModemSetup(EventService& events, ModemCommander& commander, const ModemLineOptions& options,
               bool hashCommands, std::function<bool()> fitsWideAudio);
    ModemSetup(const ModemSetup&) = delete;
    ModemSetup& operator=(const ModemSetup&) = delete;

    // Runs the set-up; `done` is called once (not at all after cancel()).
    void run(Done done);
    void cancel();
    bool ready() const { return ready_; }
    void setNotReady() { ready_ = false; }
    // Text that cannot come from a working modem arrived during the set-up.
    void noteGarbage() { garbageSeen_ = true; }
    const VoiceSettings& settings() const { return settings_; }
    // Voice mode again with what the set-up chose, then `then`.
    void reenterVoice(std::function<void()> then, int index = 0);
    // +VTS durations count in tens of milliseconds, #VTS ones in tenths of a second.
    std::uint32_t toneUnitMs() const { return settings_.hashCommands ? 100 : 10; }

private:
    void finish(bool ok, const QString& why);
    QString unanswered(const QByteArray& line, int tries) const;
    void ask(const QByteArray& line, std::function<void(const ModemReply&)> then);
    void attempt(const QByteArray& line, int tries, std::function<void(const ModemReply&)> then);
    void basics();
    void voiceMode();
    void hashVoiceMode();
    void formatList();
    void formatSet(std::size_t index, bool longForm);
    void hashFormat();
    void hashRate();
    void lineLabel();
    QList<QByteArray> callerIdCommands() const;
    void callerId(int index);
    void extras();
    void loopCurrentReports();
    void setLoopCurrentReports(int current);
    void hashToneReports();
    void inactivityTimer();

    ModemCommander& commander_;
    const ModemLineOptions& options_;
    std::function<bool()> fitsWideAudio_;
    bool hashCommandsAtStart_;
    VoiceSettings settings_;
    std::vector<VoiceMethod> candidates_;
    Done done_;
    bool ready_ = false;
    bool garbageSeen_ = false;
    std::function<void()> retry_; // the command to send again once the modem has settled
    Timer retryTimer_;
};

} // namespace qlnrec::platform::modem

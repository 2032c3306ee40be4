#pragma once
// What a connected call hears and what follows: the greeting, the beep and the answered
// message; the legal notice before a monitored or outgoing recording; the do-not-call prompt and
// the hang-up for a blocked caller; the touch-tone menu. Each prompt is handed to the prompt role
// and a per-line timer polls the line's promptPlaying until it has ended, then takes the next step.
#include "telephony/call_flow_roles.h"
#include "telephony/line_system.h"

#include <QString>

#include <functional>

namespace qlnrec::telephony {

class AnsweringSequence final : public AnsweringRole {
public:
    // Prompt and menu file names, in the program folder.
    static constexpr const char* kGreetingFile = "Greeting.wav";
    static constexpr const char* kLegalFile = "legal.wav";
    static constexpr const char* kDoNotCallFile = "donotcall.wav";
    static constexpr const char* kTouchToneLog = "dtmf.txt";

    struct Links {
        // Plays a sound file on the computer's own sound output without waiting (the menu's
        // "sub operator" sounds; the caller hears nothing).
        std::function<void(const QString& path)> playOnComputer;
        // The dial window's per-line reply timer, enabled once an outgoing call awaits its reply.
        std::function<void(int line)> awaitReply;
    };

    // programFolder without a trailing "/". The roles are read at each step, so they may be bound
    // after this object is built.
    AnsweringSequence(LineSystem& lines, QString programFolder, Links links);

    void playGreeting(int line) override;
    void playLegal(int line) override;
    void playDoNotCall(int line) override;
    void timer3Tick(int line) override;
    void timer4Tick(int line) override;
    void touchToneAction(int line) override;

    // The called party of an outgoing call answered and the legal box is ticked: the legal notice
    // plays (timPlayLegalO), then the call is recorded as "O".
    void playLegalOutgoing(int line);

    // Timer ticks, by line.
    void timPlayGreetingExM_Timer(int line);
    void timPlayGreetingExO_Timer(int line);
    void timPlayLegalO_Timer(int line);
    void timPlayGreetingBlocker_Timer(int line);

private:
    QString promptPath(const char* fileName) const;
    // Starts a prompt into the line unless one is playing there; the follow-up timer then polls
    // for its end. missingText: the box shown when the file is missing (empty: none).
    void startPrompt(int line, const char* fileName, const QString& missingText, TimerArray& followUp);
    // A follow-up tick: false while the prompt plays; otherwise the timer is off, the prompt
    // stopped and pending events have run, and the caller takes the next step.
    bool promptEnded(int line, TimerArray& followUp);
    void startRecordingAs(int line, const QString& kind);
    void appendTouchTones(const QString& digits);
    void status(const QString& text);

    LineSystem& lines_;
    QString programFolder_;
    Links links_;
    bool touchToneLogFailed_ = false;
};

} // namespace qlnrec::telephony

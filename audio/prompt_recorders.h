#pragma once
// The behaviour of the two prompt recorders the setup dialog opens, without windows:
// LineGreetingRecorder (frmGreeting) records the greeting or the legal notice from the default
// capture device through line slot 3 of the capture engine, in the capture format;
// SoundCardPromptRecorder (frmGreeting1) records a menu prompt through the media-control "wave"
// device at 11,025 Hz. Both play the file back, take an existing WAVE file instead (converted to
// their format), and open the desktop's own sound recorder on it.
//
// A take that is too short, cancelled, or cannot be written leaves the previous prompt file as it
// was: a prompt file is only ever replaced whole by a good one.
#include "audio/capture_engine.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/event_service.h"
#include "platform/core/shell_service.h"
#include "platform/mci/mci_service.h"
#include "telephony/line_state.h"

#include <QString>

#include <functional>

namespace qlnrec::audio {

// The line slot of the capture engine that the greeting recorder borrows.
inline constexpr int kGreetingLine = 3;

// Writes target as a PCM WAVE file in `format` from source, any PCM WAVE file (8 or 16 bits, mono
// or stereo, any rate). The previous target stays when anything fails. Empty on success, else
// a message for the user.
QString importPromptFile(const QString& source, const QString& target, const platform::WAVEFORMATEX& format,
                         const core::Strings& strings);

// Desktop sound recorders looked for on PATH, in order.
QStringList soundRecorderPrograms();

// What both recorders share: the target file, play-back through media control, taking a file,
// the desktop's recorder, and a notice line for the user.
class PromptRecorderBase {
public:
    struct Services {
        platform::EventService& events;
        platform::MciService& mci;
        platform::DialogService& dialogs;
        platform::ShellService& shell;
        const core::Strings& strings;
    };

    PromptRecorderBase(const Services& services, const QString& programFolder, const QString& promptTarget,
                       platform::WAVEFORMATEX format);
    virtual ~PromptRecorderBase() = default;
    PromptRecorderBase(const PromptRecorderBase&) = delete;
    PromptRecorderBase& operator=(const PromptRecorderBase&) = delete;

    const QString& targetPath() const { return targetPath_; }
    bool recordEnabled() const { return recordEnabled_; }
    bool playEnabled() const { return playEnabled_; }
    // The last thing the user should know (a take kept or refused, a file taken); empty at first.
    const QString& notice() const { return notice_; }
    // Runs after every change of the above.
    std::function<void()> changed;

    virtual void record() = 0;
    virtual void stop() = 0;
    // The dialog closes: a take in progress is dropped (the previous file stays), play-back ends.
    virtual void close() = 0;
    // cmdPlay: plays the target file, or says that it is missing.
    void play();
    // Replaces the target with a converted copy of source.
    void useFile(const QString& source);
    // Command1: the desktop's sound recorder with the target file.
    void openSoundRecorder();

protected:
    void setButtons(bool record, bool play);
    void setNotice(const QString& text);
    // The take at aside replaces the prompt file (or not) and the notice says which.
    void sayTakeReplaced(const QString& aside);
    void closePlayback();

    Services s_;
    QString targetPath_;
    platform::WAVEFORMATEX format_;
    bool playing_ = false;

private:
    bool recordEnabled_ = true;
    bool playEnabled_ = true;
    QString notice_;
};

// frmGreeting: "Greeting.wav" or "legal.wav", PCM 8 kHz 16-bit mono.
class LineGreetingRecorder final : public PromptRecorderBase {
public:
    LineGreetingRecorder(const Services& services, CaptureEngine& engine, telephony::LineState& lines,
                         const QString& programFolder, const QString& promptTarget);
    ~LineGreetingRecorder() override;

    bool recording() const { return recording_; }
    bool writePending() const { return timer1_.isEnabled(); }

    void record() override;
    void stop() override;
    void close() override;
    // Timer1, one second after Stop: the take becomes the target file.
    void Timer1_Timer();

private:
    CaptureEngine& engine_;
    telephony::LineState& lines_;
    platform::Timer timer1_;
    bool recording_ = false;
};

// frmGreeting1: "01.wav".."04.wav", PCM 11,025 Hz 16-bit mono.
class SoundCardPromptRecorder final : public PromptRecorderBase {
public:
    SoundCardPromptRecorder(const Services& services, const QString& programFolder,
                            const QString& promptTarget);
    ~SoundCardPromptRecorder() override;

    bool recording() const { return recording_; }

    void record() override;
    void stop() override;
    void close() override;

private:
    bool recording_ = false;
};

} // namespace qlnrec::audio

#pragma once
// The small player of a recording: Play, Pause and Stop over the media control alias "MyMedia",
// a seek bar in whole seconds, the file's name and length read-outs, and a poll that follows the
// position and stops at the end. No widgets: a binder (ui/records) shows it. The main window and
// the wave file browser each have one; what is played and what happens after it started is up to
// the caller.
#include "platform/core/event_service.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
class MciService;
} // namespace qlnrec::platform

namespace qlnrec::records {

class RecordingPlayer {
public:
    static constexpr std::uint32_t kPollMs = 500;     // tmMMTIMER
    static constexpr std::uint32_t kSeekEndMs = 1000; // tmPlay

    struct Options {
        // A missing file is refused with "File not found" before anything is opened.
        bool checkExists = true;
        // Between the seconds and the size in the length read-out.
        QString lengthSeparator = QStringLiteral("s   [");
    };

    enum class PlayResult {
        Nothing, // no file selected
        Resumed, // a paused recording goes on
        Started, // the file was opened and plays
        Failed,  // missing, unreadable or refused by the sound output; the user was told
    };

    struct SeekBar {
        int value = 0;
        int maximum = 0;
        int smallChange = 1;
        int largeChange = 1;
    };

    RecordingPlayer(platform::EventService& events, platform::MciService& mci,
                    platform::DialogService& dialogs, const core::Strings& strings, Options options);
    RecordingPlayer(const RecordingPlayer&) = delete;
    RecordingPlayer& operator=(const RecordingPlayer&) = delete;

    // cmdPlay: resumes when paused, else opens path (empty: nothing selected) and plays it from
    // the start; name goes to the file name read-out.
    PlayResult play(const QString& path, const QString& name);
    void pause(); // cmdPause (only while playing)
    void stop();  // cmdStop

    // The seek bar (HScroll1): the user takes it, moves it, and leaves it.
    void seekBarFocused();
    void seekBarMoved(int seconds);
    void seekBarLostFocus();

    bool playEnabled() const { return playEnabled_; }
    bool pauseEnabled() const { return pauseEnabled_; }
    bool paused() const { return paused_; }
    // Nothing playing or paused: both buttons are enabled.
    bool idle() const { return playEnabled_ && pauseEnabled_; }
    const SeekBar& seekBar() const { return seekBar_; }
    const QString& fileName() const { return fileName_; }
    const QString& lengthText() const { return lengthText_; }

    // "12s   [187 KBytes]": whole seconds (rounded down) and whole kilobytes.
    static QString formatLength(std::uint64_t lengthMs, std::int64_t fileBytes, const QString& separator);
    // The seek bar for a recording of lengthMs: whole seconds, steps of a hundredth and a tenth.
    static SeekBar seekBarFor(std::uint64_t lengthMs);

    platform::Timer tmMMTIMER; // position poll
    platform::Timer tmPlay;    // ends a seek

    // Buttons, read-outs or the seek bar changed.
    std::function<void()> changed;
    // tmPlay moves the keyboard focus off the seek bar (which then calls seekBarLostFocus); unset,
    // the seek ends directly.
    std::function<void()> moveFocusOff;

private:
    std::uint32_t send(const QString& command, QString* reply = nullptr);
    std::uint64_t numberReply(const QString& command);
    QString modeReply(bool* ok);
    PlayResult refuse(const QString& text);
    void setPlaying();
    void setSeekValue(int seconds);
    void seekBarChanged();
    void poll();
    void endSeek();
    void notify();

    platform::MciService& mci_;
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
    Options options_;
    bool playEnabled_ = true;
    bool pauseEnabled_ = true;
    bool paused_ = false;
    SeekBar seekBar_;
    QString fileName_;
    QString lengthText_;
};

} // namespace qlnrec::records

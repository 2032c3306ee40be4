#include "records/recording_player.h"

#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/mci/mci_errors.h"
#include "platform/mci/mci_service.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>

namespace qlnrec::records {

namespace {
const QString kAlias = QStringLiteral("MyMedia");
constexpr int kFileNotFound = 1002;
constexpr int kPlayWaveFile = 1003;
constexpr int kModePlay = 1015;
constexpr int kModeStop = 1016;

// Milliseconds to whole seconds, halves to the even second as the seek bar always rounded.
int roundedSeconds(std::uint64_t ms)
{
    return static_cast<int>(std::nearbyint(static_cast<double>(ms) / 1000.0));
}

// The leading decimal digits of a reply (an empty or odd reply counts as 0).
std::uint64_t leadingNumber(const QString& text)
{
    std::uint64_t value = 0;
    for (const QChar c : text.trimmed()) {
        if (!c.isDigit() || value > (UINT64_MAX - 9) / 10) {
            break;
        }
        value = value * 10 + static_cast<std::uint64_t>(c.digitValue());
    }
    return value;
}
} // namespace

RecordingPlayer::RecordingPlayer(platform::EventService& events, platform::MciService& mci,
                                 platform::DialogService& dialogs, const core::Strings& strings,
                                 Options options)
    : tmMMTIMER(events, kPollMs), tmPlay(events, kSeekEndMs), mci_(mci), dialogs_(dialogs), strings_(strings),
      options_(std::move(options))
{
    tmMMTIMER.setOnTick([this] { poll(); });
    tmPlay.setOnTick([this] { endSeek(); });
}

QString RecordingPlayer::formatLength(std::uint64_t lengthMs, std::int64_t fileBytes,
                                      const QString& separator)
{
    return QString::number(lengthMs / 1000) + separator +
           QString::number(std::max<std::int64_t>(fileBytes, 0) / 1024) + QStringLiteral(" KBytes]");
}

RecordingPlayer::SeekBar RecordingPlayer::seekBarFor(std::uint64_t lengthMs)
{
    SeekBar bar;
    bar.maximum = roundedSeconds(lengthMs);
    bar.smallChange = std::max(bar.maximum / 100, 1);
    bar.largeChange = std::max(bar.maximum / 10, 1);
    return bar;
}

RecordingPlayer::PlayResult RecordingPlayer::play(const QString& path, const QString& name)
{
    if (paused_) {
        send(QStringLiteral("play ") + kAlias);
        setPlaying();
        return PlayResult::Resumed;
    }
    paused_ = false;
    if (path.isEmpty()) {
        return PlayResult::Nothing;
    }
    fileName_ = name;
    notify();
    if (options_.checkExists && !QFileInfo(path).isFile()) {
        dialogs_.messageBox(strings_.loadText(kFileNotFound), strings_.loadText(kPlayWaveFile),
                            platform::MessageIcon::Critical);
        return PlayResult::Failed;
    }
    playEnabled_ = false;
    notify();
    // Keywords are read from the end of the command, so the blanks of a recording's name need no
    // quotes (and a quote in a name cannot break the command).
    send(QStringLiteral("close ") + kAlias);
    if (const auto error = send(QStringLiteral("open ") + path + QStringLiteral(" alias ") + kAlias)) {
        return refuse(platform::mciGetErrorString(error));
    }
    const std::uint64_t lengthMs =
        numberReply(QStringLiteral("status ") + kAlias + QStringLiteral(" length"));
    seekBar_ = seekBarFor(lengthMs);
    lengthText_ = formatLength(lengthMs, QFileInfo(path).size(), options_.lengthSeparator);
    if (const auto error = send(QStringLiteral("play ") + kAlias)) {
        send(QStringLiteral("close ") + kAlias);
        return refuse(platform::mciGetErrorString(error));
    }
    tmMMTIMER.setEnabled(true);
    setPlaying();
    return PlayResult::Started;
}

// A file that cannot be played is said, and the player stays idle: without this the user would
// face a silent player with a zero-length bar.
RecordingPlayer::PlayResult RecordingPlayer::refuse(const QString& reason)
{
    playEnabled_ = true;
    pauseEnabled_ = true;
    notify();
    dialogs_.messageBox(strings_.text(core::ProgramText::CannotPlay).arg(fileName_, reason),
                        strings_.loadText(kPlayWaveFile), platform::MessageIcon::Critical);
    return PlayResult::Failed;
}

void RecordingPlayer::pause()
{
    if (playEnabled_) {
        return;
    }
    pauseEnabled_ = false;
    playEnabled_ = true;
    paused_ = true;
    notify();
    send(QStringLiteral("pause ") + kAlias);
}

void RecordingPlayer::stop()
{
    tmMMTIMER.setEnabled(false);
    seekBar_.value = 0;
    send(QStringLiteral("close ") + kAlias);
    playEnabled_ = true;
    pauseEnabled_ = true;
    paused_ = false;
    notify();
}

void RecordingPlayer::seekBarFocused()
{
    tmMMTIMER.setEnabled(false);
    send(QStringLiteral("pause ") + kAlias);
    tmPlay.setEnabled(true);
}

void RecordingPlayer::seekBarMoved(int seconds)
{
    setSeekValue(seconds);
}

void RecordingPlayer::seekBarLostFocus()
{
    // Playback goes on after a seek, also after one made while paused: the buttons and the pause
    // flag follow, or the end of the file would never be noticed.
    if (send(QStringLiteral("play ") + kAlias) == 0) {
        setPlaying();
    }
    tmMMTIMER.setEnabled(true);
}

void RecordingPlayer::endSeek()
{
    tmPlay.setEnabled(false);
    if (moveFocusOff) {
        moveFocusOff();
    } else {
        seekBarLostFocus();
    }
}

void RecordingPlayer::poll()
{
    bool ok = false;
    const QString mode = modeReply(&ok);
    const bool ended =
        !ok || mode.startsWith(QLatin1String("stopped")) || mode.left(2) == strings_.loadText(kModeStop);
    if (!ended) {
        setSeekValue(
            roundedSeconds(numberReply(QStringLiteral("status ") + kAlias + QStringLiteral(" position"))));
    } else if (!paused_) {
        stop();
    }
}

// A change of the seek bar's value: while the recording plays it came from the poll, else the
// user moved the bar and the recording follows.
void RecordingPlayer::seekBarChanged()
{
    bool ok = false;
    const QString mode = modeReply(&ok);
    if (mode.startsWith(QLatin1String("playing")) || mode.left(2) == strings_.loadText(kModePlay)) {
        pauseEnabled_ = true;
        playEnabled_ = false;
        notify();
    } else {
        // The position in milliseconds with the blank a positive number's sign leaves.
        send(QStringLiteral("seek ") + kAlias + QStringLiteral(" to  ") +
             QString::number(seekBar_.value * 1000));
    }
}

void RecordingPlayer::setSeekValue(int seconds)
{
    const int value = std::clamp(seconds, 0, seekBar_.maximum);
    if (value != seekBar_.value) {
        seekBar_.value = value;
        notify();
        seekBarChanged();
    }
}

void RecordingPlayer::setPlaying()
{
    playEnabled_ = false;
    pauseEnabled_ = true;
    paused_ = false;
    notify();
}

std::uint32_t RecordingPlayer::send(const QString& command, QString* reply)
{
    return mci_.mciSendString(command, reply);
}

std::uint64_t RecordingPlayer::numberReply(const QString& command)
{
    QString reply;
    return send(command, &reply) == 0 ? leadingNumber(reply) : 0;
}

QString RecordingPlayer::modeReply(bool* ok)
{
    QString reply;
    *ok = send(QStringLiteral("status ") + kAlias + QStringLiteral(" mode"), &reply) == 0;
    return reply;
}

void RecordingPlayer::notify()
{
    if (changed) {
        changed();
    }
}

} // namespace qlnrec::records

#include "audio/prompt_recorders.h"

#include "audio/recording_name.h"
#include "audio/recording_writer.h"
#include "core/strings.h"
#include "platform/riff/wave_file.h"
#include "platform/wave/pcm_converter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <cstdio>

namespace qlnrec::audio {

using namespace platform;

namespace {
// Where a take waits before it replaces the target: beside it, on the same disk.
QString asidePath(const QString& target)
{
    return target + QStringLiteral(".new");
}

// The take at aside becomes target when it holds more than a blip of sound; otherwise it goes and
// the previous target stays. Empty on success, else a message for the user.
QString replaceWithTake(const QString& aside, const QString& target, const core::Strings& strings)
{
    if (QFileInfo(aside).size() < kShortRecordingBytes) {
        QFile::remove(aside);
        return strings.text(core::ProgramText::PromptTooShort);
    }
    // rename() replaces the target in one step: there is never a moment without a prompt file.
    if (std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(aside);
        return strings.text(core::ProgramText::PromptNotSavedAs).arg(target);
    }
    return {};
}

WAVEFORMATEX pcmFormat(std::uint32_t rate)
{
    return WAVEFORMATEX{WAVE_FORMAT_PCM, 1, rate, rate * 2, 2, 16, 0};
}

// Desktop sound recorders, and whether each opens a file named on its command line.
struct SoundRecorder {
    const char* program;
    bool takesFile;
};
const SoundRecorder kSoundRecorders[] = {
    {"audacity", true}, {"gnome-sound-recorder", false}, {"kwave", true}, {"sound-recorder", false}};
} // namespace

QString importPromptFile(const QString& source, const QString& target, const WAVEFORMATEX& format,
                         const core::Strings& strings)
{
    const WaveFileData wave = readWaveFile(source);
    if (!wave.ok()) {
        return strings.text(core::ProgramText::PromptCannotRead).arg(source, wave.errorText);
    }
    if (wave.format.wFormatTag != WAVE_FORMAT_PCM || !PcmConverter::supported(wave.format)) {
        return strings.text(core::ProgramText::PromptNotPcm).arg(source);
    }
    const std::vector<std::uint8_t> samples =
        convertPcm(wave.format, reinterpret_cast<const std::uint8_t*>(wave.data.constData()),
                   static_cast<std::size_t>(wave.data.size()), format);
    const QByteArray header =
        platform::pcmWaveHeader(format.nSamplesPerSec, format.nChannels, format.wBitsPerSample,
                                static_cast<std::uint32_t>(samples.size()));
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size() ||
        file.write(reinterpret_cast<const char*>(samples.data()), static_cast<qint64>(samples.size())) !=
            static_cast<qint64>(samples.size()) ||
        !file.commit()) {
        return strings.text(core::ProgramText::PromptCannotWrite).arg(target, file.errorString());
    }
    return {};
}

QStringList soundRecorderPrograms()
{
    QStringList names;
    for (const SoundRecorder& r : kSoundRecorders) {
        names.append(QLatin1String(r.program));
    }
    return names;
}

// ---- shared ----

PromptRecorderBase::PromptRecorderBase(const Services& services, const QString& programFolder,
                                       const QString& promptTarget, WAVEFORMATEX format)
    : s_(services), targetPath_(programFolder + QLatin1Char('/') + promptTarget), format_(format)
{
}

void PromptRecorderBase::setButtons(bool record, bool play)
{
    recordEnabled_ = record;
    playEnabled_ = play;
    if (changed) {
        changed();
    }
}

void PromptRecorderBase::setNotice(const QString& text)
{
    notice_ = text;
    if (changed) {
        changed();
    }
}

void PromptRecorderBase::sayTakeReplaced(const QString& aside)
{
    const QString problem = replaceWithTake(aside, targetPath_, s_.strings);
    setNotice(problem.isEmpty() ? s_.strings.text(core::ProgramText::PromptSaved).arg(targetPath_) : problem);
}

void PromptRecorderBase::closePlayback()
{
    s_.mci.mciSendString(QStringLiteral("close ") + targetPath_);
    playing_ = false;
}

void PromptRecorderBase::play()
{
    if (!QFileInfo::exists(targetPath_)) {
        s_.dialogs.messageBox(s_.strings.loadText(1002), s_.strings.loadText(1003), MessageIcon::Critical);
        return;
    }
    s_.mci.mciSendString(QStringLiteral("Close ") + targetPath_);
    s_.mci.mciSendString(QStringLiteral("Open ") + targetPath_);
    s_.mci.mciSendString(QStringLiteral("Play ") + targetPath_);
    playing_ = true;
    setButtons(false, playEnabled());
}

void PromptRecorderBase::useFile(const QString& source)
{
    if (source.isEmpty()) {
        return;
    }
    // The file may be open for play-back.
    closePlayback();
    const QString error = importPromptFile(source, targetPath_, format_, s_.strings);
    setNotice(error.isEmpty() ? s_.strings.text(core::ProgramText::PromptNowHolds).arg(targetPath_, source)
                              : error);
    setButtons(true, true);
}

void PromptRecorderBase::openSoundRecorder()
{
    for (const auto& r : kSoundRecorders) {
        const QString program = QStandardPaths::findExecutable(QLatin1String(r.program));
        if (program.isEmpty()) {
            continue;
        }
        QStringList arguments;
        if (r.takesFile && QFileInfo::exists(targetPath_)) {
            arguments.append(targetPath_);
        }
        if (s_.shell.startProgram(program, arguments)) {
            setNotice(s_.strings.text(core::ProgramText::PromptRecorderStarted)
                          .arg(QLatin1String(r.program), targetPath_));
            return;
        }
    }
    setNotice(s_.strings.text(core::ProgramText::PromptNoRecorder)
                  .arg(soundRecorderPrograms().join(QStringLiteral(", "))));
}

// ---- frmGreeting ----

LineGreetingRecorder::LineGreetingRecorder(const Services& services, CaptureEngine& engine,
                                           telephony::LineState& lines, const QString& programFolder,
                                           const QString& promptTarget)
    : PromptRecorderBase(services, programFolder, promptTarget, pcm8kMono16()), engine_(engine),
      lines_(lines), timer1_(services.events, 1000, [this] { Timer1_Timer(); })
{
}

LineGreetingRecorder::~LineGreetingRecorder()
{
    close();
}

void LineGreetingRecorder::record()
{
    telephony::LineSlot& slot = lines_[kGreetingLine];
    // The slot is shared with a call on that line: its recording must not be cut off.
    if (slot.hCall != 0 || slot.recordState != telephony::kRecordIdle ||
        engine_.line(kGreetingLine).deviceOpen || timer1_.isEnabled()) {
        setNotice(s_.strings.text(core::ProgramText::PromptLineBusy));
        return;
    }
    setButtons(false, false);
    engine_.line(kGreetingLine).captureClosed = 0;
    engine_.OpenCapture(-1, kGreetingName, kGreetingLine);
    if (!engine_.line(kGreetingLine).deviceOpen) {
        setNotice(s_.strings.text(core::ProgramText::PromptInputNotOpened).arg(engine_.lastWaveResult()));
        setButtons(true, true);
        return;
    }
    slot.recordState = telephony::kRecording;
    recording_ = true;
    setNotice(QString());
}

void LineGreetingRecorder::stop()
{
    if (playing_) {
        closePlayback();
    } else if (recording_) {
        engine_.timWriteFile(kGreetingLine).setEnabled(false);
        if (lines_[kGreetingLine].recordState == telephony::kRecording) {
            engine_.StopCapture(kGreetingLine);
        }
        recording_ = false;
        // Only a take of this dialog is written: a Stop without one leaves the file alone.
        timer1_.setEnabled(true);
    }
    setButtons(true, true);
}

void LineGreetingRecorder::Timer1_Timer()
{
    timer1_.setEnabled(false);
    // A call on line 3 opened its capture in the second since Stop: the temporary file and the
    // blocks are that call's now, and must neither become the greeting nor be deleted.
    if (engine_.line(kGreetingLine).deviceOpen ||
        lines_[kGreetingLine].recordState != telephony::kRecordIdle) {
        setNotice(s_.strings.text(core::ProgramText::PromptLineTookCall));
        setButtons(true, true);
        return;
    }
    engine_.line(kGreetingLine).captureClosed = 0;
    engine_.settleStore(kGreetingLine);
    const QString aside = asidePath(targetPath_);
    QString error;
    const WriteOutcome outcome =
        writeWaveFromTemp(engine_.writer().tempFilePath(kGreetingLine), aside, OutputFormat::Pcm, &error);
    engine_.FreeCaptureBlocks(kGreetingLine);
    engine_.writer().deleteTempFile(kGreetingLine);
    if (outcome == WriteOutcome::Failed) {
        QFile::remove(aside);
        setNotice(s_.strings.text(core::ProgramText::PromptTakeNotWritten).arg(error));
        return;
    }
    sayTakeReplaced(aside);
}

void LineGreetingRecorder::close()
{
    if (playing_) {
        closePlayback();
    }
    if (recording_) {
        // A take the user did not stop is dropped and the previous file stays. The engine still
        // hands back the last block and closes the device; the next capture clears the rest.
        engine_.StopCapture(kGreetingLine);
        recording_ = false;
    } else if (timer1_.isEnabled()) {
        // Stopped less than a second ago: the take is written now, with what has arrived.
        Timer1_Timer();
    }
}

// ---- frmGreeting1 ----

SoundCardPromptRecorder::SoundCardPromptRecorder(const Services& services, const QString& programFolder,
                                                 const QString& promptTarget)
    : PromptRecorderBase(services, programFolder, promptTarget, pcmFormat(11025))
{
}

SoundCardPromptRecorder::~SoundCardPromptRecorder()
{
    close();
}

void SoundCardPromptRecorder::record()
{
    setButtons(false, false);
    for (const char* command : {"Open New type WaveAudio alias wave", "set wave samplespersec 11025",
                                "set wave channels 1", "set wave bitspersample 16", "record wave"}) {
        s_.mci.mciSendString(QLatin1String(command));
    }
    recording_ = true;
    setNotice(QString());
}

void SoundCardPromptRecorder::stop()
{
    if (recording_) {
        s_.mci.mciSendString(QStringLiteral("stop wave"));
        // Saved aside first: a failed or empty take leaves the previous file whole.
        const QString aside = asidePath(targetPath_);
        s_.mci.mciSendString(QStringLiteral("save wave ") + aside);
        s_.mci.mciSendString(QStringLiteral("close wave"));
        sayTakeReplaced(aside);
    } else {
        closePlayback();
    }
    recording_ = false;
    setButtons(true, true);
}

void SoundCardPromptRecorder::close()
{
    if (recording_) {
        s_.mci.mciSendString(QStringLiteral("stop wave"));
        s_.mci.mciSendString(QStringLiteral("close wave"));
        recording_ = false;
    }
    if (playing_) {
        closePlayback();
    }
}

} // namespace qlnrec::audio

#include "telephony/answering_sequence.h"

#include "core/status_line.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/event_service.h"
#include "platform/wave/wave_service.h"

#include <QFile>
#include <QFileInfo>

namespace qlnrec::telephony {

namespace {
constexpr int kEndOfRecordingText = 1033; // "End of Recording"
constexpr int kStartRecordingText = 1060; // " Start Recording"
constexpr int kCalling01Text = 1064;      // "Calling 01" .. 1067 "Calling 04"
constexpr int kEventRunsAfterPrompt = 4;

const QString kMissingLegal = QStringLiteral("File Not Found: 'LEGAL.WAV'");
const QString kMissingDoNotCall = QStringLiteral("File Not Found: 'DONOTCALL.WAV'");

QString lineName(int line)
{
    return QStringLiteral("Line%1").arg(line);
}

// Touch-tone strings worth a status line: digits only (a "#" or "*" in them is kept in the log).
bool isNumber(const QString& digits)
{
    if (digits.isEmpty()) {
        return false;
    }
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
    }
    return true;
}
} // namespace

AnsweringSequence::AnsweringSequence(LineSystem& lines, QString programFolder, Links links)
    : lines_(lines), programFolder_(std::move(programFolder)), links_(std::move(links))
{
    LineTimers& timers = lines_.timers();
    for (int line = 0; line < kLineCount; ++line) {
        LineTimers::at(timers.timPlayGreetingExM, line).setOnTick([this, line] {
            timPlayGreetingExM_Timer(line);
        });
        LineTimers::at(timers.timPlayGreetingExO, line).setOnTick([this, line] {
            timPlayGreetingExO_Timer(line);
        });
        LineTimers::at(timers.timPlayLegalO, line).setOnTick([this, line] { timPlayLegalO_Timer(line); });
        LineTimers::at(timers.timPlayGreetingBlocker, line).setOnTick([this, line] {
            timPlayGreetingBlocker_Timer(line);
        });
    }
}

QString AnsweringSequence::promptPath(const char* fileName) const
{
    return programFolder_ + QLatin1Char('/') + QLatin1String(fileName);
}

void AnsweringSequence::status(const QString& text)
{
    lines_.context().statusLog.addStatusLine(text);
}

void AnsweringSequence::startPrompt(int line, const char* fileName, const QString& missingText,
                                    TimerArray& followUp)
{
    if (!LineState::validLine(line)) {
        return;
    }
    const QString path = promptPath(fileName);
    if (!missingText.isEmpty() && !QFileInfo::exists(path)) {
        // The box says what is missing; the call goes on (the prompt player then plays nothing).
        lines_.context().dialogs.messageBox(missingText, QString::fromLatin1(kMessageTitle),
                                            platform::MessageIcon::Information);
    }
    lines_.manager().GetWaveDeviceId(QStringLiteral("wave/out"), line);
    LineSlot& slot = lines_.state()[line];
    if (slot.promptPlaying.load() != 0) {
        return;
    }
    PromptRole& prompts = *lines_.roles().prompts;
    prompts.LoadPrompt(path, line);
    prompts.PlayPrompt(static_cast<std::uint32_t>(slot.waveDevice), line);
    LineTimers::at(followUp, line).setEnabled(true);
}

bool AnsweringSequence::promptEnded(int line, TimerArray& followUp)
{
    if (lines_.state()[line].promptPlaying.load() != 0) {
        return false;
    }
    LineTimers::at(followUp, line).setEnabled(false);
    lines_.roles().prompts->StopPrompt(line);
    for (int run = 0; run < kEventRunsAfterPrompt; ++run) {
        lines_.context().events.processPendingEvents();
    }
    return true;
}

void AnsweringSequence::playGreeting(int line)
{
    startPrompt(line, kGreetingFile, QString(), lines_.timers().Timer3);
}

void AnsweringSequence::playLegal(int line)
{
    startPrompt(line, kLegalFile, kMissingLegal, lines_.timers().timPlayGreetingExM);
}

void AnsweringSequence::playDoNotCall(int line)
{
    startPrompt(line, kDoNotCallFile, kMissingDoNotCall, lines_.timers().timPlayGreetingBlocker);
}

void AnsweringSequence::playLegalOutgoing(int line)
{
    if (LineState::validLine(line)) {
        LineTimers::at(lines_.timers().timPlayLegalO, line).setEnabled(true);
    }
}

void AnsweringSequence::timer3Tick(int line)
{
    if (!promptEnded(line, lines_.timers().Timer3)) {
        return;
    }
    // The caller may have hung up during the greeting: no beep then, and no recording.
    if (!lines_.state()[line].callConnected) {
        return;
    }
    // The end of the beep (the line's generate notice) starts the "A" recording.
    lines_.dispatcher().GenerateBeep(line);
    lines_.context().events.processPendingEvents();
}

void AnsweringSequence::timPlayGreetingExM_Timer(int line)
{
    if (!promptEnded(line, lines_.timers().timPlayGreetingExM) || !lines_.state()[line].callConnected) {
        return;
    }
    startRecordingAs(line, kCallKindMonitored);
    status(lineName(line) + lines_.context().strings.loadText(kStartRecordingText));
}

void AnsweringSequence::timPlayGreetingExO_Timer(int line)
{
    if (!promptEnded(line, lines_.timers().timPlayGreetingExO) || !lines_.state()[line].callConnected) {
        return;
    }
    lines_.state()[line].recordState = kRecording;
    startRecordingAs(line, kCallKindOutgoing);
    status(QStringLiteral("Line  %1").arg(line) + lines_.context().strings.loadText(kStartRecordingText));
}

void AnsweringSequence::timPlayLegalO_Timer(int line)
{
    LineTimers::at(lines_.timers().timPlayLegalO, line).setEnabled(false);
    startPrompt(line, kLegalFile, kMissingLegal, lines_.timers().timPlayGreetingExO);
}

void AnsweringSequence::timPlayGreetingBlocker_Timer(int line)
{
    if (promptEnded(line, lines_.timers().timPlayGreetingBlocker)) {
        LineTimers::at(lines_.timers().timDropCall, line).setEnabled(true);
    }
}

void AnsweringSequence::timer4Tick(int line)
{
    LineTimers::at(lines_.timers().Timer4, line).setEnabled(false);
    lines_.state()[line].recordState = kAwaitingReply;
    startRecordingAs(line, kCallKindOutgoing);
    status(lineName(line) + QStringLiteral(" waiting for reply"));
    if (links_.awaitReply) {
        links_.awaitReply(line);
    }
}

void AnsweringSequence::startRecordingAs(int line, const QString& kind)
{
    lines_.state()[line].callKind = kind;
    lines_.roles().recording->startRecording(line);
}

void AnsweringSequence::touchToneAction(int line)
{
    if (!LineState::validLine(line)) {
        return;
    }
    LineSlot& slot = lines_.state()[line];
    const QString digits = slot.dtmfDigits;
    const core::Strings& strings = lines_.context().strings;

    static const QStringList kMenu{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                                   QStringLiteral("4")};
    const auto entry = kMenu.indexOf(digits);
    if (entry >= 0) {
        if (links_.playOnComputer) {
            links_.playOnComputer(programFolder_ + QStringLiteral("/0%1.wav").arg(entry + 1));
        }
        status(lineName(line) + strings.loadText(kCalling01Text + static_cast<int>(entry)));
        return;
    }
    if (digits == QLatin1String("##")) {
        slot.recordState = kRecordIdle;
        lines_.context().wave.waveInReset(slot.waveInHandle);
        lines_.context().events.processPendingEvents();
        LineTimers::at(lines_.timers().timDropCall, line).setEnabled(true);
        status(QStringLiteral("##") + strings.loadText(kEndOfRecordingText));
        return;
    }
    if (isNumber(digits)) {
        status(QStringLiteral("[ ") + digits + QStringLiteral(" ]"));
    }
    appendTouchTones(digits);
}

void AnsweringSequence::appendTouchTones(const QString& digits)
{
    QFile log(promptPath(kTouchToneLog));
    const QByteArray text = digits.toLatin1() + "\r\n";
    const bool written = log.open(QIODevice::WriteOnly | QIODevice::Append,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner) &&
                         log.write(text) == text.size() && log.flush();
    // One line per run is enough to tell the user; every later string would repeat it.
    if (!written && !touchToneLogFailed_) {
        touchToneLogFailed_ = true;
        status(lines_.context()
                   .strings.text(core::ProgramText::TouchToneLogNotWritten)
                   .arg(log.fileName(), log.errorString()));
    }
}

} // namespace qlnrec::telephony

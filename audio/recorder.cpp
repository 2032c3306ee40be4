#include "audio/recorder.h"

namespace qlnrec::audio {

void RecordingHooks::startRecording(int line)
{
    if (engine_ && telephony::LineState::validLine(line)) {
        engine_->StartRecording(line);
    }
}

void RecordingHooks::playGreeting(int line)
{
    if (next_) {
        next_->playGreeting(line);
    }
}

void RecordingHooks::playLegal(int line)
{
    if (next_) {
        next_->playLegal(line);
    }
}

void RecordingHooks::playDoNotCall(int line)
{
    if (next_) {
        next_->playDoNotCall(line);
    }
}

void RecordingHooks::timer3Tick(int line)
{
    if (next_) {
        next_->timer3Tick(line);
    }
}

void RecordingHooks::timer4Tick(int line)
{
    if (next_) {
        next_->timer4Tick(line);
    }
}

void RecordingHooks::touchToneAction(int line)
{
    if (next_) {
        next_->touchToneAction(line);
    }
}

void RecordingHooks::findRingRule(std::int32_t& ringsToAnswer)
{
    if (next_) {
        next_->findRingRule(ringsToAnswer);
    }
}

void RecordingHooks::callerIdArrived(platform::HCALL hCall)
{
    if (next_) {
        next_->callerIdArrived(hCall);
    }
}

void RecordingHooks::showAnswerButtons(int line)
{
    if (next_) {
        next_->showAnswerButtons(line);
    }
}

void RecordingHooks::showPopupModeless()
{
    if (next_) {
        next_->showPopupModeless();
    }
}

void RecordingHooks::unloadPopup()
{
    if (next_) {
        next_->unloadPopup();
    }
}

Recorder::Recorder(const Services& services, telephony::LineSystem& lines, RecorderSettings settings,
                   Hooks hooks, QStringList sigscanCandidates)
    : conversion_(services.acm, services.dialogs), sigscan_(hooks.addStatusLine, std::move(sigscanCandidates))
{
    RecorderLinks links;
    links.getWaveInDevice = [&lines](int line) {
        lines.manager().GetWaveDeviceId(QStringLiteral("wave/in"), line);
    };
    links.enableDropCall = [&lines](int line) {
        telephony::LineTimers::at(lines.timers().timDropCall, line).setEnabled(true);
    };
    links.playLegalOutgoing = std::move(hooks.playLegalOutgoing);
    links.legalChecked = std::move(hooks.legalChecked);
    links.addStatusLine = std::move(hooks.addStatusLine);
    links.finishedRecording = std::move(hooks.finishedRecording);
    engine_ = std::make_unique<CaptureEngine>(services.events, services.wave, lines.state(), conversion_,
                                              sigscan_, std::move(settings), std::move(links));
}

Recorder::~Recorder() = default;

} // namespace qlnrec::audio

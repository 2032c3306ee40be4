#include "audio/recorder.h"

namespace qlnrec::audio {

void Recorder::startRecording(int line)
{
    if (telephony::LineState::validLine(line)) {
        engine_->StartRecording(line);
    }
}

Recorder::Recorder(const Services& services, telephony::LineSystem& lines, RecorderSettings settings,
                   Hooks hooks, QStringList sigscanCandidates)
    : conversion_(services.acm, services.dialogs),
      sigscan_(hooks.addStatusLine, std::move(sigscanCandidates), hooks.strings)
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
    links.strings = hooks.strings;
    engine_ = std::make_unique<CaptureEngine>(services.events, services.wave, lines.state(), conversion_,
                                              sigscan_, std::move(settings), std::move(links));
}

Recorder::~Recorder() = default;

} // namespace qlnrec::audio

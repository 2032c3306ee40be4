#pragma once
// The recording engine as the program holds it for the run: the TrueSpeech conversion use, the
// analysis library loader and the capture engine, joined to line control. It is the call flow's
// recording role.
#include "audio/capture_engine.h"
#include "audio/sigscan_loader.h"
#include "audio/truespeech_conversion.h"
#include "telephony/call_flow_roles.h"
#include "telephony/line_system.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace qlnrec::audio {

class Recorder final : public telephony::RecordingRole {
public:
    struct Services {
        platform::EventService& events;
        platform::WaveService& wave;
        platform::AcmService& acm;
        platform::DialogService& dialogs;
    };
    struct Hooks {
        std::function<void(const QString& text)> addStatusLine;
        std::function<void(const QString& name)> finishedRecording; // the recordings lists
        std::function<bool()> legalChecked;                         // chkLegal
        std::function<void(int line)> playLegalOutgoing;            // timPlayLegalO
        const core::Strings* strings = nullptr; // the status lines' language; English without
    };

    // sigscanCandidates: where the analysis library is looked for (empty: the default places
    // beside the program). Its one "cannot load" message goes to addStatusLine.
    Recorder(const Services& services, telephony::LineSystem& lines, RecorderSettings settings, Hooks hooks,
             QStringList sigscanCandidates = {});
    ~Recorder() override;
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    CaptureEngine& engine() { return *engine_; }
    TrueSpeechConversion& conversion() { return conversion_; }
    SigScanLoader& sigscan() { return sigscan_; }

    // RecordingRole: capture on the line's "wave/in" device.
    void startRecording(int line) override;

    // The start-up step that looks for the TrueSpeech driver.
    void FindTrueSpeechDriver() { conversion_.FindTrueSpeechDriver(); }

private:
    TrueSpeechConversion conversion_;
    SigScanLoader sigscan_;
    std::unique_ptr<CaptureEngine> engine_;
};

} // namespace qlnrec::audio

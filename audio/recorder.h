#pragma once
// The recording engine as the program holds it for the run: the TrueSpeech conversion use, the
// analysis library loader and the capture engine, joined to line control. Line control reaches
// it through RecordingHooks, which answers startRecording and passes every other hook on to the
// parts that follow a call (answering sequence, caller ID, popup) when they are plugged in.
#include "audio/capture_engine.h"
#include "audio/sigscan_loader.h"
#include "audio/truespeech_conversion.h"
#include "telephony/call_flow_hooks.h"
#include "telephony/line_system.h"

#include <QStringList>

#include <functional>
#include <memory>

namespace qlnrec::audio {

class RecordingHooks final : public telephony::CallFlowHooks {
public:
    // next (optional, not owned) receives every hook but startRecording.
    explicit RecordingHooks(telephony::CallFlowHooks* next = nullptr) : next_(next) {}
    void setNext(telephony::CallFlowHooks* next) { next_ = next; }
    void setEngine(CaptureEngine* engine) { engine_ = engine; }

    void startRecording(int line) override;
    void playGreeting(int line) override;
    void playLegal(int line) override;
    void playDoNotCall(int line) override;
    void timer3Tick(int line) override;
    void timer4Tick(int line) override;
    void touchToneAction(int line) override;
    void findRingRule(std::int32_t& ringsToAnswer) override;
    void callerIdArrived(platform::HCALL hCall) override;
    void showAnswerButtons(int line) override;
    void showPopupModeless() override;
    void unloadPopup() override;

private:
    telephony::CallFlowHooks* next_;
    CaptureEngine* engine_ = nullptr;
};

class Recorder {
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
    };

    // sigscanCandidates: where the analysis library is looked for (empty: the default places
    // beside the program). Its one "cannot load" message goes to addStatusLine.
    Recorder(const Services& services, telephony::LineSystem& lines, RecorderSettings settings, Hooks hooks,
             QStringList sigscanCandidates = {});
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    CaptureEngine& engine() { return *engine_; }
    TrueSpeechConversion& conversion() { return conversion_; }
    SigScanLoader& sigscan() { return sigscan_; }

    // The start-up step that looks for the TrueSpeech driver.
    void FindTrueSpeechDriver() { conversion_.FindTrueSpeechDriver(); }

private:
    TrueSpeechConversion conversion_;
    SigScanLoader sigscan_;
    std::unique_ptr<CaptureEngine> engine_;
};

} // namespace qlnrec::audio

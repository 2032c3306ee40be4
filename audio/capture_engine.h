#pragma once
// The capture session of every line: one-second blocks from the line's wave-in device in two
// headers used in turn, each block stored (raw PCM, or TrueSpeech) and analysed for the stop
// triggers, and, once the capture has closed, the recording file finished and listed.
//
// The swaps, the analysis and the stop triggers run on the GUI thread. The device callbacks only
// store into the line's atomic flags and post a wake-up of the line's buffer swap (the swap then
// runs at once instead of waiting for a 1 ms poll). The codec, the temporary file and the building
// of the finished file run on the line's work lane, so four lines recording in TrueSpeech or an
// hour-long file being finished never hold up the GUI thread; in virtual time the lanes run inline.
// The file-writer poll ticks every second and gives the closed device one tick of grace before the
// file is written.
#include "audio/recording_writer.h"
#include "audio/sigscan_loader.h"
#include "audio/truespeech_conversion.h"
#include "audio/wave_layouts.h"
#include "core/detector_settings.h"
#include "core/program_texts.h"
#include "platform/core/event_service.h"
#include "platform/core/work_lanes.h"
#include "platform/wave/wave_service.h"
#include "telephony/line_state.h"

#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace qlnrec::audio {

inline constexpr int kLines = telephony::kLineCount;
// One block: one second of PCM 8 kHz 16-bit mono.
inline constexpr std::uint32_t kBlockBytes = 16000;
inline constexpr std::uint32_t kWriteFileIntervalMs = 1000;
// Segment entries Fbs fills (index 0 unused).
inline constexpr int kSegments = 11;

// The detector settings, read once at start.
using StopTriggerSettings = core::DetectorSettings;

struct RecorderSettings {
    OutputFormat outputFormat = OutputFormat::Pcm; // "WaveFileFormat"
    QString recordingsFolder;                      // ends in "/"
    QString tempFolder;                            // private to this user, ends in "/"
    StopTriggerSettings triggers;
    QString silenceDetectedText = QStringLiteral("Silence Detected"); // localized text 1119
};

// What the recorder asks of the rest of the program. Unset links do nothing; without a way to
// play the legal notice on an outgoing call the legal box is not consulted.
struct RecorderLinks {
    // The line manager's GetWaveDeviceId("wave/in", line): stores the device in waveDevice.
    std::function<void(int line)> getWaveInDevice;
    // Enables the line's timDropCall (the call is dropped 500 ms later).
    std::function<void(int line)> enableDropCall;
    // Enables the line's timPlayLegalO (legal notice on an outgoing call, then recording).
    std::function<void(int line)> playLegalOutgoing;
    // The main window's chkLegal.
    std::function<bool()> legalChecked;
    std::function<void(const QString& text)> addStatusLine;
    // A finished recording file (name without folder) for the recordings lists.
    std::function<void(const QString& name)> finishedRecording;
    // The program's strings (not owned) for the status lines the engine words; English without.
    const core::Strings* strings = nullptr;
};

// The audio fields of one line, beside its LineSlot.
struct CaptureLine {
    std::array<platform::WAVEHDR, 2> captureHeaders{};
    std::array<std::unique_ptr<char[]>, 2> blocks;
    std::int32_t nextBuffer = 0;
    std::atomic<std::int32_t> bufferFilled{0};
    std::atomic<std::int32_t> captureClosed{0};
    QString recordingName;
    bool changeBufferEnabled = false; // timChangeBuffer
    bool deviceOpen = false;
    bool inSwap = false;
    // Stop-trigger counters: silenceRun lives for one capture, the rest carry over.
    std::int32_t silenceRun = 0;
    std::int32_t prevSoundCount = 0;
    std::int32_t prevQuietCount = 0;
    std::int32_t balancedRun = 0;
    // Blocks processed since the capture opened, and samples handed to the temporary file.
    std::uint64_t blocksProcessed = 0;
    // A block could not be stored since the capture opened (reported once per capture).
    bool storeFailed = false;
};

// A recording an earlier run left unfinished and this start has written.
struct RecoveredRecording {
    QString name;
    double seconds = 0;
};

class CaptureEngine {
public:
    CaptureEngine(platform::EventService& events, platform::WaveService& wave, telephony::LineState& lines,
                  TrueSpeechConversion& conversion, SigScanLoader& sigscan, RecorderSettings settings,
                  RecorderLinks links);
    ~CaptureEngine();
    CaptureEngine(const CaptureEngine&) = delete;
    CaptureEngine& operator=(const CaptureEngine&) = delete;

    const RecorderSettings& settings() const { return settings_; }
    // The settings take effect from the next capture on (the start-up reads them after the
    // engine exists).
    void setSettings(RecorderSettings settings);
    // Where the settings come from when they are only known later than the engine (the start-up
    // reads the detector settings last): asked at every capture open.
    void setSettingsSource(std::function<RecorderSettings()> source) { settingsSource_ = std::move(source); }
    RecorderLinks& links() { return links_; }
    RecordingWriter& writer() { return writer_; }
    CaptureLine& line(int line);
    platform::Timer& timWriteFile(int line);
    platform::MMRESULT lastWaveResult() const { return lastWaveResult_; }

    // Begins a recording on a line: its wave-in device, the recording name from the call kind,
    // the clock and the caller parts, the capture, and recordState 1 (2 stays 2).
    void StartRecording(int line);
    // Opens capture on device (-1: the computer's sound card) under name; the greeting recorder
    // uses it with "Greeting.wav".
    void OpenCapture(std::int32_t device, const QString& name, int line);
    void AllocateBuffers(int line);
    void QueueBuffer(int line);
    // Ends the recording: recordState 0 and the device reset; the last block and the close
    // follow through the buffer swap.
    void StopCapture(int line);
    void CloseCapture(int line);
    // Frees the line's two blocks; refused (false) while a capture device of the line is open,
    // since the device may be writing into them.
    bool FreeCaptureBlocks(int line);

    // The block pipeline for one returned header (stop triggers included).
    void ProcessBlock(int line, int headerIndex);
    // Writes the line's recording file from its temporary file and lists it. The temporary file
    // goes once the recording is written; when it cannot be written it stays for the next start.
    void FinishRecording(int line);

    // The program ends: every capture stops now, the audio the device holds is stored, the device
    // closes and the recording is written and listed at once, without waiting for the grace tick.
    // A recording whose capture has already closed is written too.
    void FinishAllNow();
    void FinishNow(int line);
    // Waits until the line's stored blocks and its finished file are on disk, and reports them.
    void settleStore(int line);
    // Writes and lists every recording an earlier run left in the temporary folder (a crash, or a
    // file that could not be written then); each gets a status line.
    std::vector<RecoveredRecording> RecoverUnfinished();

    // Timer ticks, by line.
    void timChangeBuffer_Timer(int line);
    void timWriteFile_Timer(int line);

    // The device callback of a line (what the routine registered for that line does).
    void captureCallback(int line, std::uint32_t message);

    // The two-block balance of the fast-busy test: true when 0.85 < ratio < 1.15. Applies the
    // zero adjustment to quietCount.
    static bool balanced(std::int32_t prevSound, std::int32_t prevQuiet, std::int32_t sound,
                         std::int32_t& quiet);
    // Entries j in 1..4 and 6..10 with 0.95 < entry j / entry 5 < 1.05 (0 when entry 5 is 0).
    static int segmentMatches(const std::int32_t* segmentSums);

private:
    telephony::LineSlot& slot(int line) { return lines_[line]; }
    void status(const QString& text);
    QString text(core::ProgramText id) const;
    void stopAndDrop(int line);
    void stored(int line, bool ok);
    // Hands a block to the line's lane: converted (when compress) and appended to the temporary
    // file (when keep; a compressed block the recording does not keep still goes through the codec,
    // whose stream carries state from block to block).
    void storeBlock(int line, const char* data, std::uint32_t bytes, bool compress, bool keep);
    // Runs fn with the engine on the GUI thread, unless the engine is gone by then.
    platform::WorkLanes::Completion withEngine(std::function<void(CaptureEngine&)> fn) const;
    void voiceHeard(int line);
    void settlePreviousCapture(int line);
    // A capture whose device has closed: its conversion ends and its recording is written now.
    void finishClosedCapture(int line);
    // The capture's codec stream closes once its lane has converted every block.
    void closeConversion(int line);
    void processHeldAudio(int line);
    bool trueSpeech() const { return settings_.outputFormat == OutputFormat::TrueSpeech; }

    platform::EventService& events_;
    platform::WaveService& wave_;
    telephony::LineState& lines_;
    TrueSpeechConversion& conversion_;
    SigScanLoader& sigscan_;
    RecorderSettings settings_;
    std::function<RecorderSettings()> settingsSource_;
    RecorderLinks links_;
    RecordingWriter writer_;
    std::array<CaptureLine, kLines> capture_{};
    std::array<std::unique_ptr<platform::Timer>, kLines> timWriteFile_;
    std::array<bool, kLines> closedWhileAwaiting_{};
    platform::MMRESULT lastWaveResult_ = platform::MMSYSERR_NOERROR;
    // Posted wake-ups hold this; it is cleared when the engine goes, so late ones do nothing.
    std::shared_ptr<CaptureEngine*> alive_;
    // One lane a line; the last member, so it ends (running what is queued) before the rest goes.
    std::unique_ptr<platform::WorkLanes> store_;
};

} // namespace qlnrec::audio

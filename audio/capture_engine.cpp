#include "audio/capture_engine.h"

#include "audio/recording_name.h"
#include "core/strings.h"
#include "platform/core/text_helpers.h"

#include <QFile>
#include <QFileInfo>

#include <cstring>

namespace qlnrec::audio {

using platform::MMRESULT;
using platform::MMSYSERR_NOERROR;
using telephony::kAwaitingReply;
using telephony::kRecordIdle;
using telephony::kRecording;

CaptureEngine::CaptureEngine(platform::EventService& events, platform::WaveService& wave,
                             telephony::LineState& lines, TrueSpeechConversion& conversion,
                             SigScanLoader& sigscan, RecorderSettings settings, RecorderLinks links)
    : events_(events), wave_(wave), lines_(lines), conversion_(conversion), sigscan_(sigscan),
      links_(std::move(links)), writer_(QString()), alive_(std::make_shared<CaptureEngine*>(this)),
      store_(std::make_unique<platform::WorkLanes>(
          events, kLines,
          events.runsInRealTime() ? platform::WorkLanes::Mode::Threaded : platform::WorkLanes::Mode::Inline))
{
    setSettings(std::move(settings));
    for (int i = 0; i < kLines; ++i) {
        timWriteFile_.at(static_cast<std::size_t>(i)) = std::make_unique<platform::Timer>(
            events_, kWriteFileIntervalMs, [this, i] { timWriteFile_Timer(i); });
    }
}

void CaptureEngine::setSettings(RecorderSettings settings)
{
    settings_ = std::move(settings);
    // Without a private temporary folder the temporary files go beside the recordings, never
    // under a fixed name in the working folder.
    if (settings_.tempFolder.isEmpty()) {
        settings_.tempFolder = settings_.recordingsFolder;
    }
    writer_ = RecordingWriter(settings_.tempFolder);
}

CaptureEngine::~CaptureEngine()
{
    *alive_ = nullptr;
    for (int i = 0; i < kLines; ++i) {
        CaptureLine& c = line(i);
        timWriteFile(i).setEnabled(false);
        c.changeBufferEnabled = false;
        if (c.deviceOpen) {
            wave_.waveInReset(slot(i).waveInHandle);
            CloseCapture(i);
        }
    }
    // What the lanes hold is stored before the codec streams close.
    store_.reset();
}

CaptureLine& CaptureEngine::line(int line)
{
    return capture_.at(static_cast<std::size_t>(line));
}

platform::Timer& CaptureEngine::timWriteFile(int line)
{
    return *timWriteFile_.at(static_cast<std::size_t>(line));
}

platform::WorkLanes::Completion CaptureEngine::withEngine(std::function<void(CaptureEngine&)> fn) const
{
    return [alive = std::weak_ptr<CaptureEngine*>(alive_), fn = std::move(fn)] {
        if (const auto engine = alive.lock(); engine && *engine) {
            fn(**engine);
        }
    };
}

void CaptureEngine::status(const QString& text)
{
    if (links_.addStatusLine) {
        links_.addStatusLine(text);
    }
}

QString CaptureEngine::text(core::ProgramText id) const
{
    return links_.strings ? links_.strings->text(id) : core::programText(id, core::Strings::kEnglish);
}

void CaptureEngine::StartRecording(int line)
{
    telephony::LineSlot& s = slot(line);
    if (links_.getWaveInDevice) {
        links_.getWaveInDevice(line);
    }
    const QString name =
        buildRecordingName(s.callKind, line, events_.currentDateTime(), s.callerNumberPart, s.callerNamePart);
    OpenCapture(s.waveDevice, name, line);
    s.recordState = s.recordState == kAwaitingReply ? kAwaitingReply : kRecording;
}

void CaptureEngine::OpenCapture(std::int32_t device, const QString& name, int line)
{
    settlePreviousCapture(line);
    // The earlier capture's blocks and file are done before its stream and temporary file are
    // reused (no wait unless the new capture follows within the grace tick).
    store_->wait(line);
    if (settingsSource_) {
        setSettings(settingsSource_());
    }
    CaptureLine& c = this->line(line);
    telephony::LineSlot& s = slot(line);
    c.silenceRun = 0;
    c.blocksProcessed = 0;
    const QString cleaned = cleanRecordingName(name);
    // The codec is only needed when blocks are stored compressed: a PCM recording (or a prompt
    // recording, always PCM) never waits on the codec or its error boxes.
    if (trueSpeech() && cleaned != kGreetingName && cleaned != kLegalName) {
        conversion_.OpenConversion(line);
    }
    c.nextBuffer = 0;
    std::uint32_t flags = platform::CALLBACK_FUNCTION;
    if (device != -1) {
        flags |= platform::WAVE_MAPPED;
    }
    c.recordingName = cleaned;
    const platform::WAVEFORMATEX format = platform::pcm8kMono16();
    // One routine per line: the callback carries no line context (instance 0).
    auto callback = [this, line](std::uint32_t, std::uint32_t message, std::uintptr_t, std::uintptr_t,
                                 std::uintptr_t) { captureCallback(line, message); };
    s.waveInHandle = 0;
    lastWaveResult_ =
        wave_.waveInOpen(&s.waveInHandle, static_cast<std::uint32_t>(device), &format, callback, 0, flags);
    if (lastWaveResult_ != MMSYSERR_NOERROR) {
        return;
    }
    c.deviceOpen = true;
    c.captureClosed = 0;
    c.bufferFilled = 0;
    AllocateBuffers(line);
    QueueBuffer(line);
    lastWaveResult_ = wave_.waveInStart(s.waveInHandle);
    if (lastWaveResult_ != MMSYSERR_NOERROR) {
        return;
    }
    writer_.keepUnfinished(line);
    writer_.deleteTempFile(line);
    c.storeFailed = false;
    // The sidecar names the recording, so a start after a crash can finish it. Prompt captures
    // are not conversations and are not recovered.
    if (c.recordingName != kGreetingName && c.recordingName != kLegalName) {
        writer_.writeSidecar(line, c.recordingName, settings_.outputFormat);
    }
    if (c.recordingName != kGreetingName) {
        timWriteFile(line).setEnabled(true);
    }
    c.changeBufferEnabled = true;
}

void CaptureEngine::settlePreviousCapture(int line)
{
    CaptureLine& c = this->line(line);
    telephony::LineSlot& s = slot(line);
    if (c.deviceOpen) {
        // A capture still runs on the line: it ends here, its unprocessed audio is let go.
        c.changeBufferEnabled = false;
        wave_.waveInReset(s.waveInHandle);
        c.bufferFilled = 0;
        closedWhileAwaiting_.at(static_cast<std::size_t>(line)) = s.recordState == kAwaitingReply;
        CloseCapture(line);
    }
    if (c.captureClosed != 0) {
        // The previous capture has closed but its file-writer poll has not run out yet (a short
        // legal notice between two captures of an outgoing call): finish its work now, before the
        // new capture takes the temporary file.
        finishClosedCapture(line);
    }
}

void CaptureEngine::finishClosedCapture(int line)
{
    CaptureLine& c = this->line(line);
    c.captureClosed = 0;
    timWriteFile(line).setEnabled(false);
    closeConversion(line);
    // A prompt recording's file is written by its recorder, never here.
    if (!closedWhileAwaiting_.at(static_cast<std::size_t>(line)) && c.recordingName != kGreetingName) {
        FinishRecording(line);
    }
}

void CaptureEngine::closeConversion(int line)
{
    if (trueSpeech()) {
        // The lane may still be converting the capture's last block with this stream.
        store_->wait(line);
        conversion_.CloseConversion(line);
    }
}

void CaptureEngine::AllocateBuffers(int line)
{
    CaptureLine& c = this->line(line);
    for (int h = 0; h < 2; ++h) {
        auto& block = c.blocks.at(static_cast<std::size_t>(h));
        block.reset(new (std::nothrow) char[kBlockBytes]());
        platform::WAVEHDR& header = c.captureHeaders.at(static_cast<std::size_t>(h));
        header = platform::WAVEHDR{};
        if (!block) {
            return;
        }
        header.lpData = block.get();
        header.dwBufferLength = kBlockBytes;
        lastWaveResult_ = wave_.waveInPrepareHeader(slot(line).waveInHandle, &header, sizeof header);
        if (lastWaveResult_ != MMSYSERR_NOERROR && h == 0) {
            return;
        }
    }
}

void CaptureEngine::QueueBuffer(int line)
{
    CaptureLine& c = this->line(line);
    platform::WAVEHDR& header = c.captureHeaders.at(static_cast<std::size_t>(c.nextBuffer));
    lastWaveResult_ = wave_.waveInAddBuffer(slot(line).waveInHandle, &header, sizeof header);
    c.nextBuffer = 1 - c.nextBuffer;
}

void CaptureEngine::StopCapture(int line)
{
    slot(line).recordState = kRecordIdle;
    lastWaveResult_ = wave_.waveInReset(slot(line).waveInHandle);
}

void CaptureEngine::CloseCapture(int line)
{
    CaptureLine& c = this->line(line);
    const platform::HWAVEIN handle = slot(line).waveInHandle;
    lastWaveResult_ = wave_.waveInUnprepareHeader(handle, &c.captureHeaders[0], sizeof(platform::WAVEHDR));
    lastWaveResult_ = wave_.waveInUnprepareHeader(handle, &c.captureHeaders[1], sizeof(platform::WAVEHDR));
    closedWhileAwaiting_.at(static_cast<std::size_t>(line)) = slot(line).recordState == kAwaitingReply;
    lastWaveResult_ = wave_.waveInClose(handle);
    if (lastWaveResult_ == MMSYSERR_NOERROR) {
        c.deviceOpen = false;
    }
}

bool CaptureEngine::FreeCaptureBlocks(int line)
{
    CaptureLine& c = this->line(line);
    if (c.deviceOpen) {
        // The blocks belong to a capture that runs (a later one than the caller's, perhaps): the
        // device may be writing into them.
        return false;
    }
    for (std::size_t h = 0; h < 2; ++h) {
        c.blocks[h].reset();
        c.captureHeaders[h].lpData = nullptr;
        c.captureHeaders[h].dwBufferLength = 0;
        c.captureHeaders[h].dwBytesRecorded = 0;
    }
    return true;
}

void CaptureEngine::captureCallback(int line, std::uint32_t message)
{
    CaptureLine& c = this->line(line);
    if (message == platform::MM_WIM_CLOSE) {
        c.captureClosed = 1;
    } else if (message == platform::MM_WIM_DATA) {
        c.bufferFilled = 1;
        events_.post([alive = std::weak_ptr<CaptureEngine*>(alive_), line] {
            if (const auto engine = alive.lock(); engine && *engine) {
                (*engine)->timChangeBuffer_Timer(line);
            }
        });
    }
}

void CaptureEngine::timChangeBuffer_Timer(int line)
{
    CaptureLine& c = this->line(line);
    if (!c.changeBufferEnabled || c.inSwap || c.bufferFilled != 1) {
        return;
    }
    c.inSwap = true;
    if (slot(line).recordState != kRecordIdle) {
        // Cleared before the idle header goes back: audio the device held while this swap was late
        // may fill that header at once, and its notice must not be lost.
        c.bufferFilled = 0;
        QueueBuffer(line);
        events_.processPendingEvents();
        ProcessBlock(line, c.nextBuffer);
        events_.processPendingEvents();
    } else {
        c.bufferFilled = 0;
        c.changeBufferEnabled = false;
        ProcessBlock(line, 1 - c.nextBuffer);
        processHeldAudio(line);
        CloseCapture(line);
    }
    c.inSwap = false;
    // A block that came back while this one was processed gets its own turn.
    if (c.changeBufferEnabled && c.bufferFilled == 1) {
        events_.post([alive = std::weak_ptr<CaptureEngine*>(alive_), line] {
            if (const auto engine = alive.lock(); engine && *engine) {
                (*engine)->timChangeBuffer_Timer(line);
            }
        });
    }
}

void CaptureEngine::processHeldAudio(int line)
{
    // A stop that came while no header was queued (the swap was late) left the audio of that
    // moment in the device: the idle header takes it and comes straight back.
    CaptureLine& c = this->line(line);
    const int idle = c.nextBuffer;
    const platform::WAVEHDR& header = c.captureHeaders.at(static_cast<std::size_t>(idle));
    if (!header.lpData) {
        return;
    }
    QueueBuffer(line);
    lastWaveResult_ = wave_.waveInReset(slot(line).waveInHandle);
    c.bufferFilled = 0;
    if (header.dwBytesRecorded > 0) {
        ProcessBlock(line, idle);
    }
}

void CaptureEngine::timWriteFile_Timer(int line)
{
    CaptureLine& c = this->line(line);
    if (c.captureClosed == 1) {
        c.captureClosed = 2;
        return;
    }
    if (c.captureClosed != 2) {
        return;
    }
    c.captureClosed = 0;
    timWriteFile(line).setEnabled(false);
    closeConversion(line);
    if (slot(line).recordState != kAwaitingReply) {
        FinishRecording(line);
    }
}

void CaptureEngine::FinishRecording(int line)
{
    FreeCaptureBlocks(line);
    // The name is chosen on the lane, where the line's earlier files are already written.
    store_->submit(
        line,
        [this, line, writer = writer_, folder = settings_.recordingsFolder, format = settings_.outputFormat,
         wanted = this->line(line).recordingName]() mutable -> platform::WorkLanes::Completion {
            const QString name = unusedRecordingName(folder, wanted);
            const QString path = folder + name;
            QString error;
            const WriteOutcome outcome = writeWaveFromTemp(writer.tempFilePath(line), path, format, &error);
            if (outcome == WriteOutcome::Failed) {
                // A half-written file would claim audio it does not hold; the temporary file and its
                // sidecar stay, and the next start writes the recording.
                QFile::remove(path);
                return withEngine([wanted, error](CaptureEngine& engine) {
                    engine.status(engine.text(core::ProgramText::RecordingNotWritten).arg(wanted, error));
                });
            }
            writer.deleteTempFile(line);
            if (outcome == WriteOutcome::TooShort || !QFileInfo::exists(path)) {
                return {};
            }
            return withEngine([name](CaptureEngine& engine) {
                if (engine.links_.finishedRecording) {
                    engine.links_.finishedRecording(name);
                }
            });
        });
}

void CaptureEngine::FinishAllNow()
{
    for (int i = 0; i < kLines; ++i) {
        FinishNow(i);
    }
    store_->finishAll();
}

void CaptureEngine::settleStore(int line)
{
    store_->wait(line);
    store_->deliverCompletions();
}

void CaptureEngine::FinishNow(int line)
{
    CaptureLine& c = this->line(line);
    telephony::LineSlot& s = slot(line);
    if (c.deviceOpen && !c.inSwap) {
        const bool awaiting = s.recordState == kAwaitingReply;
        // A block the device returned but the swap has not taken yet is stored first; queueing
        // the idle header also takes what the device held meanwhile.
        if (c.bufferFilled == 1 && c.changeBufferEnabled && s.recordState != kRecordIdle) {
            timChangeBuffer_Timer(line);
        }
        if (c.deviceOpen && s.recordState != kRecordIdle) {
            StopCapture(line);
        }
        // The reset returned the queued header: the last block is stored and the device closes.
        if (c.deviceOpen && c.changeBufferEnabled && c.bufferFilled == 1) {
            timChangeBuffer_Timer(line);
        }
        if (c.deviceOpen) {
            c.changeBufferEnabled = false;
            wave_.waveInReset(s.waveInHandle);
            c.bufferFilled = 0;
            CloseCapture(line);
        }
        closedWhileAwaiting_.at(static_cast<std::size_t>(line)) = awaiting;
    }
    if (c.captureClosed != 0 && !c.deviceOpen) {
        finishClosedCapture(line);
    }
    settleStore(line);
}

std::vector<RecoveredRecording> CaptureEngine::RecoverUnfinished()
{
    if (settingsSource_) {
        setSettings(settingsSource_());
    }
    std::vector<RecoveredRecording> recovered;
    for (const UnfinishedRecording& u : findUnfinishedRecordings(writer_.tempFolder())) {
        // What a crash cut off in the middle of a write is not audio.
        const std::int64_t bytes = wholeBlockBytes(u.format, QFileInfo(u.dataPath).size());
        if (headerBytes(u.format) + bytes < kShortRecordingBytes) {
            QFile::remove(u.dataPath);
            QFile::remove(u.sidecarPath);
            continue;
        }
        QFile(u.dataPath).resize(bytes);
        const QString name = unusedRecordingName(settings_.recordingsFolder, u.name);
        const QString path = settings_.recordingsFolder + name;
        QString error;
        if (writeWaveFromTemp(u.dataPath, path, u.format, &error) != WriteOutcome::Written) {
            QFile::remove(path);
            status(text(core::ProgramText::UnfinishedNotWritten).arg(u.name, error));
            continue;
        }
        QFile::remove(u.dataPath);
        QFile::remove(u.sidecarPath);
        const double seconds = storedSeconds(u.format, bytes);
        status(text(core::ProgramText::UnfinishedRecovered).arg(name).arg(seconds, 0, 'f', 1));
        if (links_.finishedRecording) {
            links_.finishedRecording(name);
        }
        recovered.push_back({name, seconds});
    }
    return recovered;
}

void CaptureEngine::stored(int line, bool ok)
{
    CaptureLine& c = this->line(line);
    if (ok || c.storeFailed) {
        return;
    }
    // Once per capture: the call goes on, and what was stored so far stays a valid recording.
    c.storeFailed = true;
    status(text(core::ProgramText::RecordingNotStored).arg(line));
}

void CaptureEngine::storeBlock(int line, const char* data, std::uint32_t bytes, bool compress, bool keep)
{
    auto block = std::make_shared<std::vector<char>>(data, data + bytes);
    store_->submit(
        line,
        [this, line, block, compress, keep, writer = writer_]() mutable -> platform::WorkLanes::Completion {
            bool ok = true;
            if (compress) {
                // Only this lane uses the line's stream while the capture runs.
                platform::WAVEHDR header{};
                header.lpData = block->data();
                header.dwBufferLength = header.dwBytesRecorded = static_cast<std::uint32_t>(block->size());
                if (conversion_.ConvertBlock(line, header) && keep) {
                    const std::uint32_t length = conversion_.convertedLength(line);
                    if (length > 0) {
                        ok = writer.AppendBlock(
                            line, reinterpret_cast<const char*>(conversion_.convertedData(line)), length);
                    }
                }
                conversion_.ReleaseConversion(line);
            } else {
                ok = writer.AppendBlock(line, block->data(), static_cast<std::int64_t>(block->size()));
            }
            if (ok) {
                return {};
            }
            return withEngine([line](CaptureEngine& engine) { engine.stored(line, false); });
        });
}

void CaptureEngine::stopAndDrop(int line)
{
    StopCapture(line);
    if (links_.enableDropCall) {
        links_.enableDropCall(line);
    }
}

bool CaptureEngine::balanced(std::int32_t prevSound, std::int32_t prevQuiet, std::int32_t sound,
                             std::int32_t& quiet)
{
    if (static_cast<std::int64_t>(prevQuiet) + quiet == 0) {
        quiet = 1;
    }
    const double ratio = (static_cast<double>(prevSound) + sound) / (static_cast<double>(prevQuiet) + quiet);
    return ratio > 0.85 && ratio < 1.15;
}

int CaptureEngine::segmentMatches(const std::int32_t* segmentSums)
{
    const std::int32_t reference = segmentSums[5];
    if (reference == 0) {
        return 0;
    }
    int matches = 0;
    for (int j = 1; j <= 10; ++j) {
        if (j == 5) {
            continue;
        }
        const double ratio = static_cast<double>(segmentSums[j]) / reference;
        if (ratio > 0.95 && ratio < 1.05) {
            ++matches;
        }
    }
    return matches;
}

void CaptureEngine::ProcessBlock(int line, int headerIndex)
{
    CaptureLine& c = this->line(line);
    telephony::LineSlot& s = slot(line);
    const platform::WAVEHDR& header = c.captureHeaders.at(static_cast<std::size_t>(headerIndex));
    const std::uint32_t n = header.lpData ? std::min(header.dwBytesRecorded, header.dwBufferLength) : 0;
    ++c.blocksProcessed;
    const bool promptRecording = c.recordingName == kGreetingName || c.recordingName == kLegalName;
    const bool compressed = trueSpeech() && !promptRecording;

    // Store. A block the codec cannot take (no stream, no bytes) is neither stored nor analysed.
    if (compressed && (header.dwBytesRecorded == 0 || !conversion_.isOpen(line))) {
        return;
    }
    const bool keep = s.recordState != kAwaitingReply;
    if (compressed || (keep && n != 0)) {
        storeBlock(line, header.lpData, n, compressed, keep);
    }
    if (compressed) {
        events_.processPendingEvents();
    }
    if (c.recordingName == kGreetingName) {
        return;
    }

    // Analyse.
    std::array<std::int16_t, kBlockBytes / 2> samples{};
    if (n != 0) {
        std::memcpy(samples.data(), header.lpData, n);
    }
    const auto sampleCount = static_cast<std::int32_t>(platform::roundHalfEven(n / 2.0));
    std::int32_t soundCount = 0;
    std::int32_t quietCount = 0;
    std::int32_t segmentSums[kSegments] = {};
    std::int32_t longTone = 0;
    std::int32_t matches = 0;
    bool analysed = true;
    const std::int32_t quietBlock =
        sigscan_.fbs(samples.data(), sampleCount, &soundCount, &quietCount, settings_.triggers.silenceLevel,
                     settings_.triggers.country, segmentSums, &longTone, &analysed);
    if (!analysed) {
        // Without the analysis library nothing can be detected; an outgoing call is then
        // recorded from its first block on, as if the called party had answered at once.
        if (s.recordState == kAwaitingReply) {
            voiceHeard(line);
        }
        return;
    }

    // Fast busy: two balanced blocks in a row, then steady segments.
    const bool isBalanced = balanced(c.prevSoundCount, c.prevQuietCount, soundCount, quietCount);
    c.prevSoundCount = soundCount;
    c.prevQuietCount = quietCount;
    c.balancedRun = isBalanced && settings_.triggers.fastBusy == 1 ? c.balancedRun + 1 : 0;
    if (c.balancedRun > 1) {
        c.balancedRun = 0;
        if (s.recordState == kRecording) {
            matches += segmentMatches(segmentSums);
            if (matches >= 7) {
                status(QStringLiteral("Fast Busy Signal Detected"));
                stopAndDrop(line);
            }
        }
    }

    // Silence.
    c.silenceRun = quietBlock == 1 && settings_.triggers.silence == 1 ? c.silenceRun + 1 : 0;
    if (c.silenceRun > settings_.triggers.silenceSeconds) {
        if (s.recordState == kRecording) {
            status(settings_.silenceDetectedText);
        }
        stopAndDrop(line);
    }

    if (segmentSums[5] == 0) {
        return;
    }
    matches += segmentMatches(segmentSums);

    // Dial tone.
    if (s.recordState == kRecording && matches > 8 && longTone == 1) {
        status(QStringLiteral("Dial Tone Detected, Stop Recording"));
        stopAndDrop(line);
        return;
    }

    // Voice on an outgoing call: the sound is not a steady tone.
    if (s.recordState == kAwaitingReply && matches < 2) {
        voiceHeard(line);
    }
}

void CaptureEngine::voiceHeard(int line)
{
    CaptureLine& c = this->line(line);
    telephony::LineSlot& s = slot(line);
    if (links_.legalChecked && links_.playLegalOutgoing && links_.legalChecked()) {
        // The capture ends here and the legal notice plays; recordState stays AwaitingReply so
        // the closed capture leaves no file. The queued header is taken back first, or the
        // device could not close.
        c.changeBufferEnabled = false;
        lastWaveResult_ = wave_.waveInReset(s.waveInHandle);
        c.bufferFilled = 0;
        CloseCapture(line);
        links_.playLegalOutgoing(line);
        return;
    }
    s.recordState = kRecording;
    status(QStringLiteral("Start Recording"));
}

} // namespace qlnrec::audio

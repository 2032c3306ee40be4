#pragma once
// The two stages of writing a recording: every block is appended to the line's headerless
// temporary file while the call runs; when the capture has closed, the WAVE file is built in the
// recordings folder from a header and a copy of the temporary file.
#include "audio/wave_layouts.h"

#include <QString>

#include <cstdint>
#include <vector>

namespace qlnrec::audio {

// Below this many bytes (header included) a recording is not kept: about 0.3 s of PCM.
inline constexpr std::int64_t kShortRecordingBytes = 5000;
// The copy from the temporary file goes in blocks of this size.
inline constexpr std::int64_t kCopyBlockBytes = 5120;

enum class WriteOutcome {
    Written,  // header and data written
    TooShort, // under the threshold: the output file was created and left empty
    Failed,   // the output file could not be created or fully written
};

// Builds a WAVE file at outPath from the bare bytes in tempPath: creates (truncates) the output,
// leaves it empty when header + data < kShortRecordingBytes, otherwise writes the header of the
// format and copies the data in kCopyBlockBytes blocks. A temporary file that cannot be read
// counts as empty. A new output file is readable by the user only. Errors are reported in the
// result only (and the reason in *error when given).
WriteOutcome writeWaveFromTemp(const QString& tempPath, const QString& outPath, OutputFormat format,
                               QString* error = nullptr);

// Bytes of whole blocks in `bytes` of stored data: a sample (PCM) or a 32-byte frame
// (TrueSpeech). What a crash cut off in the middle of a write is not part of a valid file.
std::int64_t wholeBlockBytes(OutputFormat format, std::int64_t bytes);

// Seconds of audio in `bytes` of stored data.
double storedSeconds(OutputFormat format, std::int64_t bytes);

// What the sidecar of a recording in progress holds: the name it will get and its format.
struct UnfinishedRecording {
    QString dataPath;    // the headerless data
    QString sidecarPath; // dataPath + kSidecarSuffix
    QString name;        // the recording's file name, cleaned
    OutputFormat format = OutputFormat::Pcm;
};
inline const QString kSidecarSuffix = QStringLiteral(".recording");

// Every recording a run left unfinished in tempFolder (those with a readable sidecar).
std::vector<UnfinishedRecording> findUnfinishedRecordings(const QString& tempFolder);

class RecordingWriter {
public:
    // tempFolder: a folder private to this user, ending in "/".
    explicit RecordingWriter(QString tempFolder) : tempFolder_(std::move(tempFolder)) {}

    const QString& tempFolder() const { return tempFolder_; }
    QString tempFilePath(int line) const;

    // Appends bytes to the line's temporary file (created when missing, readable by the user
    // only). False on failure.
    bool AppendBlock(int line, const char* data, std::int64_t bytes);
    // Removes the line's temporary file and its sidecar.
    void deleteTempFile(int line);

    QString sidecarPath(int line) const { return tempFilePath(line) + kSidecarSuffix; }
    // Writes the sidecar that names the recording the line's temporary file belongs to, so a
    // later start can finish it after a crash. False on failure.
    bool writeSidecar(int line, const QString& name, OutputFormat format);
    // An unfinished recording of an earlier capture on the line (one whose file could not be
    // written) is moved aside under a free name, so the next capture does not delete it.
    void keepUnfinished(int line);

private:
    QString tempFolder_;
};

// A name under which the recording can be written in folder without replacing an earlier
// recording that has data: the name itself when no such file exists or the file is empty, else
// the name with " (2)", " (3)", ... before ".wav".
QString unusedRecordingName(const QString& folder, const QString& name);

} // namespace qlnrec::audio

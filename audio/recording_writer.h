#pragma once
// The two stages of writing a recording: every block is appended to the line's headerless
// temporary file while the call runs; when the capture has closed, the WAVE file is built in the
// recordings folder from a header and a copy of the temporary file.
#include "audio/wave_layouts.h"

#include <QString>

#include <cstdint>

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
// counts as empty. Errors are reported in the result only.
WriteOutcome writeWaveFromTemp(const QString& tempPath, const QString& outPath, OutputFormat format);

class RecordingWriter {
public:
    // tempFolder: a folder private to this user, ending in "/".
    explicit RecordingWriter(QString tempFolder) : tempFolder_(std::move(tempFolder)) {}

    const QString& tempFolder() const { return tempFolder_; }
    QString tempFilePath(int line) const;

    // Appends bytes to the line's temporary file (created when missing). False on failure.
    bool AppendBlock(int line, const char* data, std::int64_t bytes);
    void deleteTempFile(int line);

private:
    QString tempFolder_;
};

// A name under which the recording can be written in folder without replacing an earlier
// recording that has data: the name itself when no such file exists or the file is empty, else
// the name with " (2)", " (3)", ... before ".wav".
QString unusedRecordingName(const QString& folder, const QString& name);

} // namespace qlnrec::audio

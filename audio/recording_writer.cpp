#include "audio/recording_writer.h"

#include "audio/recording_name.h"

#include <QFile>
#include <QFileInfo>

#include <vector>

namespace qlnrec::audio {

WriteOutcome writeWaveFromTemp(const QString& tempPath, const QString& outPath, OutputFormat format)
{
    QFile temp(tempPath);
    const bool tempOpen = temp.open(QIODevice::ReadOnly);
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return WriteOutcome::Failed;
    }
    const std::int64_t length = tempOpen ? temp.size() : 0;
    if (headerBytes(format) + length < kShortRecordingBytes) {
        return WriteOutcome::TooShort;
    }
    bool ok = out.write(waveHeader(format, static_cast<std::uint64_t>(length))) == headerBytes(format);
    std::vector<char> block(static_cast<std::size_t>(kCopyBlockBytes));
    std::int64_t copied = 0;
    while (ok && copied < length) {
        const std::int64_t want = std::min(kCopyBlockBytes, length - copied);
        const std::int64_t got = temp.read(block.data(), want);
        if (got <= 0) {
            ok = false;
            break;
        }
        ok = out.write(block.data(), got) == got;
        copied += got;
    }
    ok = out.flush() && ok;
    return ok ? WriteOutcome::Written : WriteOutcome::Failed;
}

QString RecordingWriter::tempFilePath(int line) const
{
    return tempFolder_ + tempFileName(line);
}

bool RecordingWriter::AppendBlock(int line, const char* data, std::int64_t bytes)
{
    QFile file(tempFilePath(line));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    return file.write(data, bytes) == bytes;
}

void RecordingWriter::deleteTempFile(int line)
{
    QFile::remove(tempFilePath(line));
}

QString unusedRecordingName(const QString& folder, const QString& name)
{
    const auto taken = [&folder](const QString& candidate) {
        const QFileInfo info(folder + candidate);
        return info.exists() && (!info.isFile() || info.size() > 0);
    };
    if (!taken(name)) {
        return name;
    }
    const bool hasExtension = name.endsWith(QStringLiteral(".wav"), Qt::CaseInsensitive);
    const QString stem = hasExtension ? name.left(name.size() - 4) : name;
    const QString extension = hasExtension ? name.right(4) : QString();
    for (int n = 2;; ++n) {
        const QString candidate = stem + QStringLiteral(" (%1)").arg(n) + extension;
        if (!taken(candidate)) {
            return candidate;
        }
    }
}

} // namespace qlnrec::audio

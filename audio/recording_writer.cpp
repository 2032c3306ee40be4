#include "audio/recording_writer.h"

#include "audio/recording_name.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace qlnrec::audio {

namespace {
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
} // namespace

WriteOutcome writeWaveFromTemp(const QString& tempPath, const QString& outPath, OutputFormat format,
                               QString* error)
{
    QFile temp(tempPath);
    const bool tempOpen = temp.open(QIODevice::ReadOnly);
    QFile out(outPath);
    const auto failed = [&](const QFile& file) {
        if (error) {
            *error = file.errorString();
        }
        return WriteOutcome::Failed;
    };
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate, kPrivateFile)) {
        return failed(out);
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
    if (!ok) {
        return failed(out.error() != QFileDevice::NoError ? out : temp);
    }
    return WriteOutcome::Written;
}

std::int64_t wholeBlockBytes(OutputFormat format, std::int64_t bytes)
{
    const std::int64_t block = format == OutputFormat::TrueSpeech ? 32 : 2;
    return bytes / block * block;
}

double storedSeconds(OutputFormat format, std::int64_t bytes)
{
    const double perSecond = format == OutputFormat::TrueSpeech ? kTrueSpeechBytesPerSecond : 16000.0;
    return static_cast<double>(bytes) / perSecond;
}

std::vector<UnfinishedRecording> findUnfinishedRecordings(const QString& tempFolder)
{
    std::vector<UnfinishedRecording> found;
    const QStringList sidecars =
        QDir(tempFolder).entryList(QStringList{QLatin1Char('*') + kSidecarSuffix}, QDir::Files, QDir::Name);
    for (const QString& sidecar : sidecars) {
        UnfinishedRecording u;
        u.sidecarPath = tempFolder + sidecar;
        u.dataPath = u.sidecarPath.left(u.sidecarPath.size() - kSidecarSuffix.size());
        QFile file(u.sidecarPath);
        if (!file.open(QIODevice::ReadOnly)) {
            continue;
        }
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        if (lines.size() < 2 || (lines[0] != QLatin1String("0") && lines[0] != QLatin1String("1"))) {
            continue;
        }
        u.format = lines[0] == QLatin1String("1") ? OutputFormat::TrueSpeech : OutputFormat::Pcm;
        // The name was cleaned when the capture opened; cleaning again keeps a tampered sidecar
        // from writing outside the recordings folder.
        u.name = cleanRecordingName(lines[1]);
        if (u.name.isEmpty()) {
            continue;
        }
        found.push_back(u);
    }
    return found;
}

QString RecordingWriter::tempFilePath(int line) const
{
    return tempFolder_ + tempFileName(line);
}

bool RecordingWriter::AppendBlock(int line, const char* data, std::int64_t bytes)
{
    QFile file(tempFilePath(line));
    // Unbuffered: nothing of a failed write is left to be flushed when the file closes.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered, kPrivateFile)) {
        return false;
    }
    // Closed after every block: what has been written survives a crash of the program.
    const qint64 before = file.size();
    if (file.write(data, bytes) == bytes && file.flush()) {
        return true;
    }
    // A disk that fills up takes part of a block: cut it off again, so a block stored once
    // space is back stays on a sample (or frame) boundary and the audio after it is not noise.
    file.resize(before);
    return false;
}

void RecordingWriter::deleteTempFile(int line)
{
    QFile::remove(tempFilePath(line));
    QFile::remove(sidecarPath(line));
}

bool RecordingWriter::writeSidecar(int line, const QString& name, OutputFormat format)
{
    QFile file(sidecarPath(line));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate, kPrivateFile)) {
        return false;
    }
    const QByteArray text = QByteArray::number(static_cast<int>(format)) + '\n' + name.toUtf8() + '\n';
    return file.write(text) == text.size() && file.flush();
}

void RecordingWriter::keepUnfinished(int line)
{
    const QString data = tempFilePath(line);
    if (!QFile::exists(sidecarPath(line)) || QFileInfo(data).size() == 0) {
        return;
    }
    for (int n = 1;; ++n) {
        const QString aside = data + QStringLiteral("-%1").arg(n);
        if (!QFile::exists(aside) && !QFile::exists(aside + kSidecarSuffix)) {
            if (QFile::rename(data, aside)) {
                QFile::rename(sidecarPath(line), aside + kSidecarSuffix);
            }
            return;
        }
    }
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

#include "platform/telephony/sim/sim_provider.h"

#include "platform/telephony/sim/wave_file.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace qlnrec::platform {

SimProvider::SimProvider(const LineProviderContext& context, int lineCount)
    : epochMs_(context.events.timeGetTime())
{
    lineCount = std::clamp(lineCount, 1, kMaxLines);
    for (int i = 0; i < lineCount; ++i) {
        lines_.push_back(std::make_unique<SimLine>(context.events, context.wave, i, epochMs_));
    }
}

SimProvider::~SimProvider() = default;

LineDevice* SimProvider::device(std::size_t index)
{
    return index < lines_.size() ? lines_[index].get() : nullptr;
}

std::optional<int> SimProvider::parseLineCount(const QString& argument, QString* error)
{
    const QString text = argument.trimmed();
    if (text.isEmpty()) {
        return 1;
    }
    bool ok = false;
    const int count = text.toInt(&ok);
    if (!ok || count < 1 || count > kMaxLines) {
        if (error) {
            *error = QStringLiteral("the number of simulated lines must be 1 to %1, not \"%2\"")
                         .arg(kMaxLines)
                         .arg(text);
        }
        return std::nullopt;
    }
    return count;
}

bool SimProvider::writeActivity(const QString& path, QString* error, int firstDeviceId) const
{
    QString base = path;
    if (base.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive)) {
        base.chop(4);
    }
    QString text;
    QTextStream out(&text);
    out << "# qlnrec simulated line activity (times in seconds since the lines started)\n";
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const SimLine& line = *lines_[i];
        const int deviceId = firstDeviceId + static_cast<int>(i);
        out << "\n[line " << deviceId << ": " << line.config().name << "]\n";
        for (const auto& entry : line.activity()) {
            out << QStringLiteral("%1  ").arg(static_cast<double>(entry.timeMs) / 1000.0, 10, 'f', 3)
                << entry.text << '\n';
        }
        for (int call = 1; call <= line.callCount(); ++call) {
            const auto samples = line.playedSamples(call);
            if (samples.empty()) {
                out << "call " << call << ": nothing was played into the line\n";
                continue;
            }
            const QString wav = QStringLiteral("%1-line%2-call%3.wav").arg(base).arg(deviceId).arg(call);
            if (!writeWaveFile8kMono(wav, samples, error)) {
                return false;
            }
            out << "call " << call << ": " << samples.size() << " samples played into the line, saved as "
                << QFileInfo(wav).fileName() << '\n';
        }
    }
    out.flush();
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        if (error) {
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        }
        return false;
    }
    return true;
}

} // namespace qlnrec::platform

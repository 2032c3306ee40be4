#include "audio/recording_name.h"

#include "platform/core/text_helpers.h"

namespace qlnrec::audio {

QString buildRecordingName(const QString& callKind, int line, const QDateTime& when,
                           const QString& callerNumberPart, const QString& callerNamePart)
{
    return callKind + QStringLiteral("~L") + platform::numberWithSignBlank(line) +
           when.toString(QStringLiteral("yyyy-MM-dd~hh-mm-ss")) + callerNumberPart + callerNamePart +
           QStringLiteral(".wav");
}

namespace {

bool unsafe(char16_t c)
{
    return c < 32 || c == 127 || c == '\\' || c == '/' || c == '*' || c == '?' || c == '<' || c == '>' ||
           c == '|' || c == '"';
}

} // namespace

QString cleanRecordingName(const QString& name)
{
    QString out;
    out.reserve(name.size());
    for (const QChar c : name) {
        out.append(unsafe(c.unicode()) ? QChar(u'@') : c);
    }
    if (out.toUtf8().size() <= kMaxRecordingNameBytes) {
        return out;
    }
    const QString extension = QStringLiteral(".wav");
    const bool hasExtension = out.endsWith(extension, Qt::CaseInsensitive);
    QString stem = hasExtension ? out.left(out.size() - extension.size()) : out;
    const QString tail = hasExtension ? out.right(extension.size()) : QString();
    const int budget = kMaxRecordingNameBytes - static_cast<int>(tail.toUtf8().size());
    while (!stem.isEmpty() && stem.toUtf8().size() > budget) {
        stem.chop(stem.size() >= 2 && stem.at(stem.size() - 1).isLowSurrogate() ? 2 : 1);
    }
    return stem + tail;
}

QString tempFileName(int line)
{
    return QStringLiteral("qlnt") + QString::number(line);
}

} // namespace qlnrec::audio

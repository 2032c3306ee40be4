#include "audio/default_prompts.h"

#include "core/program_texts.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qlnrec::audio {

namespace {
const char* const kLanguages[] = {"en", "zh-CN", "zh-TW"};

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// True when the file holds exactly one of the shipped versions of the prompt.
bool isShippedPrompt(const QString& path, const QString& name)
{
    const QByteArray existing = readAll(path);
    if (existing.isEmpty()) {
        return false;
    }
    for (const char* language : kLanguages) {
        if (existing == readAll(QStringLiteral(":/prompts/%1/%2").arg(QLatin1String(language), name))) {
            return true;
        }
    }
    return false;
}

bool writeFile(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = file.errorString();
        return false;
    }
    QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    return true;
}
} // namespace

QStringList promptFileNames()
{
    return {QStringLiteral("Greeting.wav"), QStringLiteral("legal.wav"), QStringLiteral("donotcall.wav"),
            QStringLiteral("01.wav"),       QStringLiteral("02.wav"),    QStringLiteral("03.wav"),
            QStringLiteral("04.wav")};
}

QString shippedPromptResource(int languageOffset, const QString& name)
{
    const int index = languageOffset == 1000 ? 1 : languageOffset == 2000 ? 2 : 0;
    return QStringLiteral(":/prompts/%1/%2").arg(QLatin1String(kLanguages[index]), name);
}

DefaultPromptsResult installDefaultPrompts(const QString& programFolder, int languageOffset)
{
    DefaultPromptsResult result;
    for (const QString& name : promptFileNames()) {
        const QString path = programFolder + QLatin1Char('/') + name;
        const QByteArray wanted = readAll(shippedPromptResource(languageOffset, name));
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            if (!isShippedPrompt(path, name) || readAll(path) == wanted) {
                continue;
            }
        }
        QString error;
        if (wanted.isEmpty()) {
            result.failed.append(
                core::programText(core::ProgramText::DefaultPromptMissing, languageOffset).arg(name));
        } else if (writeFile(path, wanted, &error)) {
            result.written.append(name);
        } else {
            result.failed.append(QStringLiteral("%1: %2").arg(name, error));
        }
    }
    return result;
}

} // namespace qlnrec::audio

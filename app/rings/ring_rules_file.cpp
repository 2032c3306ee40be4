#include "app/rings/ring_rules_file.h"

#include "records/status_log.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace qlnrec::app {

namespace {
constexpr QFileDevice::Permissions kPrivateFile = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
const QByteArray kLineEnd = QByteArrayLiteral("\r\n");
} // namespace

namespace ring_rule_layout {

QString listForm(const QString& fileLine)
{
    const QString days = fileLine.mid(kFixedLength);
    QString entry = fileLine.left(kFixedLength);
    for (int day = 1; day <= kDays; ++day) {
        if (days.contains(QString::number(day))) {
            entry += QLatin1Char(',') + QLatin1String(kDayNames[static_cast<std::size_t>(day - 1)]);
        }
    }
    return entry;
}

QString fileLine(const QString& listEntry)
{
    const QString names = listEntry.mid(kFixedLength);
    QString line = listEntry.left(kFixedLength);
    for (int day = 1; day <= kDays; ++day) {
        if (names.contains(QLatin1String(kDayNames[static_cast<std::size_t>(day - 1)]))) {
            line += QLatin1Char(',') + QString::number(day);
        }
    }
    return line;
}

} // namespace ring_rule_layout

RingRulesFile::RingRulesFile(const QString& programFolder)
    : path_(programFolder + QStringLiteral("/Rings.txt"))
{
}

bool RingRulesFile::exists() const
{
    return QFileInfo::exists(path_);
}

std::optional<QStringList> RingRulesFile::readLines() const
{
    QStringList lines;
    if (!records::StatusLog::readLogLines(path_, lines)) {
        return std::nullopt;
    }
    return lines;
}

bool RingRulesFile::appendLine(const QString& line)
{
    QFile file(path_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append, kPrivateFile)) {
        return false;
    }
    const QByteArray bytes = line.toUtf8() + kLineEnd;
    return file.write(bytes) == bytes.size();
}

bool RingRulesFile::rewrite(const QStringList& lines)
{
    const bool existed = exists();
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    for (const QString& line : lines) {
        file.write(line.toUtf8() + kLineEnd);
    }
    if (!existed) {
        file.setPermissions(kPrivateFile);
    }
    return file.commit();
}

} // namespace qlnrec::app

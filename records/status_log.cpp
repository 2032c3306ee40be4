#include "records/status_log.h"

#include "core/program_folders.h"
#include "core/strings.h"
#include "platform/core/shell_service.h"
#include "platform/core/text_helpers.h"
#include "records/log_text_decoder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace qlnrec::records {

namespace {

// The first ninety seconds of a day, as fractions of a day; the rollover acts only inside.
constexpr double kRolloverFrom = 1.0 / 86400.0;
constexpr double kRolloverUntil = 0.0010416666666666667;

} // namespace

StatusLog::StatusLog(platform::EventService& events, QString programFolder)
    : events_(events), programFolder_(std::move(programFolder)),
      timLog_(std::make_unique<platform::Timer>(events, kRolloverIntervalMs))
{
    timLog_->setOnTick([this] { timLogTick(); });
}

StatusLog::~StatusLog()
{
    close();
}

QString StatusLog::logFolder() const
{
    return programFolder_ + QStringLiteral("/LogFiles");
}

QString StatusLog::dayFileName(const QDate& date)
{
    return date.toString(QStringLiteral("yy-MM-dd")) + QStringLiteral(".txt");
}

void StatusLog::openAtStart()
{
    core::ProgramFolders::makePrivatePath(logFolder());
    openDayFile(events_.currentDateTime().date());
    timLog_->setEnabled(true);
}

void StatusLog::openDayFile(const QDate& date)
{
    file_.reset();
    currentPath_ = logFolder() + QLatin1Char('/') + dayFileName(date);
    if (!QFileInfo::exists(currentPath_)) {
        file_ = std::make_unique<QFile>(currentPath_);
        // The log holds callers' numbers and names: readable by the user only.
        if (!file_->open(QIODevice::WriteOnly, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
            file_.reset();
        }
        return;
    }
    QStringList earlier;
    if (readLogLines(currentPath_, earlier, legacyEncoding_)) {
        appendToList(earlier);
    }
    // Reopened before pending events run, so a status line added by one of them still reaches
    // the file.
    reopenForAppend();
    events_.processPendingEvents();
}

bool StatusLog::reopenForAppend()
{
    file_ = std::make_unique<QFile>(currentPath_);
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Append,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        file_.reset();
        return false;
    }
    return true;
}

void StatusLog::appendToList(const QStringList& newLines)
{
    if (newLines.isEmpty()) {
        return;
    }
    lines_.append(newLines);
    if (lines_.size() > kListCapacity + kListCapacity / 10) {
        const auto dropped = static_cast<int>(lines_.size()) - kListCapacity;
        lines_.remove(0, dropped);
        if (onLinesDropped) {
            onLinesDropped(dropped);
        }
    }
    const int firstNewRow = std::max(0, static_cast<int>(lines_.size() - newLines.size()));
    if (onLinesAppended) {
        onLinesAppended(firstNewRow);
    }
}

QString StatusLog::stamped(const QString& text) const
{
    // A status line is one line of the day file: a line break or other control character inside
    // the text (a caller name, for instance) would split it, so each becomes a blank.
    return platform::blankControls(text) + QLatin1Char(' ') +
           platform::timeOfDayText(events_.currentDateTime().time());
}

QString StatusLog::addStampedLine(const QString& text)
{
    const QString line = stamped(text);
    appendToList({line});
    if (file_) {
        // Written through at once, so a crash loses no line.
        file_->write(line.toUtf8() + QByteArrayLiteral("\r\n"));
        const bool written = file_->flush();
        if (!written && !writeFailureReported_) {
            // Said once, in the list only, until the file takes lines again: the list goes on.
            writeFailureReported_ = true;
            const QString said = strings_ ? strings_->text(core::ProgramText::DayLogNotWritten)
                                          : core::programText(core::ProgramText::DayLogNotWritten, 0);
            appendToList({stamped(said.arg(currentPath_, file_->errorString()))});
        } else if (written) {
            writeFailureReported_ = false;
        }
    }
    return line;
}

void StatusLog::close()
{
    file_.reset();
    currentPath_.clear();
    timLog_->setEnabled(false);
}

bool StatusLog::isOpen() const
{
    return file_ != nullptr;
}

void StatusLog::timLogTick()
{
    const QDateTime now = events_.currentDateTime();
    const double dayFraction = now.time().msecsSinceStartOfDay() / 86400000.0;
    if (!(dayFraction > kRolloverFrom && dayFraction < kRolloverUntil)) {
        return;
    }
    file_.reset();
    openDayFile(now.date());
}

bool StatusLog::isHeldOpen(const QString& path) const
{
    if (!file_ || currentPath_.isEmpty()) {
        return false;
    }
    const QFileInfo held(currentPath_);
    const QFileInfo other(path);
    if (!other.exists()) {
        return false;
    }
    return held.canonicalFilePath() == other.canonicalFilePath();
}

QStringList StatusLog::readOpenFile()
{
    QStringList lines;
    if (currentPath_.isEmpty()) {
        return lines;
    }
    file_.reset();
    readLogLines(currentPath_, lines, legacyEncoding_);
    reopenForAppend();
    return lines;
}

bool StatusLog::readLogLines(const QString& path, QStringList& lines, const QByteArray& legacyEncoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = file.readAll();
    QList<QByteArray> raw;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        raw << bytes.mid(start, i - start);
        if (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        raw << bytes.mid(start); // last line without an ending
    }
    lines << LogTextDecoder(legacyEncoding).decode(raw);
    return true;
}

bool StatusLog::printLog(const QString& pdfPathForTests)
{
    // Without a shell there is nothing to print with; the caller says so as for a missing printer.
    return shell_ && shell_->printLines(lines_, pdfPathForTests);
}

} // namespace qlnrec::records

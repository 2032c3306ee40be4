#include "blocklist/block_list.h"

#include "platform/core/text_helpers.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cmath>
#include <cstring>

namespace qlnrec::blocklist {

namespace {

constexpr auto kPrivate = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

QByteArray record(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(BlockList::kRecordBytes, '\0');
    qToLittleEndian(bits, bytes.data());
    return bytes;
}

double valueOf(const char* bytes)
{
    const quint64 bits = qFromLittleEndian<quint64>(bytes);
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

} // namespace

BlockList::BlockList(const QString& programFolder) : path_(programFolder + QStringLiteral("/public.tel")) {}

qint64 BlockList::recordCount() const
{
    return QFile(path_).size() / kRecordBytes;
}

void BlockList::load()
{
    QFile file(path_);
    const bool existed = file.exists();
    count_ = 0;
    if (file.open(QIODevice::ReadWrite)) {
        if (!existed) {
            file.setPermissions(kPrivate);
        }
        const QByteArray bytes = file.read(qint64{kMaxNumbers} * kRecordBytes);
        for (qsizetype at = 0; at + kRecordBytes <= bytes.size(); at += kRecordBytes) {
            const double value = valueOf(bytes.constData() + at);
            if (value == 0) {
                break;
            }
            numbers_[static_cast<std::size_t>(count_++)] = value;
        }
    }
    numbers_[static_cast<std::size_t>(count_)] = 0;
}

bool BlockList::rewrite(const QStringList& lines)
{
    QSaveFile file(path_);
    bool written = file.open(QIODevice::WriteOnly);
    if (written) {
        file.setPermissions(kPrivate);
        int kept = 0;
        for (const QString& line : lines) {
            const double value = platform::leadingNumber(line);
            if (value == 0 || std::isnan(value) || kept == kMaxNumbers) {
                continue;
            }
            written = written && file.write(record(value)) == kRecordBytes;
            ++kept;
        }
        written = written ? file.commit() : (file.cancelWriting(), false);
    }
    load();
    return written;
}

bool BlockList::append(double value)
{
    if (value == 0 || std::isnan(value) || count_ >= kMaxNumbers) {
        return false;
    }
    bool written = false;
    {
        QFile file(path_);
        // Behind the last number the table holds: that place is the file's end or a 0 record.
        if (file.open(QIODevice::ReadWrite)) {
            written = file.seek(qint64{count_} * kRecordBytes) && file.write(record(value)) == kRecordBytes;
        }
    }
    load();
    return written;
}

bool BlockList::contains(const QString& number) const
{
    const QString wanted = number.trimmed();
    bool numeric = false;
    const double magnitude = std::fabs(wanted.toDouble(&numeric));
    if (!numeric) {
        return false;
    }
    // Compared as numbers first (fast over a full list); the text then decides, so "0123" or
    // "1e3" never match although their values do.
    for (int i = 0; i < count_; ++i) {
        const double stored = std::fabs(numbers_[static_cast<std::size_t>(i)]);
        if (stored == magnitude && entryText(stored) == wanted) {
            return true;
        }
    }
    return false;
}

QString BlockList::entryText(double value)
{
    // Integer digits for whole numbers below 10^15, exponent form above, as the list always showed.
    return QString::number(value, 'g', 15).toUpper();
}

} // namespace qlnrec::blocklist

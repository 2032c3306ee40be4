#include "platform/modem/modem_probe.h"

#include "platform/modem/at_response.h"
#include "platform/modem/dle_codec.h"

#include <QCollator>
#include <QDir>
#include <QSerialPort>

#include <algorithm>

namespace qlnrec::platform::modem {

namespace {

constexpr int kSliceMs = 50;
constexpr qsizetype kMaxAnswerBytes = 4096;

QString printable(const QString& text, int maxChars)
{
    QString out;
    for (const QChar c : text) {
        if (c.isPrint()) {
            out.append(c);
        }
    }
    out = out.simplified();
    if (out.size() > maxChars) {
        out.truncate(maxChars);
        out = out.trimmed();
    }
    return out;
}

// Sends one command over a port opened in this thread and reads lines until a final result,
// until answerTimeoutMs pass without a byte, or until the answer grows implausibly long.
ProbeReply ask(QSerialPort& port, const QByteArray& command, int answerTimeoutMs, const EventService* clock)
{
    const std::uint32_t startMs = clock ? clock->timeGetTime() : 0;
    const auto overdue = [&] {
        return clock && clock->timeGetTime() - startMs > static_cast<std::uint32_t>(3 * answerTimeoutMs);
    };
    port.write(command + '\r');
    port.waitForBytesWritten(answerTimeoutMs);
    ProbeAnswer answer(command);
    qsizetype received = 0;
    int idleMs = 0;
    while (!answer.complete() && idleMs < answerTimeoutMs && received < kMaxAnswerBytes && !overdue()) {
        if (!port.waitForReadyRead(kSliceMs)) {
            idleMs += kSliceMs;
            if (port.error() != QSerialPort::NoError && port.error() != QSerialPort::TimeoutError) {
                break;
            }
            continue;
        }
        idleMs = 0;
        const QByteArray bytes = port.readAll();
        received += bytes.size();
        answer.feed(bytes);
    }
    return answer.reply();
}

} // namespace

bool ProbeAnswer::feed(const QByteArray& bytes)
{
    decoder_.feed(
        bytes,
        [&](const char* data, std::size_t size) {
            for (std::size_t i = 0; i < size && !done_; ++i) {
                if (!assembler_.push(data[i])) {
                    continue;
                }
                const QByteArray line = assembler_.take().trimmed();
                if (line.compare(command_, Qt::CaseInsensitive) == 0 || isRingLine(line) ||
                    isCallerIdLine(line) || isIgnoredReport(line)) {
                    continue; // echo, or a call arriving during the probe
                }
                const ResultCode result = classifyResult(line);
                if (result != ResultCode::None) {
                    reply_.result = result;
                    done_ = true;
                } else {
                    reply_.lines.append(line);
                }
            }
        },
        [](char) {});
    return done_;
}

void readIdentity(ModemIdentity& id, const ProbeAsk& ask)
{
    ask("ATE0V1");
    if (const ProbeReply chip = ask("ATI3"); chip.ok()) {
        id.chip = identificationText(chip.lines);
    }
    if (const ProbeReply m = ask("AT+FMI?"); m.ok()) {
        id.manufacturer = identificationText(m.lines);
    }
    if (const ProbeReply m = ask("AT+FMM?"); m.ok()) {
        id.model = identificationText(m.lines);
    }
    if (id.manufacturer.isEmpty() && id.model.isEmpty()) {
        if (const ProbeReply m = ask("AT+GMI"); m.ok()) {
            id.manufacturer = identificationText(m.lines);
        }
        if (const ProbeReply m = ask("AT+GMM"); m.ok()) {
            id.model = identificationText(m.lines);
        }
    }
    ProbeReply info = ask("ATI");
    if (!info.ok()) {
        info = ask("ATI0"); // Lucent chips refuse plain ATI
    }
    if (info.ok()) {
        id.info = identificationText(info.lines);
    }
    if (const ProbeReply classes = ask("AT+FCLASS=?"); classes.ok()) {
        id.classes = parseClassList(classes.lines);
        id.voice = id.classes.contains(8);
    }
    if (!id.voice) {
        if (const ProbeReply classes = ask("AT#CLS=?"); classes.ok()) {
            id.hashVoice = parseClassList(classes.lines).contains(8);
        }
    }
}

QList<int> parseClassList(const QList<QByteArray>& lines)
{
    QList<int> classes;
    for (QByteArray line : lines) {
        line = line.trimmed();
        const qsizetype colon = line.indexOf(':');
        if (line.startsWith('+') || line.startsWith('#')) {
            line = colon >= 0 ? line.mid(colon + 1) : QByteArray();
        }
        line.replace('(', ' ').replace(')', ' ');
        for (const QByteArray& piece : line.split(',')) {
            const QByteArray p = piece.trimmed();
            if (p.isEmpty() || p.contains('.')) {
                continue; // "1.0", "2.0": fax service classes, not voice
            }
            const qsizetype dash = p.indexOf('-');
            bool okLo = false;
            bool okHi = false;
            if (dash > 0) {
                const int lo = p.left(dash).trimmed().toInt(&okLo);
                const int hi = p.mid(dash + 1).trimmed().toInt(&okHi);
                if (okLo && okHi && lo <= hi && hi - lo < 64) {
                    for (int v = lo; v <= hi; ++v) {
                        classes.append(v);
                    }
                }
            } else {
                const int v = p.toInt(&okLo);
                if (okLo) {
                    classes.append(v);
                }
            }
        }
    }
    return classes;
}

QString identificationText(const QList<QByteArray>& lines)
{
    for (QByteArray line : lines) {
        line = line.trimmed();
        if (line.startsWith('+') || line.startsWith('#')) {
            const qsizetype colon = line.indexOf(':');
            if (colon < 0) {
                continue;
            }
            line = line.mid(colon + 1).trimmed();
        }
        if (line.startsWith('"') && line.endsWith('"') && line.size() >= 2) {
            line = line.mid(1, line.size() - 2);
        }
        const QString text = printable(QString::fromLatin1(line), 60);
        if (!text.isEmpty()) {
            return text;
        }
    }
    return {};
}

QString ModemIdentity::description() const
{
    if (!manufacturer.isEmpty() && !model.isEmpty()) {
        return model.contains(manufacturer, Qt::CaseInsensitive) ? model
                                                                 : manufacturer + QLatin1Char(' ') + model;
    }
    // ATI3 usually names the product; a bare number ("56000") says little.
    bool chipIsNumber = false;
    chip.toLongLong(&chipIsNumber);
    if (!chip.isEmpty() && !chipIsNumber) {
        return manufacturer.isEmpty() ? chip : manufacturer + QLatin1Char(' ') + chip;
    }
    if (!model.isEmpty()) {
        return model;
    }
    if (!manufacturer.isEmpty()) {
        return manufacturer;
    }
    bool infoIsNumber = false;
    info.toLongLong(&infoIsNumber);
    if (!info.isEmpty() && !infoIsNumber) {
        return info;
    }
    return {};
}

QString ModemIdentity::displayName() const
{
    QString what = description();
    if (what.isEmpty()) {
        what = (voice || hashVoice) ? QStringLiteral("Voice modem") : QStringLiteral("Modem");
    }
    return what + QStringLiteral(" on ") + port;
}

std::uint32_t ModemIdentity::mediaModes() const
{
    std::uint32_t modes = 0;
    if (voice || hashVoice) {
        // A voice modem serves both people and the answering machine. Reporting interactive
        // voice and data alone (exactly 20) is what a voice-less line looks like to the setup
        // dialog, which would then refuse every real modem.
        modes |= 4 | 8; // LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_AUTOMATEDVOICE
    }
    if (answered) {
        modes |= 16; // LINEMEDIAMODE_DATAMODEM
    }
    return modes;
}

bool ModemIdentity::isUsRobotics() const
{
    const QString all =
        manufacturer + QLatin1Char(' ') + model + QLatin1Char(' ') + chip + QLatin1Char(' ') + info;
    return all.contains(QLatin1String("Robotics"), Qt::CaseInsensitive) ||
           all.contains(QLatin1String("USR"), Qt::CaseSensitive) ||
           all.contains(QLatin1String("3Com"), Qt::CaseInsensitive);
}

ModemIdentity probeModem(const QString& port, int baudRate, int answerTimeoutMs, const EventService* clock)
{
    const auto ask = [clock](QSerialPort& serial, const QByteArray& command, int timeoutMs) {
        return modem::ask(serial, command, timeoutMs, clock);
    };
    ModemIdentity id;
    id.port = port;
    QSerialPort serial;
    serial.setPortName(port);
    if (!serial.open(QIODevice::ReadWrite)) {
        id.error = serial.errorString();
        return id;
    }
    serial.setBaudRate(baudRate);
    serial.setDataBits(QSerialPort::Data8);
    serial.setParity(QSerialPort::NoParity);
    serial.setStopBits(QSerialPort::OneStop);
    serial.setFlowControl(QSerialPort::NoFlowControl);
    serial.clearError();
    serial.readAll();

    ProbeReply r = ask(serial, "AT", answerTimeoutMs);
    if (!r.ok()) {
        // A modem left in a voice stream by an earlier program takes these as the end of it.
        serial.write(QByteArray{} + kDle + '!' + kDle + '^' + kDle + kEtx + "\r");
        serial.waitForBytesWritten(answerTimeoutMs);
        serial.waitForReadyRead(answerTimeoutMs);
        serial.readAll();
        r = ask(serial, "AT", answerTimeoutMs);
    }
    if (!r.ok()) {
        id.error = QStringLiteral("no answer to AT");
        return id;
    }
    id.answered = true;
    readIdentity(id, [&](const QByteArray& command) { return ask(serial, command, answerTimeoutMs); });
    serial.close();
    return id;
}

QStringList candidateModemPorts(const QStringList& extra)
{
    QStringList found;
    const QDir dev(QStringLiteral("/dev"));
    QStringList names = dev.entryList({QStringLiteral("ttyACM*"), QStringLiteral("ttyUSB*")}, QDir::System);
    QCollator collator;
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    for (const QString& name : names) {
        found.append(dev.filePath(name));
    }
    for (const QString& port : extra) {
        const QString p = port.trimmed();
        if (!p.isEmpty() && !found.contains(p)) {
            found.append(p);
        }
    }
    return found;
}

} // namespace qlnrec::platform::modem

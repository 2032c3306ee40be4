#include "platform/modem/caller_id_parser.h"

#include <cctype>

namespace qlnrec::platform::modem {

namespace {

CallerIdField fieldFrom(const QByteArray& raw, int maxBytes)
{
    const QByteArray value = cleanCallerIdText(raw, maxBytes);
    if (value.isEmpty()) {
        return CallerIdField::absent();
    }
    const QByteArray upper = value.toUpper();
    // "P" private (withheld by the caller), "O" out of area / unavailable; some exchanges send
    // "A" for anonymous.
    if (upper == "P" || upper == "A" || upper == "PRIVATE" || upper == "ANONYMOUS") {
        return CallerIdField::privateField();
    }
    if (upper == "O" || upper == "OUT-OF-AREA" || upper == "UNAVAILABLE") {
        return CallerIdField::unavailable();
    }
    return CallerIdField::present(value);
}

// Parameter and message types of the caller-ID data link (Bell 202 / V.23 FSK).
constexpr unsigned char kSingleMessage = 0x04;
constexpr unsigned char kMultipleMessage = 0x80;
constexpr unsigned char kParamDateTime = 0x01;
constexpr unsigned char kParamNumber = 0x02;
constexpr unsigned char kParamNoNumberReason = 0x04;
constexpr unsigned char kParamName = 0x07;
constexpr unsigned char kParamNoNameReason = 0x08;

void takeDateTime(const QByteArray& value, CallerIdReport& report)
{
    if (value.size() >= 8) {
        report.date = cleanCallerIdText(value.left(4), 8);
        report.time = cleanCallerIdText(value.mid(4, 4), 8);
    }
}

} // namespace

std::optional<CallerIdReport> parseCallerIdPacket(const QByteArray& hexLine)
{
    const QByteArray hex = hexLine.trimmed();
    // Type, length and checksum at least; only hex digits, in pairs.
    if (hex.size() < 6 || hex.size() % 2 != 0 || hex.size() > 1024) {
        return std::nullopt;
    }
    for (const char c : hex) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
    }
    const QByteArray bytes = QByteArray::fromHex(hex);
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes.at(i)); };
    const unsigned char type = at(0);
    const qsizetype length = at(1);
    if ((type != kSingleMessage && type != kMultipleMessage) || bytes.size() != length + 3) {
        return std::nullopt;
    }
    unsigned sum = 0;
    for (const char b : bytes) {
        sum += static_cast<unsigned char>(b);
    }
    if ((sum & 0xFF) != 0) {
        return std::nullopt;
    }
    const QByteArray body = bytes.mid(2, length);
    CallerIdReport report;
    if (type == kSingleMessage) {
        takeDateTime(body, report);
        report.number = fieldFrom(body.mid(8), kMaxCallerNumberBytes);
        return report;
    }
    for (qsizetype i = 0; i + 2 <= body.size();) {
        const unsigned char param = static_cast<unsigned char>(body.at(i));
        const qsizetype size = static_cast<unsigned char>(body.at(i + 1));
        if (i + 2 + size > body.size()) {
            return std::nullopt; // a parameter that claims more than the packet holds
        }
        const QByteArray value = body.mid(i + 2, size);
        switch (param) {
        case kParamDateTime:
            takeDateTime(value, report);
            break;
        case kParamNumber:
        case kParamNoNumberReason:
            report.number = fieldFrom(value, kMaxCallerNumberBytes);
            break;
        case kParamName:
        case kParamNoNameReason:
            report.name = fieldFrom(value, kMaxCallerNameBytes);
            break;
        default:
            report.messages.append(value.toHex().toUpper());
            break;
        }
        i += 2 + size;
    }
    return report;
}

QByteArray cleanCallerIdText(const QByteArray& value, int maxBytes)
{
    QByteArray out;
    out.reserve(value.size());
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            continue;
        }
        out.append(c);
    }
    out = out.trimmed();
    if (out.size() > maxBytes) {
        out.truncate(maxBytes);
        // Do not leave half of a UTF-8 character at the end.
        qsizetype i = out.size() - 1;
        int continuation = 0;
        while (i >= 0 && (static_cast<unsigned char>(out.at(i)) & 0xC0) == 0x80) {
            --i;
            ++continuation;
        }
        if (i >= 0) {
            const auto lead = static_cast<unsigned char>(out.at(i));
            const int needed = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
            if (continuation < needed) {
                out.truncate(i);
            }
        }
        out = out.trimmed();
    }
    return out;
}

bool CallerIdCollector::addLine(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0) {
        const std::optional<CallerIdReport> packet = parseCallerIdPacket(line);
        if (!packet) {
            return false;
        }
        report_ = *packet;
        return true;
    }
    const QByteArray tag = line.left(eq).trimmed().toUpper();
    const QByteArray value = line.mid(eq + 1);
    if (tag == "DATE") {
        report_.date = cleanCallerIdText(value, 8);
    } else if (tag == "TIME") {
        report_.time = cleanCallerIdText(value, 8);
    } else if (tag == "NMBR" || tag == "DDN_NMBR" || tag == "DDN") {
        // Some exchanges follow the number with "NMBR = O"; the first number wins.
        if (report_.number.kind != CallerIdField::Kind::Present) {
            const CallerIdField f = fieldFrom(value, kMaxCallerNumberBytes);
            if (f.kind != CallerIdField::Kind::Absent) {
                report_.number = f;
            }
        }
    } else if (tag == "NAME") {
        if (report_.name.kind != CallerIdField::Kind::Present) {
            const CallerIdField f = fieldFrom(value, kMaxCallerNameBytes);
            if (f.kind != CallerIdField::Kind::Absent) {
                report_.name = f;
            }
        }
    } else if (tag == "MESG") {
        report_.messages.append(cleanCallerIdText(value, 256));
    } else if (tag == "MSG_WAITING" || tag == "MWI") {
        report_.messages.append(tag + '=' + cleanCallerIdText(value, 32));
    } else {
        return false;
    }
    return true;
}

CallerIdReport CallerIdCollector::take()
{
    CallerIdReport out = report_;
    report_ = {};
    return out;
}

} // namespace qlnrec::platform::modem

#include "platform/modem/caller_id_parser.h"

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

} // namespace

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
        return false;
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

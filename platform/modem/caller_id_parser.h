#pragma once
// Formatted caller-ID reports of voice modems (+VCID=1, #CID=1): one "TAG = value" line per
// field, with or without blanks around "=", before or after the first ring, bare or inside a
// <DLE>X ... <DLE>. packet:
//   DATE = MMDD   TIME = HHMM   NMBR = number | P (private) | O (unavailable)   NAME = name
//   MESG = parameters the modem did not recognise, as hex
// and unformatted reports (+VCID=2, #CID=2): the whole single- or multiple-data-message packet as
// one line of hex digits, which the modem passes on without checking its checksum.
#include "platform/telephony/line_device.h"

#include <QByteArray>
#include <QList>

#include <optional>

namespace qlnrec::platform::modem {

struct CallerIdReport {
    QByteArray date; // "MMDD" as sent
    QByteArray time; // "HHMM" as sent
    CallerIdField number;
    CallerIdField name;
    QList<QByteArray> messages; // MESG values
    bool empty() const
    {
        return date.isEmpty() && time.isEmpty() && number.kind == CallerIdField::Kind::Absent &&
               name.kind == CallerIdField::Kind::Absent && messages.isEmpty();
    }
    CallerId callerId() const { return CallerId{number, name}; }
};

// Longest number and name kept; telcos send at most 15 name characters.
inline constexpr int kMaxCallerNumberBytes = 40;
inline constexpr int kMaxCallerNameBytes = 64;

// Collects the lines of one report.
class CallerIdCollector {
public:
    // Takes one line; returns false when it is not a caller-ID line (nothing changes then).
    bool addLine(const QByteArray& line);
    bool hasData() const { return !report_.empty(); }
    const CallerIdReport& report() const { return report_; }
    CallerIdReport take();
    void clear() { report_ = {}; }

private:
    CallerIdReport report_;
};

// The report of one unformatted packet line; nullopt when the line is not a whole packet with a
// good checksum (a damaged packet names no caller rather than a wrong one).
std::optional<CallerIdReport> parseCallerIdPacket(const QByteArray& hexLine);

// The value of one field with control bytes removed and blanks trimmed, cut to maxBytes.
QByteArray cleanCallerIdText(const QByteArray& value, int maxBytes);

} // namespace qlnrec::platform::modem

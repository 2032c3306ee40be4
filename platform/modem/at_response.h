#pragma once
// Lines a modem sends in command state: final result codes of a command, unsolicited reports
// (rings, caller-ID tags, cadence reports) and information text.
#include <QByteArray>

#include <cstddef>
#include <functional>

namespace qlnrec::platform::modem {

enum class ResultCode {
    None, // not a final result: information text or an unsolicited report
    Ok,
    Error,
    Connect,
    Vcon,
    Busy,
    NoDialTone,
    NoAnswer,
    NoCarrier,
};

// Classifies one line (without its line end) as a final result code. Verbose codes only; a
// "CONNECT <speed>" counts as Connect, "+CME ERROR: n" as Error.
ResultCode classifyResult(const QByteArray& line);
const char* resultName(ResultCode code);

// A ring report: "RING", "RING 1", "RING A", "RING;from;to", "RINGING" is not one (it is call
// progress of a dialled call).
bool isRingLine(const QByteArray& line);

// Caller-ID and cadence tags that arrive as "TAG = value" or "TAG=value" lines.
bool isCallerIdLine(const QByteArray& line);
// Other informational reports that carry nothing for us (cadence, call waiting, CID checksum).
bool isIgnoredReport(const QByteArray& line);

// Cuts the command-state text stream into lines at CR or LF; empty lines are dropped. Lines
// longer than maxLineBytes are cut there and flagged as overlong (a sign of garbage).
class LineAssembler {
public:
    explicit LineAssembler(std::size_t maxLineBytes = 512) : maxLineBytes_(maxLineBytes) {}
    // Feeds one byte; returns true when a line is complete (read it with take()).
    bool push(char byte);
    QByteArray take();
    bool lastWasOverlong() const { return overlong_; }
    bool hasPartial() const { return !current_.isEmpty(); }
    const QByteArray& partial() const { return current_; }
    void clear();

private:
    std::size_t maxLineBytes_;
    QByteArray current_;
    QByteArray done_;
    bool overlong_ = false;
};

// True when a line has so many control or non-ASCII bytes that it cannot be modem text.
bool looksLikeGarbage(const QByteArray& line);

} // namespace qlnrec::platform::modem

#include "platform/modem/at_response.h"

#include "platform/modem/caller_id_parser.h"

#include <cctype>

namespace qlnrec::platform::modem {

namespace {

QByteArray normalised(const QByteArray& line)
{
    return line.trimmed().toUpper();
}

bool startsWithWord(const QByteArray& upper, const char* word)
{
    const QByteArray w(word);
    if (!upper.startsWith(w)) {
        return false;
    }
    if (upper.size() == w.size()) {
        return true;
    }
    const char next = upper.at(w.size());
    return !std::isalnum(static_cast<unsigned char>(next)) && next != '_';
}

// The tag of a "TAG = value" line, upper case, or empty.
QByteArray tagOf(const QByteArray& line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq <= 0) {
        return {};
    }
    return line.left(eq).trimmed().toUpper();
}

} // namespace

ResultCode classifyResult(const QByteArray& line)
{
    const QByteArray u = normalised(line);
    if (u == "OK") {
        return ResultCode::Ok;
    }
    if (u == "ERROR" || u.startsWith("+CME ERROR") || u.startsWith("+CMS ERROR")) {
        return ResultCode::Error;
    }
    if (startsWithWord(u, "CONNECT")) {
        return ResultCode::Connect;
    }
    if (u == "VCON") {
        return ResultCode::Vcon;
    }
    if (u == "BUSY") {
        return ResultCode::Busy;
    }
    if (u == "NO DIALTONE" || u == "NO DIAL TONE") {
        return ResultCode::NoDialTone;
    }
    if (u == "NO ANSWER") {
        return ResultCode::NoAnswer;
    }
    if (u == "NO CARRIER") {
        return ResultCode::NoCarrier;
    }
    return ResultCode::None;
}

const char* resultName(ResultCode code)
{
    switch (code) {
    case ResultCode::None:
        return "none";
    case ResultCode::Ok:
        return "OK";
    case ResultCode::Error:
        return "ERROR";
    case ResultCode::Connect:
        return "CONNECT";
    case ResultCode::Vcon:
        return "VCON";
    case ResultCode::Busy:
        return "BUSY";
    case ResultCode::NoDialTone:
        return "NO DIALTONE";
    case ResultCode::NoAnswer:
        return "NO ANSWER";
    case ResultCode::NoCarrier:
        return "NO CARRIER";
    }
    return "?";
}

bool isRingLine(const QByteArray& line)
{
    const QByteArray u = normalised(line);
    if (!u.startsWith("RING")) {
        return false;
    }
    if (u.size() == 4) {
        return true;
    }
    // "RINGING" and "RINGBACK" are progress of a dialled call.
    const char next = u.at(4);
    if (std::isalpha(static_cast<unsigned char>(next))) {
        return false;
    }
    return true;
}

bool isCallerIdLine(const QByteArray& line)
{
    const QByteArray tag = tagOf(line);
    return tag == "DATE" || tag == "TIME" || tag == "NMBR" || tag == "NAME" || tag == "MESG" ||
           tag == "DDN_NMBR" || tag == "DDN" || tag == "MSG_WAITING" || tag == "MWI" ||
           parseCallerIdPacket(line).has_value();
}

bool isIgnoredReport(const QByteArray& line)
{
    const QByteArray tag = tagOf(line);
    if (tag == "DRON" || tag == "DROF") {
        return true;
    }
    const QByteArray u = normalised(line);
    for (const char* word :
         {"ERRM", "NDID", "CPON", "CPOF", "CWON", "CWOF", "SITT", "ASTB", "RINGING", "RINGBACK"}) {
        if (startsWithWord(u, word)) {
            return true;
        }
    }
    return false;
}

bool LineAssembler::push(char byte)
{
    if (byte == '\r' || byte == '\n') {
        if (current_.isEmpty()) {
            return false;
        }
        done_ = current_;
        current_.clear();
        overlong_ = false;
        return true;
    }
    current_.append(byte);
    if (static_cast<std::size_t>(current_.size()) >= maxLineBytes_) {
        done_ = current_;
        current_.clear();
        overlong_ = true;
        return true;
    }
    return false;
}

QByteArray LineAssembler::take()
{
    QByteArray out;
    out.swap(done_);
    return out;
}

void LineAssembler::clear()
{
    current_.clear();
    done_.clear();
    overlong_ = false;
}

bool looksLikeGarbage(const QByteArray& line)
{
    if (line.isEmpty()) {
        return false;
    }
    int odd = 0;
    for (const char c : line) {
        const auto u = static_cast<unsigned char>(c);
        // Tabs are text; other controls and bytes above 0x7E rarely appear in modem answers
        // (caller names may carry a few accented letters).
        if ((u < 0x20 && u != '\t') || u == 0x7F) {
            odd += 2;
        } else if (u > 0x7E) {
            odd += 1;
        }
    }
    return odd * 4 > static_cast<int>(line.size()) * 2;
}

} // namespace qlnrec::platform::modem

#include "platform/modem/modem_commands.h"

#include <algorithm>
#include <cctype>

namespace qlnrec::platform::modem {

QByteArray initCommandWithX3(const QString& userInit)
{
    QByteArray text;
    for (const QChar c : userInit) {
        const ushort u = c.unicode();
        if (u > 0x20 && u < 0x7F) {
            text.append(static_cast<char>(u));
        }
    }
    if (text.startsWith("AT") || text.startsWith("at") || text.startsWith("At") || text.startsWith("aT")) {
        text.remove(0, 2);
    }
    if (!text.toUpper().contains("X3")) {
        // After an extended command ("+VSD=128,50", Conexant's "-STE=1") a basic one needs a
        // semicolon before it.
        bool extended = false;
        for (const char c : text) {
            if (QByteArray("+#%*$!-").contains(c)) {
                extended = true;
            } else if (c == ';') {
                extended = false;
            }
        }
        text.append(extended ? ";X3" : "X3");
    }
    return "AT" + text;
}

QByteArray sanitizeDialString(const QByteArray& address)
{
    static const QByteArray allowed("0123456789*#ABCD,TPW!@");
    QByteArray out;
    bool digit = false;
    for (const char raw : address) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
        if (allowed.contains(c)) {
            out.append(c);
            digit = digit || std::isdigit(static_cast<unsigned char>(c)) || c == '*' || c == '#';
        }
    }
    if (!digit) {
        return {};
    }
    return out.left(60);
}

namespace {

std::uint32_t toUnits(std::uint32_t durationMs, std::uint32_t unitMs)
{
    return std::max<std::uint32_t>(1, (durationMs + unitMs / 2) / unitMs);
}

} // namespace

QByteArray toneArgument(const std::vector<std::uint32_t>& frequenciesHz, std::uint32_t durationMs,
                        std::uint32_t unitMs)
{
    auto clampHz = [](std::uint32_t hz) -> std::uint32_t {
        if (hz == 0) {
            return 0;
        }
        return std::clamp<std::uint32_t>(hz, 200, 3000);
    };
    const std::uint32_t f1 = frequenciesHz.empty() ? 0 : clampHz(frequenciesHz[0]);
    const std::uint32_t f2 = frequenciesHz.size() < 2 ? 0 : clampHz(frequenciesHz[1]);
    std::uint32_t units = toUnits(durationMs, unitMs);
    QByteArray out;
    // One item lasts at most 255 units; longer tones are several items in a row.
    while (units > 0) {
        const std::uint32_t part = std::min<std::uint32_t>(units, 255);
        if (!out.isEmpty()) {
            out.append(',');
        }
        out.append('[').append(QByteArray::number(f1)).append(',').append(QByteArray::number(f2)).append(',');
        out.append(QByteArray::number(part)).append(']');
        units -= part;
    }
    return out;
}

QByteArray digitsArgument(const QByteArray& digits, std::uint32_t unitMs)
{
    static const QByteArray dtmf("0123456789*#ABCD");
    QByteArray out;
    for (const char raw : digits) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(raw)));
        QByteArray item;
        if (dtmf.contains(c)) {
            item = QByteArray(1, c);
        } else if (c == ',') {
            item = "[0,0," + QByteArray::number(toUnits(500, unitMs)) + ']';
        } else {
            continue;
        }
        if (!out.isEmpty()) {
            out.append(',');
        }
        out.append(item);
    }
    return out;
}

} // namespace qlnrec::platform::modem

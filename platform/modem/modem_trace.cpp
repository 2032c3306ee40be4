#include "platform/modem/modem_trace.h"

#include "platform/modem/dle_codec.h"

#include <cstdio>

namespace qlnrec::platform::modem {

bool traceEnabled()
{
    static const bool on = qEnvironmentVariableIntValue("QLNREC_MODEM_DEBUG") != 0;
    return on;
}

QByteArray visible(const QByteArray& bytes)
{
    QByteArray out;
    for (const char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7F) {
            out.append(c);
        } else if (c == kDle) {
            out.append("<DLE>");
        } else if (c == '\r') {
            out.append("<CR>");
        } else {
            out.append('<').append(QByteArray::number(u, 16)).append('>');
        }
    }
    return out;
}

void trace(const QString& port, const QByteArray& text)
{
    if (traceEnabled()) {
        std::fprintf(stderr, "[modem %s] %s\n", qPrintable(port), text.constData());
    }
}

} // namespace qlnrec::platform::modem

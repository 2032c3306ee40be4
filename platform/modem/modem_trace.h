#pragma once
// The line's conversation with its modem on standard error, when QLNREC_MODEM_DEBUG is set.
#include <QByteArray>
#include <QString>

namespace qlnrec::platform::modem {

bool traceEnabled();
// Bytes as text: control characters spelled out (<DLE>, <CR>, <1a>).
QByteArray visible(const QByteArray& bytes);
void trace(const QString& port, const QByteArray& text);

} // namespace qlnrec::platform::modem

#pragma once
// Command lines built from what the program or the user asks for.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace qlnrec::platform::modem {

// The user's initialisation commands as one command line with X3 (result codes with busy
// detection) appended unless they already contain it: "M0" gives "ATM0X3", "" gives "ATX3",
// "+VSD=128,50" gives "AT+VSD=128,50;X3". Anything that is not printable ASCII is removed.
QByteArray initCommandWithX3(const QString& userInit);
// A dial string the modem accepts: digits, * # A-D, pauses and modifiers (T P W ! @ ,); blanks,
// dashes, brackets and everything else removed. Empty when no digit is left.
QByteArray sanitizeDialString(const QByteArray& address);
// The +VTS argument for a tone ("[f1,f2,d]" items, d in the modem's time unit) and for digits.
QByteArray toneArgument(const std::vector<std::uint32_t>& frequenciesHz, std::uint32_t durationMs,
                        std::uint32_t unitMs);
QByteArray digitsArgument(const QByteArray& digits, std::uint32_t unitMs);

} // namespace qlnrec::platform::modem

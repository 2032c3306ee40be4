#pragma once
// The simulated modem's own sample formats, written from the G.711 definitions independently of
// the line provider's converter, so the tests compare two implementations.
#include <QByteArray>

#include <cstdint>
#include <vector>

namespace qlnrec::modemsim {

enum class SimFormat { None, Signed16, Unsigned8, Signed8, MuLaw, ALaw };

const char* simFormatName(SimFormat format);
int simBytesPerSample(SimFormat format);
std::uint8_t simSilenceByte(SimFormat format);

std::int16_t simDecodeSample(SimFormat format, std::uint8_t low, std::uint8_t high = 0);
std::vector<std::int16_t> simDecode(SimFormat format, const QByteArray& bytes);
// Encodes each sample as the code whose value lies nearest (G.711) or by truncation (linear).
QByteArray simEncode(SimFormat format, const std::vector<std::int16_t>& samples);
// What survives a trip through the format: simDecode(simEncode(samples)).
std::vector<std::int16_t> simRoundTrip(SimFormat format, const std::vector<std::int16_t>& samples);

} // namespace qlnrec::modemsim

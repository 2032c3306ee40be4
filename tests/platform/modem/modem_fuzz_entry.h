#pragma once
#include <cstddef>
#include <cstdint>

namespace qlnrec::test {

// Runs every parser of what a modem sends over one input: the command/stream channel fed in
// pieces (the first byte chooses a command, a stream or none), caller-ID lines, +VSM / +VLS /
// +FCLASS listings and identification text. Returns 0; a fault shows as a crash or a sanitizer
// report.
int fuzzModemOnce(const std::uint8_t* data, std::size_t size);

} // namespace qlnrec::test

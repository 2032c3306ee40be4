#pragma once
#include <cstddef>
#include <cstdint>

namespace qlnrec::test {

// Runs the codec over one arbitrary input: the bytes decoded as TrueSpeech (whole and through
// the stream decoder in ragged pieces, which must agree), and read as PCM, encoded and decoded
// again (the encoder's view of the decoder must match the decoder). Returns 0; a fault shows as
// an abort or a sanitizer report.
int fuzzCodecOnce(const std::uint8_t* data, std::size_t size);

} // namespace qlnrec::test

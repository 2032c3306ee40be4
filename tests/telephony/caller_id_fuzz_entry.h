#pragma once
// Fuzz entry for the caller-ID copy out of a call-information buffer: the bytes are the buffer
// exactly as a provider might fill it, offsets and sizes included. Returns 0; a read outside the
// buffer shows as a sanitizer report, text that could break a line as an abort.
#include <cstddef>
#include <cstdint>

namespace qlnrec::test {

int fuzzCallerIdInfoOnce(const std::uint8_t* data, std::size_t size);

} // namespace qlnrec::test

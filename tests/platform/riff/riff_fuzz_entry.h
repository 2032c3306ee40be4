#pragma once
#include <cstddef>
#include <cstdint>

namespace qlnrec::test {

// Runs every RIFF reading path over one input: the whole-file reader, and a walk of every
// chunk with descend/read/ascend. Returns 0; a fault shows as a crash or sanitizer report.
int fuzzRiffOnce(const std::uint8_t* data, std::size_t size);

} // namespace qlnrec::test

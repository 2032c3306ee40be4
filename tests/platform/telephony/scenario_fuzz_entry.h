#pragma once
// One fuzzing step over outside data the simulated lines read: scenario text and WAVE bytes.
// Shared by the libFuzzer target and by the tests, which run it over random and mutated inputs.
#include <cstddef>
#include <cstdint>

namespace qlnrec::test {

int fuzzScenarioOnce(const std::uint8_t* data, std::size_t size);

} // namespace qlnrec::test

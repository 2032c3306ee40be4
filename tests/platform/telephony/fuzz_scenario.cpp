// libFuzzer entry for scenario files and far-end WAVE data (built with clang only).
#include "tests/platform/telephony/scenario_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return qlnrec::test::fuzzScenarioOnce(data, size);
}

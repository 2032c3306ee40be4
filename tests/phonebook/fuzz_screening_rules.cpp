// libFuzzer entry (built with clang only).
#include "tests/phonebook/store_fuzz_entries.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return qlnrec::test::fuzzScreeningRulesOnce(data, size);
}

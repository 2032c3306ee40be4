// libFuzzer entry for the modem's parsers (built with clang only).
#include "tests/platform/modem/modem_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return qlnrec::test::fuzzModemOnce(data, size);
}

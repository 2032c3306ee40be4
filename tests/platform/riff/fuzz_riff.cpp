// libFuzzer entry for the RIFF reader (built with clang only).
#include "tests/platform/riff/riff_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return qlnrec::test::fuzzRiffOnce(data, size);
}

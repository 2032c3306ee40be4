// libFuzzer entry (built with clang only).
#include "tests/telephony/caller_id_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return qlnrec::test::fuzzCallerIdInfoOnce(data, size);
}

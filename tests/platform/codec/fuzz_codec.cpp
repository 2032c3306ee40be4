// libFuzzer entry for the TrueSpeech codec (built with clang only).
#include "tests/platform/codec/codec_fuzz_entry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return qlnrec::test::fuzzCodecOnce(data, size);
}

// The caller-ID fuzz entry over call-information buffers whose offsets and sizes lie: past the
// end, overlapping the fixed part, wrapping around, and text of every byte value.
#include "tests/telephony/caller_id_fuzz_entry.h"

#include "platform/telephony/tapi_types.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

namespace {

using qlnrec::platform::LINECALLINFO;
using qlnrec::platform::setTapiDword;

TEST(CallerIdFuzzSmoke, LyingOffsetsAndSizesNeverReadOutsideTheBuffer)
{
    QRandomGenerator rng(14);
    const auto pick = [&](std::uint32_t size) -> std::uint32_t {
        switch (rng.bounded(5)) {
        case 0:
            return rng.generate(); // anything, up to a wrap-around
        case 1:
            return size;
        case 2:
            return size - 1 - rng.bounded(4); // near the end
        default:
            return rng.bounded(size + 1);
        }
    };
    for (int round = 0; round < 3000; ++round) {
        const std::uint32_t size = static_cast<std::uint32_t>(sizeof(LINECALLINFO)) + rng.bounded(400);
        std::vector<unsigned char> buffer(size);
        for (unsigned char& b : buffer) {
            b = static_cast<unsigned char>(rng.bounded(256));
        }
        setTapiDword(buffer.data(), offsetof(LINECALLINFO, dwTotalSize), rng.bounded(3) ? size : pick(size));
        setTapiDword(buffer.data(), offsetof(LINECALLINFO, dwUsedSize), pick(size));
        setTapiDword(buffer.data(), offsetof(LINECALLINFO, dwCallerIDFlags), rng.bounded(16) << 2);
        for (std::size_t field :
             {offsetof(LINECALLINFO, dwCallerIDOffset), offsetof(LINECALLINFO, dwCallerIDSize),
              offsetof(LINECALLINFO, dwCallerIDNameOffset), offsetof(LINECALLINFO, dwCallerIDNameSize)}) {
            setTapiDword(buffer.data(), field, pick(size));
        }
        qlnrec::test::fuzzCallerIdInfoOnce(buffer.data(), buffer.size());
    }
    // Shorter than the fixed part, and empty.
    const std::vector<unsigned char> tiny(17, 0xff);
    qlnrec::test::fuzzCallerIdInfoOnce(tiny.data(), tiny.size());
    qlnrec::test::fuzzCallerIdInfoOnce(nullptr, 0);
}

} // namespace

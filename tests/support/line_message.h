#pragma once
// One line message as a test saw it arrive at the line callback.
#include <cstdint>

namespace qlnrec::test {

struct LineMessage {
    std::uint32_t hDevice = 0;
    std::uint32_t msg = 0;
    std::uint32_t instance = 0;
    std::uint32_t p1 = 0;
    std::uint32_t p2 = 0;
    std::uint32_t p3 = 0;
    std::uint64_t atMs = 0; // the clock's time when it arrived
};

} // namespace qlnrec::test

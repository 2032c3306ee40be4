// Level measures: magnitudes in 32-bit (so -32768 counts 32768) and sums that outgrow 32 bits.
#include "sigscan/sigscan.h"

#include <gtest/gtest.h>

#include <vector>

using Samples = std::vector<std::int16_t>;

TEST(Dec, ComparesMagnitudeSumWithCountTimesLevel)
{
    const Samples pair{3, -4};            // magnitude sum 7
    EXPECT_EQ(Dec(pair.data(), 2, 4), 1); // 7 < 8
    EXPECT_EQ(Dec(pair.data(), 2, 3), 0); // 7 < 6 fails
    const Samples equal{3, -3};
    EXPECT_EQ(Dec(equal.data(), 2, 3), 0); // strictly smaller only

    const Samples zeros(8000);
    EXPECT_EQ(Dec(zeros.data(), 8000, 1), 1);
    EXPECT_EQ(Dec(zeros.data(), 8000, 0), 0);
    EXPECT_EQ(Dec(zeros.data(), 8000, -5), 0);
    EXPECT_EQ(Dec(zeros.data(), 0, 100), 0);
    EXPECT_EQ(Dec(zeros.data(), -1, 100), 0);
    EXPECT_EQ(Dec(nullptr, 10, 100), 0);

    const Samples lowest{-32768};
    EXPECT_EQ(Dec(lowest.data(), 1, 32768), 0);
    EXPECT_EQ(Dec(lowest.data(), 1, 32769), 1);
}

TEST(Dec, SumsAndProductsBeyond32Bits)
{
    // 8000 x 300000 overflows 32 bits; the small sum must still compare below it.
    const Samples quiet(8000, 100);
    EXPECT_EQ(Dec(quiet.data(), 8000, 300000), 1);
    // 70000 x 32767 = 2293690000, above 2^31.
    const Samples loud(70000, -32767);
    EXPECT_EQ(Dec(loud.data(), 70000, 32767), 0);
    EXPECT_EQ(Dec(loud.data(), 70000, 32768), 1);
}

TEST(Slc, MeanMagnitudeTruncated)
{
    const Samples pair{3, -4};
    EXPECT_EQ(Slc(pair.data(), 2), 3);
    const Samples lowest(8000, -32768);
    EXPECT_EQ(Slc(lowest.data(), 8000), 32768);
    const Samples loud(70000, -32767);
    EXPECT_EQ(Slc(loud.data(), 70000), 32767);
    const Samples mixed{1, 2, -2};
    EXPECT_EQ(Slc(mixed.data(), 3), 1); // 5 / 3
    EXPECT_EQ(Slc(mixed.data(), 0), 0);
    EXPECT_EQ(Slc(mixed.data(), -3), 0);
    EXPECT_EQ(Slc(nullptr, 3), 0);
}

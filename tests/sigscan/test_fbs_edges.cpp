// Hand-built blocks whose runs and sums are known exactly. Bursts are built at level 100
// (threshold 6800), so a burst with differences at positions a..b sounds at a-9 .. b+8.
#include "tests/sigscan/fbs_model.h"

#include <gtest/gtest.h>

#include <climits>

using namespace qlnrec::sigscan_test;

namespace {

constexpr int kBlock = 8000;
constexpr int kLast = kBlock - 10; // last scanned position of a full block
constexpr std::int32_t kLevel = 100;
const std::int32_t kToneProfiles[] = {3, 4, 5, 6, 8, 100, -1, -7, INT_MIN, INT_MIN + 7, INT_MAX};
const std::int32_t kPlainProfiles[] = {0, 1, 2, 7};

// Expected segment entries, starting from the untouched state.
std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> noSegments()
{
    return FbsOutput{}.segments;
}

} // namespace

TEST(FbsScanLimits, BlocksOf18SamplesOrFewerScanNothing)
{
    Block block(18);
    addBurst(block, 1, 17, 20000);
    for (std::int32_t count : {INT_MIN, -5, 0, 1, 17, 18}) {
        for (std::int32_t pattern : {0, 3}) {
            const FbsOutput out = runFbs(block, 1, pattern, count);
            EXPECT_EQ(out.soundCount, 7000) << count;
            EXPECT_EQ(out.quietCount, 1000) << count;
            EXPECT_EQ(out.segments, noSegments()) << count;
            EXPECT_EQ(out.longTone, pattern == 3 ? 0 : kUntouched) << count;
            // The end position is 9: 9 x level against a total of 0.
            EXPECT_EQ(out.result, 1) << count;
        }
        EXPECT_EQ(runFbs(block, 0, 0, count).result, 0);
        EXPECT_EQ(runFbs(block, -1, 0, count).result, 0);
    }
}

TEST(FbsScanLimits, ScanCoversPositions9ToCountMinus10AndDividesByCountMinus9)
{
    // 19 samples: only position 9 is scanned; d(9) = 100 is summed, d(10) is not; end position 10.
    Block nineteen(19);
    nineteen[9] = 100;
    EXPECT_EQ(runFbs(nineteen, 10, 0).result, 0); // 10 x 10 = 100 is not above 100
    EXPECT_EQ(runFbs(nineteen, 11, 0).result, 1);

    // 100 samples: d(8) = d(9) = 500 and d(90) = d(91) = 1000; only d(9) and d(90) are summed.
    Block hundred(100);
    hundred[8] = 500;
    hundred[90] = 1000;
    EXPECT_EQ(runFbs(hundred, 16, 0).result, 0); // 91 x 16 = 1456 <= 1500
    EXPECT_EQ(runFbs(hundred, 17, 0).result, 1); // 91 x 17 = 1547 > 1500
}

TEST(FbsScanLimits, BlocksLongerThan8009SamplesAreAnalysedAsTheirFirst8009)
{
    Block block(12000);
    for (int i = 0; i < int(block.size()); ++i) {
        block[i] = std::int16_t((i * 7919) % 20011 - 10005);
    }
    addBurst(block, 8500, 11000, 30000);
    for (std::int32_t count : {8010, 12000, INT_MAX}) {
        // INT_MAX is safe with a 12000-sample buffer only because no more than 8009 are read.
        const Block first(block.begin(), block.begin() + 8009);
        EXPECT_EQ(runFbs(block, kLevel, 3, count), runFbs(first, kLevel, 3)) << count;
    }
}

TEST(FbsBlocks, IdenticalSamplesAreQuietEverywhere)
{
    for (std::int16_t value : {std::int16_t(0), std::int16_t(1234), std::int16_t(-32768)}) {
        const Block block(kBlock, value);
        for (std::int32_t pattern : {0, 1, 2, 3, 7, -1}) {
            const FbsOutput out = runFbs(block, 1, pattern);
            EXPECT_EQ(out.soundCount, 7000);
            EXPECT_EQ(out.quietCount, 1000);
            EXPECT_EQ(out.segments, noSegments());
            EXPECT_EQ(out.result, 1);
        }
        EXPECT_EQ(runFbs(block, 1, 3).longTone, 0);
        EXPECT_EQ(runFbs(block, 0, 3).result, 0);
    }
    // Threshold 18 x level + 5000: level -278 gives -4, so a zero window already sounds.
    EXPECT_EQ(runFbs(Block(kBlock), -278, 3).longTone, 1);
    EXPECT_EQ(runFbs(Block(kBlock), -277, 3).longTone, 0);
}

TEST(FbsBlocks, WindowEqualToThresholdCountsAsSound)
{
    // Differences repeating with period 18 (seventeen 279s and one 275): every window sums to
    // exactly 5018, the threshold of level 1.
    Block block(kBlock);
    for (int m = 1; m < kBlock; ++m) {
        const int d = (m % 18 == 0) ? 275 : 279;
        block[m] = std::int16_t(block[m - 1] > 0 ? block[m - 1] - d : block[m - 1] + d);
    }
    EXPECT_EQ(runFbs(block, 1, 3).longTone, 1);
    EXPECT_EQ(runFbs(block, 2, 3).longTone, 0);
}

TEST(FbsBlocks, SoundThroughoutAddsTenSegmentsOf798AtTheLastPosition)
{
    // Varying differences so that a misplaced segment shows.
    Block block(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        const int magnitude = 10000 + (i * 37) % 5000;
        block[i] = std::int16_t(i % 2 == 0 ? magnitude : -magnitude);
    }
    std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> expected = noSegments();
    for (int k = 1; k <= 10; ++k) {
        expected[k] = std::int32_t(sumDiffs(block, kLast - 798 * k, kLast - 798 * k + 797));
    }
    for (std::int32_t pattern : kToneProfiles) {
        const FbsOutput out = runFbs(block, kLevel, pattern);
        EXPECT_EQ(out.segments, expected) << pattern;
        EXPECT_EQ(out.longTone, 1) << pattern; // written although the profile rejects
        EXPECT_EQ(out.soundCount, 7000) << pattern;
        EXPECT_EQ(out.quietCount, 1000) << pattern;
    }
    for (std::int32_t pattern : kPlainProfiles) {
        const FbsOutput out = runFbs(block, kLevel, pattern);
        EXPECT_EQ(out.segments, expected) << pattern;
        EXPECT_EQ(out.longTone, kUntouched) << pattern;
        EXPECT_EQ(out.soundCount, 7000) << pattern;
    }
}

TEST(FbsBlocks, FullScaleDifferencesOf65535)
{
    Block block(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        block[i] = i % 2 == 0 ? std::int16_t(-32768) : std::int16_t(32767);
    }
    const FbsOutput out = runFbs(block, kLevel, 3);
    for (int k = 1; k <= 10; ++k) {
        EXPECT_EQ(out.segments[k], 798 * 65535);
    }
    // total = 7982 x 65535 compared with 7991 x level.
    const std::int64_t total = 7982LL * 65535;
    const auto boundary = std::int32_t(total / 7991 + 1);
    EXPECT_EQ(runFbs(block, boundary, 3).result, 1);
    EXPECT_EQ(runFbs(block, boundary - 1, 3).result, 0);
}

TEST(FbsRuns, RunReachingTheLastPositionAddsEvenWhenNotTheLongest)
{
    // Quiet 9..90 (82), sound 91..3108 (3018), quiet 3109..5990 (2882), sound 5991..7990 (2000).
    Block block(kBlock);
    addBurst(block, 100, 3100);
    addBurst(block, 6000, 7999);
    FbsOutput start;
    for (int k = 1; k <= 10; ++k) {
        start.segments[k] = 1000 * k; // segments add to what the caller holds
    }
    std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> expected = start.segments;
    addExpectedSegments(block, 3109, 3018, expected);
    addExpectedSegments(block, kLast, 2000, expected);

    const FbsOutput out = runFbs(block, kLevel, 3, -1, start);
    EXPECT_EQ(out.segments, expected);
    EXPECT_EQ(out.soundCount, 3018 + 2000);
    EXPECT_EQ(out.quietCount, 82 + 2882);
    EXPECT_EQ(out.longTone, 0);
    for (std::int32_t pattern : {0, 2, -1}) {
        EXPECT_EQ(runFbs(block, kLevel, pattern).quietCount, 82 + 2882) << pattern;
    }
    for (std::int32_t pattern : {1, 7}) {
        EXPECT_EQ(runFbs(block, kLevel, pattern).quietCount, 1000) << pattern;
    }
}

TEST(FbsRuns, RunEndedByQuietAddsOnlyWhenStrictlyLongest)
{
    // First run 91..1108 (1018). A later run of equal length adds nothing; one position more adds.
    for (int extra : {0, 1}) {
        Block block(kBlock);
        addBurst(block, 100, 1100);
        addBurst(block, 3000, 4000 + extra);
        std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> expected = noSegments();
        addExpectedSegments(block, 1109, 1018, expected);
        if (extra == 1) {
            addExpectedSegments(block, 4010, 1019, expected);
        }
        EXPECT_EQ(runFbs(block, kLevel, 0).segments, expected) << extra;
    }

    // Ending one before the last position means ending at a quiet position: the shorter second
    // run adds nothing; reaching the last position, it adds.
    for (int lastDiff : {7981, 7982}) {
        Block block(kBlock);
        addBurst(block, 100, 2200); // 91..2208 (2118)
        addBurst(block, 6000, lastDiff);
        std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> expected = noSegments();
        addExpectedSegments(block, 2209, 2118, expected);
        if (lastDiff == 7982) {
            addExpectedSegments(block, kLast, 2000, expected);
        }
        EXPECT_EQ(runFbs(block, kLevel, 0).segments, expected) << lastDiff;
    }

    // The same late run, now the longest, adds when the quiet last position ends it.
    Block block(kBlock);
    addBurst(block, 100, 1100);
    addBurst(block, 6000, 7981); // 5991..7989 (1999)
    std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> expected = noSegments();
    addExpectedSegments(block, 1109, 1018, expected);
    addExpectedSegments(block, kLast, 1999, expected);
    EXPECT_EQ(runFbs(block, kLevel, 0).segments, expected);
}

TEST(FbsRuns, QuietRunStillGoingAtTheEndCountsTowardTheLongestPause)
{
    // Quiet 9..90, sound 91..3108, quiet 3109..4990 (1882), sound 4991..5508, quiet 5509..7990
    // (2482). Only with the final run does the longest pause fit profile 2 (2200..3400).
    Block block(kBlock);
    addBurst(block, 100, 3100);
    addBurst(block, 5000, 5500);
    std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> expected = noSegments();
    addExpectedSegments(block, 3109, 3018, expected);
    const FbsOutput out = runFbs(block, kLevel, 2);
    EXPECT_EQ(out.quietCount, 82 + 1882 + 2482);
    EXPECT_EQ(out.soundCount, 3018 + 518);
    EXPECT_EQ(out.segments, expected);
}

TEST(FbsRuns, LongToneNeedsASoundRunAbove7950)
{
    // Bursts from position s to the end sound from s-9 to the last position: 8000 - s positions.
    for (int start : {49, 50}) {
        Block block(kBlock);
        addBurst(block, start, 7999);
        EXPECT_EQ(runFbs(block, kLevel, 3).longTone, start == 49 ? 1 : 0) << start;
        EXPECT_EQ(runFbs(block, kLevel, 0).longTone, kUntouched) << start;
    }
    // A run ended by the quiet last position counts as well: 40..7989 is 7950, 39..7989 is 7951.
    for (int start : {48, 49}) {
        Block block(kBlock);
        addBurst(block, start, 7981);
        EXPECT_EQ(runFbs(block, kLevel, 3).longTone, start == 48 ? 1 : 0) << start;
    }
}

TEST(FbsProfiles, PauseBoundsAreExclusive)
{
    struct Profile {
        std::int32_t pattern;
        int low;
        int high;
    };
    const Profile profiles[] = {{0, 1800, 4200}, {1, 1800, 2200},          {2, 2200, 3400},
                                {7, 5400, 5800}, {3, 2600, 3000},          {-1, 2600, 3000},
                                {8, 2600, 3000}, {INT_MIN + 7, 2600, 3000}};
    for (const Profile& p : profiles) {
        for (int pause : {p.low, p.low + 1, p.high - 1, p.high}) {
            // Quiet 9..10, sound 11..508, a pause of `pause` positions, then sound to the end.
            Block block(kBlock);
            addBurst(block, 20, 500);
            addBurst(block, 500 + 18 + pause, 7999);
            const bool accepted = p.low < pause && pause < p.high;
            const FbsOutput out = runFbs(block, kLevel, p.pattern);
            EXPECT_EQ(out.quietCount, accepted ? 2 + pause : 1000) << p.pattern << " " << pause;
            EXPECT_EQ(out.soundCount, accepted ? 7982 - 2 - pause : 7000) << p.pattern << " " << pause;
        }
    }
}

TEST(FbsArguments, NullPointersWriteNothing)
{
    const Block block(kBlock);
    std::int32_t sound = kUntouched, quiet = kUntouched, tone = kUntouched;
    std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> segments{};
    EXPECT_EQ(Fbs(nullptr, kBlock, &sound, &quiet, 800, 3, segments.data(), &tone), 0);
    EXPECT_EQ(Fbs(block.data(), kBlock, nullptr, &quiet, 800, 3, segments.data(), &tone), 0);
    EXPECT_EQ(Fbs(block.data(), kBlock, &sound, nullptr, 800, 3, segments.data(), &tone), 0);
    EXPECT_EQ(Fbs(block.data(), kBlock, &sound, &quiet, 800, 3, nullptr, &tone), 0);
    EXPECT_EQ(Fbs(block.data(), kBlock, &sound, &quiet, 800, 3, segments.data(), nullptr), 0);
    EXPECT_EQ(sound, kUntouched);
    EXPECT_EQ(quiet, kUntouched);
    EXPECT_EQ(tone, kUntouched);
    EXPECT_EQ(segments, (std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES>{}));
}

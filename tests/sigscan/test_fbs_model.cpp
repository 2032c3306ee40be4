// Random blocks of tones, noise, silence and cadences, compared with the plain model scanner.
#include "tests/sigscan/fbs_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iostream>
#include <random>
#include <thread>

using namespace qlnrec::sigscan_test;

namespace {

class BlockMaker {
public:
    explicit BlockMaker(unsigned seed) : rng_(seed) {}

    int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    Block block()
    {
        const int kind = pick(0, 9);
        const int length = kind == 0 ? pick(0, 40) : kind < 4 ? 8000 : pick(0, 8000);
        Block block;
        block.reserve(length);
        const int style = pick(0, 7);
        if (style == 0) {
            // A steady tone or noise after a short pause: long sound runs near 7950 positions.
            appendSilence(block, pick(0, 60), 0);
            appendPiece(block, pick(1, 3), length);
        }
        while (int(block.size()) < length) {
            if (style < 3) {
                appendTone(block, pick(200, 3000), 12000, pick(400, 1000));
                appendSilence(block, pick(1700, 6000), 0);
            } else {
                appendPiece(block, pick(0, 5), pick(1, 3000));
            }
        }
        block.resize(length);
        return block;
    }

    std::int32_t level()
    {
        const std::int32_t common[] = {0, 1, 50, 200, 800, 1500, 3000};
        return pick(0, 3) == 0 ? pick(-300, 5000) : common[pick(0, 6)];
    }

    std::int32_t pattern()
    {
        const std::int32_t common[] = {-1, 0, 1, 2, 3, 4, 5, 6, 7, 8, INT_MIN, INT_MAX};
        return common[pick(0, 11)];
    }

private:
    void appendTone(Block& block, int length, int amplitude, int frequencyHz)
    {
        for (int n = 0; n < length; ++n) {
            block.push_back(std::int16_t(amplitude * std::sin(6.283185307 * frequencyHz * n / 8000.0)));
        }
    }

    void appendSilence(Block& block, int length, int noise)
    {
        for (int n = 0; n < length; ++n) {
            block.push_back(std::int16_t(noise == 0 ? 0 : pick(-noise, noise)));
        }
    }

    void appendPiece(Block& block, int kind, int length)
    {
        switch (kind) {
        case 0:
            return appendSilence(block, length, pick(0, 1) * pick(0, 40));
        case 1:
            return appendTone(block, length, pick(300, 32000), pick(100, 3500));
        case 2:
            return appendSilence(block, length, pick(500, 32767));
        case 3: // extreme alternation
            for (int n = 0; n < length; ++n) {
                block.push_back(n % 2 == 0 ? std::int16_t(-32768) : std::int16_t(32767));
            }
            return;
        case 4: // constant offset
            block.insert(block.end(), length, std::int16_t(pick(-32768, 32767)));
            return;
        default: // short bursts that give runs of every length near the thresholds
            for (int n = 0; n < length; ++n) {
                block.push_back(std::int16_t(n % pick(2, 40) == 0 ? pick(-3000, 3000) : 0));
            }
        }
    }

    std::mt19937 rng_;
};

} // namespace

TEST(FbsModel, RandomBlocksMatchThePlainScanner)
{
    BlockMaker maker(20240611);
    int accepted = 0, rejected = 0, longTones = 0, quietResults = 0, loudResults = 0;
    int addedAtQuiet = 0, skippedAtQuiet = 0, addedAtEnd = 0, shortBlocks = 0;
    for (int n = 0; n < 1200; ++n) {
        const Block block = maker.block();
        const std::int32_t level = maker.level();
        const std::int32_t pattern = maker.pattern();
        FbsOutput start;
        for (int k = 1; k <= 10; ++k) {
            start.segments[k] = maker.pick(-1000, 1000);
        }
        ModelDetails details;
        const auto count = std::int32_t(block.size());
        const FbsOutput expected = modelFbs(block, count, level, pattern, start, &details);
        ASSERT_EQ(runFbs(block, level, pattern, -1, start), expected)
            << "block " << n << " samples " << count << " level " << level << " pattern " << pattern;

        (details.accepted ? accepted : rejected) += 1;
        longTones += expected.longTone == 1;
        (expected.result == 1 ? quietResults : loudResults) += 1;
        addedAtQuiet += details.runsAddedAtQuiet;
        skippedAtQuiet += details.runsSkippedAtQuiet;
        addedAtEnd += details.runsAddedAtEnd;
        shortBlocks += count <= 18;
    }
    // The blocks must reach every branch of the scanner for the comparison to mean something.
    EXPECT_GT(accepted, 30);
    EXPECT_GT(rejected, 30);
    EXPECT_GT(longTones, 10);
    EXPECT_GT(quietResults, 30);
    EXPECT_GT(loudResults, 30);
    EXPECT_GT(addedAtQuiet, 100);
    EXPECT_GT(skippedAtQuiet, 100);
    EXPECT_GT(addedAtEnd, 30);
    EXPECT_GT(shortBlocks, 10);
    std::cout << "accepted " << accepted << ", long tones " << longTones << ", quiet results " << quietResults
              << ", runs added at a quiet end " << addedAtQuiet << ", skipped " << skippedAtQuiet
              << ", added at the last position " << addedAtEnd << "\n";
}

TEST(FbsModel, ConcurrentCallsGiveTheSameResults)
{
    BlockMaker maker(7);
    std::vector<Block> blocks;
    std::vector<FbsOutput> expected;
    for (int n = 0; n < 40; ++n) {
        blocks.push_back(maker.block());
        expected.push_back(runFbs(blocks.back(), 800, 3));
    }
    std::vector<int> mismatches(4, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 5; ++round) {
                for (std::size_t n = 0; n < blocks.size(); ++n) {
                    mismatches[t] += !(runFbs(blocks[n], 800, 3) == expected[n]);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(mismatches, std::vector<int>(4, 0));
}

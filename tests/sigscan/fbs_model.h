#pragma once
// Test helpers for the analysis library: block builders, a call wrapper with sentinel outputs,
// and a deliberately plain second cadence scanner that classifies every position first and
// then reads the runs off the finished classification.
#include "sigscan/sigscan.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace qlnrec::sigscan_test {

using Block = std::vector<std::int16_t>;

constexpr std::int32_t kUntouched = -77;   // sentinel for outputs that must not be written
constexpr std::int32_t kEntryZero = -5555; // sentinel for segment entry 0

struct FbsOutput {
    std::int32_t result = 0;
    std::int32_t soundCount = kUntouched;
    std::int32_t quietCount = kUntouched;
    std::int32_t longTone = kUntouched;
    std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES> segments{kEntryZero};

    bool operator==(const FbsOutput&) const = default;
};

// Calls the library on the first `count` samples (all of them when count is -1).
inline FbsOutput runFbs(const Block& block, std::int32_t level, std::int32_t pattern, std::int32_t count = -1,
                        FbsOutput start = {})
{
    FbsOutput out = start;
    const std::int16_t none = 0; // an empty vector may give a null pointer, which means "do nothing"
    out.result = Fbs(block.empty() ? &none : block.data(), count < 0 ? std::int32_t(block.size()) : count,
                     &out.soundCount, &out.quietCount, level, pattern, out.segments.data(), &out.longTone);
    return out;
}

// Zero samples except alternating +-amplitude on [firstDiff, lastDiff - 1], so that the first
// differences are non-zero exactly at positions firstDiff..lastDiff. With a threshold below
// `amplitude` the positions firstDiff - 9 .. lastDiff + 8 classify as sound.
inline void addBurst(Block& block, int firstDiff, int lastDiff, std::int16_t amplitude = 10000)
{
    for (int m = firstDiff; m < lastDiff && m < int(block.size()); ++m) {
        block[m] = (m % 2 == 0) ? amplitude : std::int16_t(-amplitude);
    }
}

inline std::int64_t diffAt(const Block& block, int m)
{
    return std::llabs(std::int64_t(block[m]) - std::int64_t(block[m - 1]));
}

// Sum of the first differences at positions from..to (inclusive).
inline std::int64_t sumDiffs(const Block& block, int from, int to)
{
    std::int64_t sum = 0;
    for (int m = from; m <= to; ++m) {
        sum += diffAt(block, m);
    }
    return sum;
}

// The ten segments that a run of length runLength adds when accounted at `position`. Positions
// before the first scanned one (9) read as 0.
inline void addExpectedSegments(const Block& block, int position, int runLength,
                                std::array<std::int32_t, SIGSCAN_SEGMENT_ENTRIES>& segments)
{
    const int q = runLength / 10;
    for (int k = 1; q > 0 && k <= 10; ++k) {
        const int from = position - k * q;
        segments[k] += std::int32_t(sumDiffs(block, from < 9 ? 9 : from, from + q - 1));
    }
}

struct ModelDetails {
    int longestQuiet = 0;
    int longestSound = 0;
    bool accepted = false;
    int runsAddedAtQuiet = 0;   // sound runs that added segments when a quiet position ended them
    int runsSkippedAtQuiet = 0; // sound runs ended by a quiet position that were not the longest
    int runsAddedAtEnd = 0;     // sound runs still sounding at the last position that added segments
};

// The cadence scanner described in words: classify, list the runs, then account for each run.
inline FbsOutput modelFbs(const Block& block, std::int32_t count, std::int32_t level, std::int32_t pattern,
                          FbsOutput out = {}, ModelDetails* details = nullptr)
{
    ModelDetails info;
    const int first = 9;
    const int last = count - 10;
    const std::int64_t threshold = 18LL * level + 5000;

    struct Run {
        bool sound;
        int start;
        int end;
    };
    std::vector<Run> runs;
    std::int64_t total = 0;
    int sound = 0, quiet = 0;
    for (int i = first; i <= last; ++i) {
        total += diffAt(block, i);
        std::int64_t window = 0;
        for (int m = i - 8; m <= i + 9; ++m) {
            window += diffAt(block, m);
        }
        const bool isSound = window >= threshold;
        (isSound ? sound : quiet) += 1;
        if (runs.empty() || runs.back().sound != isSound) {
            runs.push_back({isSound, i, i});
        } else {
            runs.back().end = i;
        }
    }

    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Run& run = runs[r];
        const int length = run.end - run.start + 1;
        const bool reachesEnd = run.end == last;
        if (!run.sound) {
            // A finished quiet run counts when sound follows; one still going at the end counts
            // unless it began at the very last position right after sound.
            const bool counts = !reachesEnd || r == 0 || length > 1;
            if (counts && length > info.longestQuiet) {
                info.longestQuiet = length;
            }
        } else if (!reachesEnd) {
            if (length > info.longestSound) {
                info.longestSound = length;
                addExpectedSegments(block, run.end + 1, length, out.segments);
                ++info.runsAddedAtQuiet;
            } else {
                ++info.runsSkippedAtQuiet;
            }
        } else if (length > 1) {
            if (length > info.longestSound) {
                info.longestSound = length;
            }
            addExpectedSegments(block, last, length, out.segments);
            ++info.runsAddedAtEnd;
        }
    }

    const auto fits = [&](int low, int high) { return low < info.longestQuiet && info.longestQuiet < high; };
    switch (pattern) {
    case 0:
        info.accepted = fits(1800, 4200);
        break;
    case 1:
        info.accepted = fits(1800, 2200);
        break;
    case 2:
        info.accepted = fits(2200, 3400);
        break;
    case 7:
        info.accepted = fits(5400, 5800);
        break;
    default:
        out.longTone = info.longestSound > 7950 ? 1 : 0;
        info.accepted = fits(2600, 3000);
    }
    out.soundCount = info.accepted ? sound : 7000;
    out.quietCount = info.accepted ? quiet : 1000;

    const long double end = runs.empty() ? 9 : count - 9;
    out.result = end * level > total ? 1 : 0;
    if (details != nullptr) {
        *details = info;
    }
    return out;
}

} // namespace qlnrec::sigscan_test

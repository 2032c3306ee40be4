// SigScan exports. Plain C-compatible code on purpose: no exceptions, no RTTI, no static data,
// no calls into the C++ runtime, so the library exports nothing but its three functions and
// can be loaded by any program.
#include "sigscan/sigscan.h"

namespace {

// Positions of the scan run from kFirstPosition to sampleCount - 10; each position's window
// reaches 9 samples to either side.
constexpr int32_t kFirstPosition = 9;
constexpr int32_t kWindowReach = 9;
constexpr int32_t kStoreEntries = 8000;
constexpr int32_t kSegments = 10;

// Counts the input as 32-bit so that -32768 has magnitude 32768 and differences reach 65535.
inline int32_t magnitude(int16_t sample)
{
    const int32_t value = sample;
    return value < 0 ? -value : value;
}

inline int32_t difference(const int16_t* samples, int32_t position)
{
    const int32_t value = int32_t(samples[position]) - int32_t(samples[position - 1]);
    return value < 0 ? -value : value;
}

// Sum of the 18 first differences d(i-8) .. d(i+9), taken afresh from the samples.
inline int32_t windowActivity(const int16_t* samples, int32_t position)
{
    int32_t sum = 0;
    for (int32_t m = position - kWindowReach + 1; m <= position + kWindowReach; ++m) {
        sum += difference(samples, m);
    }
    return sum;
}

// 32-bit wrapping arithmetic, as the stored figures are plain 32-bit integers.
inline int32_t wrapAdd(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}

inline int32_t wrapMultiply(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) * uint32_t(b));
}

// Adds the ten segments of q = runLength / 10 positions that lie immediately before `position`
// into entries 1..10: entry 1 nearest to `position`, entry 10 the earliest.
void addSegments(const int32_t* store, int32_t position, int32_t runLength, int32_t* segmentSums)
{
    const int32_t q = runLength / kSegments;
    if (q == 0) {
        return;
    }
    for (int32_t k = 1; k <= kSegments; ++k) {
        const int32_t from = position - k * q;
        int32_t sum = 0;
        for (int32_t m = from; m < from + q; ++m) {
            sum = wrapAdd(sum, store[m]);
        }
        segmentSums[k] = wrapAdd(segmentSums[k], sum);
    }
}

// Whether the longest pause fits the cadence profile. The profile number is taken unsigned so
// that negative numbers select the last profile; that profile also reports a near-continuous
// tone, whatever the outcome of the pause test.
bool pauseFitsProfile(int32_t pattern, int32_t longestQuiet, int32_t longestSound, int32_t* longTone)
{
    auto within = [longestQuiet](int32_t low, int32_t high) {
        return low < longestQuiet && longestQuiet < high;
    };
    switch (uint32_t(pattern)) {
    case 0:
        return within(1800, 4200);
    case 1:
        return within(1800, 2200);
    case 2:
        return within(2200, 3400);
    case 7:
        return within(5400, 5800);
    default:
        *longTone = longestSound > 7950 ? 1 : 0;
        return within(2600, 3000);
    }
}

int64_t magnitudeSum(const int16_t* samples, int32_t count)
{
    int64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        sum += magnitude(samples[i]);
    }
    return sum;
}

} // namespace

// The sums and products below are whole numbers far below 2^63, so 64-bit integer arithmetic
// gives exactly the results of an extended-precision floating-point comparison.
extern "C" SIGSCAN_API int32_t Dec(const int16_t* samples, int32_t count, int32_t level)
{
    if (samples == nullptr || count <= 0) {
        return 0;
    }
    return magnitudeSum(samples, count) < int64_t(count) * int64_t(level) ? 1 : 0;
}

extern "C" SIGSCAN_API int32_t Slc(const int16_t* samples, int32_t count)
{
    if (samples == nullptr || count <= 0) {
        return 0;
    }
    return int32_t(magnitudeSum(samples, count) / count);
}

extern "C" SIGSCAN_API int32_t Fbs(const int16_t* samples, int32_t sampleCount, int32_t* soundCountOut,
                                   int32_t* quietCountOut, int32_t level, int32_t pattern,
                                   int32_t* segmentSums, int32_t* longTone)
{
    if (samples == nullptr || soundCountOut == nullptr || quietCountOut == nullptr ||
        segmentSums == nullptr || longTone == nullptr) {
        return 0;
    }
    // Longer blocks would scan past the difference store; analyse their first part only.
    if (sampleCount > SIGSCAN_MAX_SAMPLE_COUNT) {
        sampleCount = SIGSCAN_MAX_SAMPLE_COUNT;
    }
    if (sampleCount < 0) {
        sampleCount = 0;
    }

    const int32_t threshold = wrapAdd(wrapMultiply(18, level), 5000);
    const int32_t lastPosition = sampleCount - kWindowReach - 1;

    // Entry i holds d(i) once position i is scanned. Segments may reach one entry below the
    // first scanned position, which reads as 0; later entries are always written before read.
    int32_t store[kStoreEntries];
    for (int32_t i = 0; i < kFirstPosition; ++i) {
        store[i] = 0;
    }

    int32_t soundCount = 0;
    int32_t quietCount = 0;
    int32_t quietRun = 0;
    int32_t soundRun = 0;
    int32_t longestQuiet = 0;
    int32_t longestSound = 0;
    int32_t total = 0;
    bool inSound = false;

    for (int32_t i = kFirstPosition; i <= lastPosition; ++i) {
        const int32_t d = difference(samples, i);
        store[i] = d;
        total += d;
        const bool isLast = i == lastPosition;

        if (windowActivity(samples, i) < threshold) {
            ++quietCount;
            if (!inSound) {
                ++quietRun;
                if (isLast && quietRun > longestQuiet) {
                    longestQuiet = quietRun;
                }
            } else {
                // A sound run ended at i - 1. Only a new longest run contributes segments.
                quietRun = 1;
                inSound = false;
                if (soundRun > longestSound) {
                    longestSound = soundRun;
                    addSegments(store, i, soundRun, segmentSums);
                }
                soundRun = 0;
            }
        } else {
            ++soundCount;
            if (inSound) {
                ++soundRun;
                if (isLast) {
                    // A run still sounding at the end always contributes, longest or not.
                    if (soundRun > longestSound) {
                        longestSound = soundRun;
                    }
                    addSegments(store, i, soundRun, segmentSums);
                }
            } else {
                soundRun = 1;
                inSound = true;
                if (quietRun > longestQuiet) {
                    longestQuiet = quietRun;
                }
                quietRun = 0;
            }
        }
    }

    if (pauseFitsProfile(pattern, longestQuiet, longestSound, longTone)) {
        *soundCountOut = soundCount;
        *quietCountOut = quietCount;
    } else {
        // A pair whose ratio lies far from 1, so the caller's balance test fails.
        *soundCountOut = 7000;
        *quietCountOut = 1000;
    }

    // The mean is taken over sampleCount - 9, not over the number of differences summed.
    const int32_t endPosition = lastPosition >= kFirstPosition ? sampleCount - kWindowReach : kFirstPosition;
    return double(endPosition) * double(level) > double(total) ? 1 : 0;
}

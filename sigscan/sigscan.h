/* SigScan: level, silence and call-progress-tone measures on blocks of signed 16-bit mono PCM.
 *
 * Three pure C functions. They keep no state between calls, allocate nothing, read only the
 * caller's samples and write only through the caller's output arguments, so they may be called
 * from any thread at the same time. */
#ifndef QLNREC_SIGSCAN_SIGSCAN_H
#define QLNREC_SIGSCAN_SIGSCAN_H

#include <stdint.h>

#if defined(SIGSCAN_BUILDING_LIBRARY)
#define SIGSCAN_API __attribute__((visibility("default")))
#else
#define SIGSCAN_API
#endif

/* File name the program loads the library by. */
#define SIGSCAN_LIBRARY_FILE_NAME "libSigScan.so"
/* Entries of the segment-sum array of Fbs (index 0 is never touched). */
#define SIGSCAN_SEGMENT_ENTRIES 11
/* Fbs analyses at most this many samples of a block; more are ignored. */
#define SIGSCAN_MAX_SAMPLE_COUNT 8009

#ifdef __cplusplus
extern "C" {
#endif

/* 1 when the sum of the magnitudes of the `count` samples is below `count` x `level`, else 0.
 * Returns 0 for `count` <= 0 and for a null `samples`. */
SIGSCAN_API int32_t Dec(const int16_t* samples, int32_t count, int32_t level);

/* Mean magnitude of the `count` samples, truncated toward zero.
 * Returns 0 for `count` <= 0 (the mean of no samples is undefined) and for a null `samples`. */
SIGSCAN_API int32_t Slc(const int16_t* samples, int32_t count);

/* Cadence scanner. Classifies each position 9 .. sampleCount-10 as sound or quiet by the summed
 * first differences of an 18-difference window around it (threshold 18 x level + 5000), tracks
 * the longest quiet and sound runs, adds the ten trailing segments of qualifying sound runs into
 * segmentSums[1..10], and tests the longest pause against the cadence profile `pattern`
 * (0 North America, 1 Sweden, 2 United Kingdom, 7, anything else: Australia-style with
 * `*longTone` reporting a near-continuous tone).
 *
 * Writes *soundCount and *quietCount on every call (7000 and 1000 when the longest pause does not
 * fit the profile). Returns 1 when the mean first difference (sum over the scanned positions
 * divided by sampleCount - 9) is below `level`, else 0.
 *
 * A sampleCount above SIGSCAN_MAX_SAMPLE_COUNT is treated as SIGSCAN_MAX_SAMPLE_COUNT. A null
 * pointer argument makes the call do nothing and return 0. */
SIGSCAN_API int32_t Fbs(const int16_t* samples, int32_t sampleCount, int32_t* soundCount, int32_t* quietCount,
                        int32_t level, int32_t pattern, int32_t* segmentSums, int32_t* longTone);

typedef int32_t (*SigScanDecFunction)(const int16_t*, int32_t, int32_t);
typedef int32_t (*SigScanSlcFunction)(const int16_t*, int32_t);
typedef int32_t (*SigScanFbsFunction)(const int16_t*, int32_t, int32_t*, int32_t*, int32_t, int32_t, int32_t*,
                                      int32_t*);

#ifdef __cplusplus
}
#endif

#endif /* QLNREC_SIGSCAN_SIGSCAN_H */

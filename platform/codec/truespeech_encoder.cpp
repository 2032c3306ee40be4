#include "platform/codec/truespeech_encoder.h"

#include "platform/codec/truespeech_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <numbers>
#include <utility>
#include <vector>

namespace qlnrec::platform {

namespace {

using truespeech::Coefficients;
using truespeech::DecoderState;
using truespeech::kHistoryLength;

constexpr int kN = kTrueSpeechSubframeSamples;
constexpr int kMinLag = 18;
constexpr int kMaxLag = kHistoryLength - 1; // taps reach one sample further back
constexpr int kGains = 25;
constexpr int kScales = 16;
constexpr int kLpcPaths = 4;

using Phi = std::array<std::array<float, kN>, kN>;
using AllowedPitch = std::array<std::uint8_t, 128 * 25>;

// Analysis window over the frame: a long rise and a short fall. The coded filter is used as it
// is for the second half of the frame and carried into the start of the next one, so the
// analysis leans towards the end of the frame.
const std::array<float, kTrueSpeechFrameSamples>& analysisWindow()
{
    static const std::array<float, kTrueSpeechFrameSamples> window = [] {
        std::array<float, kTrueSpeechFrameSamples> w{};
        constexpr int rise = 230;
        constexpr int fall = kTrueSpeechFrameSamples - rise;
        for (int n = 0; n < rise; ++n) {
            w[static_cast<std::size_t>(n)] =
                static_cast<float>(0.54 - 0.46 * std::cos(std::numbers::pi * n / (rise - 1)));
        }
        for (int n = 0; n < fall; ++n) {
            w[static_cast<std::size_t>(rise + n)] =
                static_cast<float>(std::cos(std::numbers::pi / 2 * (n + 1) / (fall + 1)));
        }
        return w;
    }();
    return window;
}

// Toeplitz quadratic form x' R y over `length` terms.
double quadratic(const double* x, const double* y, const double* r, int length)
{
    double sum = 0;
    for (int i = 0; i < length; ++i) {
        double inner = 0;
        for (int j = 0; j < length; ++j) {
            inner += r[std::abs(i - j)] * y[j];
        }
        sum += x[i] * inner;
    }
    return sum;
}

int pitchCode(int lag, int gain, int base)
{
    for (int d = 0; d <= 5; ++d) {
        // The top lag offset exists only for the first two gain pairs (codes 125 and 126).
        if (d == 5 && gain > 1) {
            continue;
        }
        const int code = 25 * d + gain;
        if (truespeech::pitchLag(code, base) == lag) {
            return code;
        }
    }
    return -1;
}

std::size_t pitchSlot(int lag, int gain)
{
    return static_cast<std::size_t>((lag - kMinLag) * kGains + gain);
}

std::int16_t historyAt(const DecoderState& state, int back)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(
        static_cast<std::uint32_t>(state.history[static_cast<std::size_t>(kHistoryLength - back)])));
}

// Zero-state synthesis filtering of one subframe: the same as convolving with the impulse
// response, at a fraction of the cost.
void synthesisFilter(const std::array<float, 8>& a, const float* x, float* y)
{
    for (int n = 0; n < 8; ++n) {
        float sum = x[n];
        for (int m = 0; m < n; ++m) {
            sum += a[static_cast<std::size_t>(m)] * y[n - 1 - m];
        }
        y[n] = sum;
    }
    // Past the start every sample takes all eight taps: a fixed-length loop the compiler unrolls.
    for (int n = 8; n < kN; ++n) {
        float sum = x[n];
        for (int m = 0; m < 8; ++m) {
            sum += a[static_cast<std::size_t>(m)] * y[n - 1 - m];
        }
        y[n] = sum;
    }
}

// Several signals through the synthesis filter side by side, each in its own lane with just the
// arithmetic synthesisFilter does: one signal's filter is a chain of dependent steps, while the
// lanes run in parallel.
void synthesisFilterEach(const std::array<float, 8>& a, std::vector<std::array<float, kN>>& signals)
{
    constexpr std::size_t kLanes = 8;
    std::array<std::array<float, kLanes>, kN> lanes{};
    for (std::size_t first = 0; first < signals.size(); first += kLanes) {
        const std::size_t count = std::min(kLanes, signals.size() - first);
        for (std::size_t n = 0; n < kN; ++n) {
            for (std::size_t k = 0; k < kLanes; ++k) {
                lanes[n][k] = k < count ? signals[first + k][n] : 0.0f;
            }
        }
        for (std::size_t n = 0; n < kN; ++n) {
            auto sum = lanes[n];
            for (std::size_t m = 0; m < 8 && m < n; ++m) {
                for (std::size_t k = 0; k < kLanes; ++k) {
                    sum[k] += a[m] * lanes[n - 1 - m][k];
                }
            }
            lanes[n] = sum;
        }
        for (std::size_t k = 0; k < count; ++k) {
            for (std::size_t n = 0; n < kN; ++n) {
                signals[first + k][n] = lanes[n][k];
            }
        }
    }
}

// The pitch gain pairs as floats, with the products the error estimate needs.
struct PitchGains {
    std::array<float, kGains> c0{}, c1{}, c0c0{}, c1c1{}, c0c1{};
};

const PitchGains& pitchGains()
{
    static const PitchGains gains = [] {
        PitchGains g;
        for (std::size_t i = 0; i < kGains; ++i) {
            g.c0[i] = truespeech::tables::kPitchTaps[2 * i] / 16384.0f;
            g.c1[i] = truespeech::tables::kPitchTaps[2 * i + 1] / 16384.0f;
            g.c0c0[i] = g.c0[i] * g.c0[i];
            g.c1c1[i] = g.c1[i] * g.c1[i];
            g.c0c1[i] = 2.0f * g.c0[i] * g.c1[i];
        }
        return g;
    }();
    return gains;
}

struct PulseSet {
    float deltaError = 0; // change of the squared error against the pulse target
    int scale = 0;
    std::array<int, 7> position{};
    std::array<int, 7> level{}; // pulse code: 0 +a, 1 +3a, 2 -a, 3 -3a
};

int halfOf(int n)
{
    return n < 30 ? 0 : 1;
}

float amplitudeOf(int scale, int level)
{
    return truespeech::tables::kPulseAmplitudes[static_cast<std::size_t>(scale * 4 + level)];
}

constexpr float kBlocked = 1e30f;

// The lowest of v[from..to) or kBlocked, whichever is lower; four independent lanes, so the
// compiler vectorizes it (a minimum is exact in any order).
float lowestOf(const float* v, int from, int to)
{
    std::array<float, 4> lanes;
    lanes.fill(kBlocked);
    auto n = static_cast<std::size_t>(from);
    const auto end = static_cast<std::size_t>(to);
    for (; n + 4 <= end; n += 4) {
        for (std::size_t l = 0; l < 4; ++l) {
            lanes[l] = std::min(lanes[l], v[n + l]);
        }
    }
    for (; n < end; ++n) {
        lanes[0] = std::min(lanes[0], v[n]);
    }
    return std::min(std::min(lanes[0], lanes[1]), std::min(lanes[2], lanes[3]));
}

struct Placement {
    float delta = kBlocked;
    int position = -1;
    int level = 0;
};

// The pulse search of one subframe filter: its impulse response correlations, and the working
// vectors of one search. All are members of one object, so the compiler can see that they never
// overlap and vectorizes the loops over them.
class PulseSearch {
public:
    explicit PulseSearch(const std::array<float, kN>& h)
    {
        for (int delta = 0; delta < kN; ++delta) {
            float acc = 0;
            for (int i = kN - 1 - delta; i >= 0; --i) {
                acc +=
                    h[static_cast<std::size_t>(kN - 1 - i)] * h[static_cast<std::size_t>(kN - 1 - i - delta)];
                phi_[static_cast<std::size_t>(i)][static_cast<std::size_t>(i + delta)] = acc;
                phi_[static_cast<std::size_t>(i + delta)][static_cast<std::size_t>(i)] = acc;
            }
        }
        for (std::size_t n = 0; n < kN; ++n) {
            diag_[n] = phi_[n][n];
            energyFloor_[n] = std::max(diag_[n], 1e-6f);
        }
    }

    // The backward-filtered target the pulses are matched against.
    void setTarget(const std::array<float, kN>& d) { d_ = d; }

    // Summed pulse sizes of an unquantized greedy placement, for choosing the scale.
    float amplitudeSum()
    {
        dd_ = d_;
        std::array<bool, kN> taken{};
        std::array<int, 2> count{};
        float amplitudeSum = 0;
        for (int k = 0; k < 7; ++k) {
            for (std::size_t n = 0; n < kN; ++n) {
                delta_[n] = dd_[n] * dd_[n] / energyFloor_[n];
            }
            float bestGain = -1;
            int bestPos = 0;
            for (int n = 0; n < kN; ++n) {
                const auto un = static_cast<std::size_t>(n);
                if (taken[un] || count[static_cast<std::size_t>(halfOf(n))] >=
                                     kCapacity[static_cast<std::size_t>(halfOf(n))]) {
                    continue;
                }
                if (delta_[un] > bestGain) {
                    bestGain = delta_[un];
                    bestPos = n;
                }
            }
            const auto up = static_cast<std::size_t>(bestPos);
            const float amp = dd_[up] / energyFloor_[up];
            taken[up] = true;
            ++count[static_cast<std::size_t>(halfOf(bestPos))];
            amplitudeSum += std::abs(amp);
            apply(bestPos, amp);
        }
        return amplitudeSum;
    }

    // Seven pulses (three in 0..29, four in 30..59) at one scale: greedy placement, then moves of
    // single pulses within their half while that lowers the error.
    PulseSet run(int scale, int refinePasses)
    {
        PulseSet set;
        set.scale = scale;
        const float a = amplitudeOf(scale, 0);
        dd_ = d_;
        blocked_.fill(0.0f);
        std::array<int, 2> count{};
        for (int k = 0; k < 7; ++k) {
            // Both halves at once while both have room: on a tie the earlier position wins.
            const int from = count[0] < kCapacity[0] ? 0 : 30;
            const int to = count[1] < kCapacity[1] ? kN : 30;
            const Placement best = bestPlacement(a, from, to);
            blocked_[static_cast<std::size_t>(best.position)] = kBlocked;
            ++count[static_cast<std::size_t>(halfOf(best.position))];
            set.position[static_cast<std::size_t>(k)] = best.position;
            set.level[static_cast<std::size_t>(k)] = best.level;
            set.deltaError += best.delta;
            apply(best.position, amplitudeOf(scale, best.level));
        }
        for (int pass = 0; pass < refinePasses; ++pass) {
            bool moved = false;
            for (std::size_t j = 0; j < 7; ++j) {
                const int pos = set.position[j];
                const auto up = static_cast<std::size_t>(pos);
                const float amplitude = amplitudeOf(scale, set.level[j]);
                apply(pos, -amplitude);
                const float current = amplitude * (amplitude * diag_[up] - 2.0f * dd_[up]);
                blocked_[up] = 0;
                const int first = pos < 30 ? 0 : 30;
                const Placement p = bestPlacement(a, first, first + 30);
                if (p.delta < current - 1e-4f * std::abs(current)) {
                    moved = true;
                    set.position[j] = p.position;
                    set.level[j] = p.level;
                    set.deltaError += p.delta - current;
                }
                blocked_[static_cast<std::size_t>(set.position[j])] = kBlocked;
                apply(set.position[j], amplitudeOf(scale, set.level[j]));
            }
            if (!moved) {
                break;
            }
        }
        return set;
    }

private:
    static constexpr std::array<int, 2> kCapacity = {3, 4};

    void apply(int pos, float amplitude)
    {
        const auto& column = phi_[static_cast<std::size_t>(pos)];
        for (std::size_t n = 0; n < kN; ++n) {
            dd_[n] -= amplitude * column[n];
        }
    }

    // Best pulse in [from, to): the error change of adding +-a or +-3a (sign of the
    // backward-filtered target) at each free position. 3a beats a exactly when |target| > 2 a
    // energy. The changes are worked out over the range in one branch-free pass; the first
    // lowest one wins.
    Placement bestPlacement(float a, int from, int to)
    {
        const auto end = static_cast<std::size_t>(to);
        for (auto n = static_cast<std::size_t>(from); n < end; ++n) {
            const auto [single, triple] = errorChanges(a, n);
            delta_[n] = std::min(single, triple) + blocked_[n];
        }
        // The lowest value first, then where it first occurs.
        Placement best;
        const float lowest = lowestOf(delta_.data(), from, to);
        if (lowest < kBlocked) {
            best.delta = lowest;
            best.position = from;
            while (delta_[static_cast<std::size_t>(best.position)] != lowest) {
                ++best.position;
            }
            const auto at = static_cast<std::size_t>(best.position);
            const auto [single, triple] = errorChanges(a, at);
            best.level = (triple < single ? 1 : 0) + (dd_[at] >= 0 ? 0 : 2);
        }
        return best;
    }

    // The error changes of a pulse of size a and of 3a at position n, signed like the target.
    std::pair<float, float> errorChanges(float a, std::size_t n) const
    {
        const float a3 = 3.0f * a;
        const float t = std::abs(dd_[n]);
        const float e = diag_[n];
        return {a * (a * e - 2.0f * t), a3 * (a3 * e - 2.0f * t)};
    }

    Phi phi_{};
    std::array<float, kN> diag_{};
    std::array<float, kN> energyFloor_{}; // diag_, kept off zero for dividing
    std::array<float, kN> d_{};
    std::array<float, kN> dd_{};
    std::array<float, kN> blocked_{};
    std::array<float, kN> delta_{};
};

// The excitation history at every pitch delay of a range, each delayed vector filtered through
// the synthesis filter, with its correlations with the target, with itself and with the next
// delay. A delay shorter than the subframe repeats its period. The delays are the columns, so
// the loops run across delays (and vectorize) while every column still sums in time order.
class DelayedResponses {
public:
    static constexpr int kMaxDelays = kMaxLag + 2 - kMinLag; // both taps of every lag

    void compute(const DecoderState& state, const std::array<float, 8>& a, const std::array<float, kN>& h,
                 const std::array<float, kN>& target, int lowDelay, int highDelay)
    {
        const auto count = static_cast<std::size_t>(std::max(0, highDelay - lowDelay + 1));
        h_ = h;
        target_ = target;
        // The lowest delay is filtered directly; each further one is the previous response
        // shifted by a sample, plus the one new history sample's response.
        std::array<float, kN> p{};
        std::array<float, kN> lowest{};
        for (int n = 0; n < std::min(lowDelay, kN); ++n) {
            p[static_cast<std::size_t>(n)] = historyAt(state, lowDelay - n);
        }
        synthesisFilter(a, p.data(), lowest.data());
        newest_.fill(0.0f);
        for (std::size_t j = 1; j < count; ++j) {
            newest_[j] = historyAt(state, lowDelay + static_cast<int>(j));
        }
        for (std::size_t n = 0; n < kN; ++n) {
            period_[n][0] = lowest[n];
        }
        for (std::size_t j = 1; j < count; ++j) {
            period_[0][j] = newest_[j] * h_[0];
        }
        for (std::size_t n = 1; n < kN; ++n) {
            for (std::size_t j = 1; j < count; ++j) {
                period_[n][j] = period_[n - 1][j - 1] + newest_[j] * h_[n];
            }
        }
        for (std::size_t n = 0; n < kN; ++n) {
            period_[n][count] = 0.0f; // the neighbour of the highest delay
        }
        // A delay shorter than the subframe adds its repeated periods, in place from the end
        // so the earlier rows still hold the single period.
        for (std::size_t j = 0; j < count && lowDelay + static_cast<int>(j) < kN; ++j) {
            const auto delay = static_cast<std::size_t>(lowDelay) + j;
            for (std::size_t n = kN - 1; n >= delay; --n) {
                for (std::size_t start = delay; start <= n; start += delay) {
                    period_[n][j] += period_[n - start][j];
                }
            }
        }
        cross_.fill(0.0f);
        energy_.fill(0.0f);
        neighbour_.fill(0.0f);
        for (std::size_t n = 0; n < kN; ++n) {
            const float t = target_[n];
            const auto& y = period_[n];
            for (std::size_t j = 0; j < count; ++j) {
                cross_[j] += t * y[j];
                energy_[j] += y[j] * y[j];
                neighbour_[j] += y[j] * y[j + 1];
            }
        }
    }

    // By delay index from the lowest delay.
    float cross(std::size_t i) const { return cross_[i]; }
    float energy(std::size_t i) const { return energy_[i]; }
    float neighbour(std::size_t i) const { return neighbour_[i]; }
    float filtered(std::size_t n, std::size_t i) const { return period_[n][i]; }

private:
    static constexpr std::size_t kColumns = kMaxDelays + 1;
    using Columns = std::array<float, kColumns>;

    std::array<float, kN> h_{};
    std::array<float, kN> target_{};
    Columns newest_{};
    std::array<Columns, kN> period_{}; // one filtered period, then the whole filtered vector
    Columns cross_{};
    Columns energy_{};
    Columns neighbour_{};
};

// The pulse fields of a set: codes in position order, positions as two enumerative ranks.
void pulseFields(const PulseSet& set, std::uint16_t& codes, std::uint32_t& positions)
{
    std::array<int, 7> order = {0, 1, 2, 3, 4, 5, 6};
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return set.position[static_cast<std::size_t>(a)] < set.position[static_cast<std::size_t>(b)];
    });
    codes = 0;
    std::array<int, 7> relative{};
    for (std::size_t j = 0; j < 7; ++j) {
        const auto k = static_cast<std::size_t>(order[j]);
        codes = static_cast<std::uint16_t>(codes | set.level[k] << (12 - 2 * static_cast<int>(j)));
        relative[j] = set.position[k] - (j < 3 ? 0 : 30);
    }
    positions =
        truespeech::positionRank(relative.data(), 3) << 15 | truespeech::positionRank(relative.data() + 3, 4);
}

} // namespace

struct TrueSpeechEncoder::SubframeChoice {
    bool pitchOn = false;
    int lag = 0;
    int gain = 0;
    std::uint8_t scale = 0;
    std::uint16_t codes = 0;
    std::uint32_t positions = 0;
    double error = 0;
    bool overflow = false;
};

struct TrueSpeechEncoder::FrameTrial {
    DecoderState state;
    TrueSpeechFrame frame;
    std::array<std::int16_t, kTrueSpeechFrameSamples> synthesis{};
    double error = 0;
};

void TrueSpeechEncoder::reset()
{
    state_ = {};
    synthesis_ = {};
}

void TrueSpeechEncoder::encodeBlock(const std::int16_t in[kTrueSpeechFrameSamples],
                                    std::uint8_t out[kTrueSpeechBlockBytes])
{
    packTrueSpeechFrame(encodeFrame(in), out);
}

TrueSpeechFrame TrueSpeechEncoder::encodeFrame(const std::int16_t in[kTrueSpeechFrameSamples])
{
    const std::vector<FilterChoice> filters = analyse(in);
    std::array<float, kTrueSpeechFrameSamples> speech{};
    for (std::size_t n = 0; n < speech.size(); ++n) {
        speech[n] = in[n];
    }
    // Closed loop over the filter candidates and both ways of starting the frame.
    FrameTrial best;
    best.error = std::numeric_limits<double>::max();
    const std::size_t filterTrials =
        std::min(filters.size(), static_cast<std::size_t>(std::max(1, effort_.filterCandidates)));
    const FilterChoice* chosen = &filters[0];
    for (std::size_t f = 0; f < filterTrials; ++f) {
        for (const bool interpolate : {true, false}) {
            if (!interpolate && !effort_.tryBothInterpolations) {
                break;
            }
            FrameTrial trial;
            trial.state = state_;
            trial.frame.interpolate = interpolate;
            trial.frame.reflection = filters[f].indices;
            encodeSubframes(trial, filters[f].predictor, speech.data());
            if (trial.error < best.error) {
                best = trial;
                chosen = &filters[f];
            }
        }
    }
    state_ = best.state;
    state_.previous = chosen->predictor;
    synthesis_ = best.synthesis;
    return best.frame;
}

std::vector<TrueSpeechEncoder::FilterChoice>
TrueSpeechEncoder::analyse(const std::int16_t in[kTrueSpeechFrameSamples]) const
{
    const auto& window = analysisWindow();
    std::array<double, kTrueSpeechFrameSamples> x{};
    for (std::size_t n = 0; n < x.size(); ++n) {
        x[n] = static_cast<double>(in[n]) * window[n];
    }
    std::array<double, 9> r{};
    for (std::size_t k = 0; k <= 8; ++k) {
        double sum = 0;
        for (std::size_t n = k; n < x.size(); ++n) {
            sum += x[n] * x[n - k];
        }
        r[k] = sum;
    }
    // A wide lag window (150 Hz) and a noise floor keep the formants broad and the filter well
    // conditioned; with the decoder's own post-filter on top, sharper filters sound worse.
    r[0] = r[0] * 1.003 + 1.0;
    for (int k = 1; k <= 8; ++k) {
        const double f = 2.0 * std::numbers::pi * 150.0 * k / 8000.0;
        r[static_cast<std::size_t>(k)] *= std::exp(-0.5 * f * f);
    }

    // Tree search over the reflection quantizers: each stage keeps the best few partial filters
    // by prediction error energy, which is quadratic in the new coefficient.
    struct Path {
        std::array<double, 9> a{};
        std::array<std::uint8_t, 8> index{};
        double cost = 0;
    };
    std::vector<Path> paths(1);
    paths[0].a[0] = 1.0;
    paths[0].cost = r[0];
    struct Step {
        std::size_t path;
        int index;
        double k;
        double cost;
    };
    std::vector<Step> steps;
    for (int i = 0; i < 8; ++i) {
        steps.clear();
        const std::int16_t* table = truespeech::tables::reflectionTable(i);
        const int entries = truespeech::tables::kReflectionSizes[static_cast<std::size_t>(i)];
        const int length = i + 2;
        for (std::size_t p = 0; p < paths.size(); ++p) {
            const auto& a = paths[p].a;
            std::array<double, 9> b{};
            for (int m = 0; m < length; ++m) {
                b[static_cast<std::size_t>(m)] = a[static_cast<std::size_t>(i + 1 - m)];
            }
            const double qa = quadratic(a.data(), a.data(), r.data(), length);
            const double qb = quadratic(a.data(), b.data(), r.data(), length);
            const double qc = quadratic(b.data(), b.data(), r.data(), length);
            for (int e = 0; e < entries; ++e) {
                const double k = table[e] / 32768.0;
                steps.push_back({p, e, k, qa + 2.0 * k * qb + k * k * qc});
            }
        }
        const std::size_t keep = std::min<std::size_t>(kLpcPaths, steps.size());
        std::partial_sort(steps.begin(), steps.begin() + static_cast<std::ptrdiff_t>(keep), steps.end(),
                          [](const Step& s, const Step& t) { return s.cost < t.cost; });
        std::vector<Path> next;
        for (std::size_t s = 0; s < keep; ++s) {
            const Path& from = paths[steps[s].path];
            Path to = from;
            for (int m = 1; m <= i + 1; ++m) {
                to.a[static_cast<std::size_t>(m)] = from.a[static_cast<std::size_t>(m)] +
                                                    steps[s].k * from.a[static_cast<std::size_t>(i + 1 - m)];
            }
            to.index[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(steps[s].index);
            to.cost = steps[s].cost;
            next.push_back(to);
        }
        paths = std::move(next);
    }

    // Rank the survivors by how well the decoder's integer filter predicts; drop those whose
    // integer filter does not fit 16 bits.
    std::vector<FilterChoice> choices;
    for (const Path& path : paths) {
        FilterChoice choice;
        choice.indices = path.index;
        if (!truespeech::reflectionToPredictor(path.index, choice.predictor)) {
            continue;
        }
        std::array<double, 9> a{};
        a[0] = 1.0;
        for (std::size_t m = 0; m < 8; ++m) {
            a[m + 1] = -choice.predictor[m] / 4096.0;
        }
        choice.cost = quadratic(a.data(), a.data(), r.data(), 9);
        choices.push_back(choice);
    }
    std::sort(choices.begin(), choices.end(),
              [](const FilterChoice& s, const FilterChoice& t) { return s.cost < t.cost; });
    if (choices.empty()) {
        // The entries nearest zero: a nearly flat filter that cannot overflow.
        FilterChoice flat;
        for (int i = 0; i < 8; ++i) {
            const std::int16_t* table = truespeech::tables::reflectionTable(i);
            const int entries = truespeech::tables::kReflectionSizes[static_cast<std::size_t>(i)];
            int best = 0;
            for (int e = 1; e < entries; ++e) {
                if (std::abs(table[e]) < std::abs(table[best])) {
                    best = e;
                }
            }
            flat.indices[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(best);
        }
        truespeech::reflectionToPredictor(flat.indices, flat.predictor);
        choices.push_back(flat);
    }
    return choices;
}

void TrueSpeechEncoder::encodeSubframes(FrameTrial& trial, const Coefficients& current,
                                        const float* speech) const
{
    std::array<Coefficients, 4> predictors{};
    truespeech::subframePredictors(current, trial.state.previous, trial.frame.interpolate, predictors);
    trial.error = 0;
    for (int half = 0; half < 2; ++half) {
        const int qa = 2 * half;
        const int qb = qa + 1;
        const auto uqa = static_cast<std::size_t>(qa);
        const auto uqb = static_cast<std::size_t>(qb);
        const SubframeChoice a = encodeSubframe(trial.state, predictors[uqa], speech + qa * kN, nullptr,
                                                trial.synthesis.data() + qa * kN);
        // The two subframes of a half share one lag base, which limits the second one's lag.
        AllowedPitch allowed{};
        if (a.pitchOn) {
            for (int base = 0; base < 128; ++base) {
                if (pitchCode(a.lag, a.gain, base) < 0) {
                    continue;
                }
                for (int code = 0; code < kTrueSpeechPitchOff; ++code) {
                    allowed[pitchSlot(truespeech::pitchLag(code, base), code % 25)] = 1;
                }
            }
        }
        const SubframeChoice b =
            encodeSubframe(trial.state, predictors[uqb], speech + qb * kN, a.pitchOn ? &allowed : nullptr,
                           trial.synthesis.data() + qb * kN);
        int base = 0;
        if (a.pitchOn && b.pitchOn) {
            for (base = 0; base < 128; ++base) {
                if (pitchCode(a.lag, a.gain, base) >= 0 && pitchCode(b.lag, b.gain, base) >= 0) {
                    break;
                }
            }
        } else if (a.pitchOn || b.pitchOn) {
            base = (a.pitchOn ? a.lag : b.lag) - kMinLag;
        }
        trial.frame.lagBase[static_cast<std::size_t>(half)] = static_cast<std::uint8_t>(base);
        trial.frame.pitch[uqa] =
            static_cast<std::uint8_t>(a.pitchOn ? pitchCode(a.lag, a.gain, base) : kTrueSpeechPitchOff);
        trial.frame.pitch[uqb] =
            static_cast<std::uint8_t>(b.pitchOn ? pitchCode(b.lag, b.gain, base) : kTrueSpeechPitchOff);
        for (const auto& [q, choice] : {std::pair{uqa, &a}, std::pair{uqb, &b}}) {
            trial.frame.pulseScale[q] = choice->scale;
            trial.frame.pulseCodes[q] = choice->codes;
            trial.frame.pulsePositions[q] = choice->positions;
            trial.error += choice->error;
        }
    }
}

TrueSpeechEncoder::SubframeChoice
TrueSpeechEncoder::encodeSubframe(DecoderState& state, const Coefficients& c, const float* speech,
                                  const AllowedPitch* allowed,
                                  std::int16_t y[kTrueSpeechSubframeSamples]) const
{
    // A very loud excitation through a sharp filter can overflow the decoder's 32-bit filter sum,
    // which it would turn into a burst of noise. Should that happen, aim lower and search again.
    const auto history = state.history;
    const auto memory = state.synthesisMemory;
    SubframeChoice choice;
    for (float targetGain = 1.0f; targetGain > 0.01f; targetGain *= 0.5f) {
        state.history = history;
        state.synthesisMemory = memory;
        choice = searchSubframe(state, c, speech, allowed, targetGain, y);
        if (!choice.overflow) {
            break;
        }
    }
    return choice;
}

TrueSpeechEncoder::SubframeChoice
TrueSpeechEncoder::searchSubframe(DecoderState& state, const Coefficients& c, const float* speech,
                                  const AllowedPitch* allowed, float targetGain,
                                  std::int16_t y[kTrueSpeechSubframeSamples]) const
{
    std::array<float, 8> a{};
    for (std::size_t m = 0; m < 8; ++m) {
        a[m] = static_cast<float>(c[m]) / 4096.0f;
    }
    // Target: the input minus what the synthesis filter rings out on its own.
    std::array<float, kN> target{};
    {
        std::array<float, 8> memory{};
        for (std::size_t m = 0; m < 8; ++m) {
            memory[m] = state.synthesisMemory[m];
        }
        for (int n = 0; n < kN; ++n) {
            float ring = 0;
            for (std::size_t m = 0; m < 8; ++m) {
                ring += a[m] * memory[m];
            }
            std::memmove(memory.data() + 1, memory.data(), sizeof(float) * 7);
            memory[0] = ring;
            target[static_cast<std::size_t>(n)] = (speech[n] - ring) * targetGain;
        }
    }
    std::array<float, kN> h{};
    h[0] = 1.0f;
    for (int n = 1; n < kN; ++n) {
        float sum = 0;
        for (int m = 0; m < 8 && m < n; ++m) {
            sum += a[static_cast<std::size_t>(m)] * h[static_cast<std::size_t>(n - 1 - m)];
        }
        h[static_cast<std::size_t>(n)] = sum;
    }
    PulseSearch pulses(h);

    // Pitch: rank every allowed (lag, gain pair) by a fast estimate that treats the two taps as
    // independent single-delay vectors, then check the best few exactly.
    struct PitchCandidate {
        bool on = false;
        int lag = 0;
        int gain = 0;
        float error = 0;
        std::array<std::int16_t, kN> v{};
        std::array<float, kN> filtered{};
    };
    std::vector<PitchCandidate> pitch(1); // entry 0: no pitch prediction
    {
        int lowLag = kMaxLag;
        int highLag = kMinLag;
        for (int lag = kMinLag; lag <= kMaxLag; ++lag) {
            for (int g = 0; g < kGains; ++g) {
                if (allowed == nullptr || (*allowed)[pitchSlot(lag, g)] != 0) {
                    lowLag = std::min(lowLag, lag);
                    highLag = std::max(highLag, lag);
                    break;
                }
            }
        }
        const int lowDelay = lowLag;
        const int highDelay = highLag + 1;
        auto responses = std::make_unique<DelayedResponses>();
        responses->compute(state, a, h, target, lowDelay, highDelay);
        struct Estimate {
            float error;
            int lag;
            int gain;
        };
        // Keep the best few estimates in a small sorted list.
        const std::size_t keep = static_cast<std::size_t>(std::clamp(effort_.pitchCandidates, 1, 32));
        std::vector<Estimate> estimates;
        estimates.reserve(keep + 1);
        const PitchGains& gains = pitchGains();
        std::array<float, kGains> errors{};
        for (int lag = lowLag; lag <= highLag; ++lag) {
            const auto i = static_cast<std::size_t>(lag - lowDelay);
            const float x0 = -2.0f * responses->cross(i + 1);
            const float x1 = -2.0f * responses->cross(i);
            const float e0 = responses->energy(i + 1);
            const float e1 = responses->energy(i);
            const float e01 = responses->neighbour(i);
            for (std::size_t g = 0; g < kGains; ++g) {
                errors[g] = gains.c0[g] * x0 + gains.c1[g] * x1 + gains.c0c0[g] * e0 + gains.c0c1[g] * e01 +
                            gains.c1c1[g] * e1;
            }
            if (estimates.size() == keep && lowestOf(errors.data(), 0, kGains) >= estimates.back().error) {
                continue; // no gain pair of this lag makes the list
            }
            for (int g = 0; g < kGains; ++g) {
                const float error = errors[static_cast<std::size_t>(g)];
                if (estimates.size() == keep && error >= estimates.back().error) {
                    continue;
                }
                if (allowed != nullptr && (*allowed)[pitchSlot(lag, g)] == 0) {
                    continue;
                }
                auto at = std::upper_bound(estimates.begin(), estimates.end(), error,
                                           [](float value, const Estimate& e) { return value < e.error; });
                estimates.insert(at, {error, lag, g});
                if (estimates.size() > keep) {
                    estimates.pop_back();
                }
            }
        }
        std::vector<PitchCandidate> checked;
        checked.reserve(estimates.size());
        std::vector<std::array<float, kN>> repeating; // candidates with a lag inside the subframe
        for (const Estimate& estimate : estimates) {
            PitchCandidate candidate;
            candidate.on = true;
            candidate.lag = estimate.lag;
            candidate.gain = estimate.gain;
            if (!truespeech::pitchVector(state.history, candidate.lag, candidate.gain, candidate.v.data())) {
                continue; // would wrap in the decoder
            }
            if (candidate.lag >= kN) {
                // No repetition inside the subframe: the two filtered taps add up linearly.
                const auto i = static_cast<std::size_t>(candidate.lag - lowDelay);
                const float c0 =
                    truespeech::tables::kPitchTaps[static_cast<std::size_t>(2 * candidate.gain)] / 16384.0f;
                const float c1 =
                    truespeech::tables::kPitchTaps[static_cast<std::size_t>(2 * candidate.gain + 1)] /
                    16384.0f;
                for (std::size_t n = 0; n < kN; ++n) {
                    candidate.filtered[n] =
                        c0 * responses->filtered(n, i + 1) + c1 * responses->filtered(n, i);
                }
            } else {
                auto& v = repeating.emplace_back();
                for (std::size_t n = 0; n < kN; ++n) {
                    v[n] = candidate.v[n];
                }
            }
            checked.push_back(candidate);
        }
        synthesisFilterEach(a, repeating);
        std::size_t nextRepeating = 0;
        for (PitchCandidate& candidate : checked) {
            if (candidate.lag < kN) {
                candidate.filtered = repeating[nextRepeating++];
            }
            float error = 0;
            for (std::size_t n = 0; n < kN; ++n) {
                error += candidate.filtered[n] * (candidate.filtered[n] - 2.0f * target[n]);
            }
            candidate.error = error;
            if (error < 0) {
                pitch.push_back(candidate);
            }
        }
        std::sort(pitch.begin() + 1, pitch.end(),
                  [](const PitchCandidate& s, const PitchCandidate& t) { return s.error < t.error; });
        pitch.resize(std::min<std::size_t>(pitch.size(),
                                           static_cast<std::size_t>(1 + effort_.pitchCandidatesForPulses)));
    }

    // Pulses for each pitch candidate; the smallest total error wins.
    SubframeChoice best;
    float bestError = std::numeric_limits<float>::max();
    const PitchCandidate* bestPitch = &pitch[0];
    // Backward-filtered targets: each time-reversed remainder through the synthesis filter.
    std::vector<std::array<float, kN>> backward(pitch.size());
    std::vector<float> restEnergies(pitch.size());
    for (std::size_t c = 0; c < pitch.size(); ++c) {
        float restEnergy = 0;
        for (std::size_t n = 0; n < kN; ++n) {
            const float rest = target[n] - pitch[c].filtered[n];
            backward[c][kN - 1 - n] = rest;
            restEnergy += rest * rest;
        }
        restEnergies[c] = restEnergy;
    }
    synthesisFilterEach(a, backward);
    for (std::size_t c = 0; c < pitch.size(); ++c) {
        const PitchCandidate& candidate = pitch[c];
        const float restEnergy = restEnergies[c];
        std::array<float, kN> d{};
        std::reverse_copy(backward[c].begin(), backward[c].end(), d.begin());
        // Scale estimate from an unquantized greedy placement.
        pulses.setTarget(d);
        const float wanted = std::max(pulses.amplitudeSum() / 7.0f / 2.0f, 1.0f);
        int centre = 0;
        float centreDistance = std::abs(std::log(amplitudeOf(centre, 0) / wanted));
        for (int s = 1; s < kScales; ++s) {
            const float distance = std::abs(std::log(amplitudeOf(s, 0) / wanted));
            if (distance < centreDistance) {
                centre = s;
                centreDistance = distance;
            }
        }
        for (int s = std::max(0, centre - effort_.scaleSpread);
             s <= std::min(kScales - 1, centre + effort_.scaleSpread); ++s) {
            const PulseSet set = pulses.run(s, effort_.refinePasses);
            const float error = restEnergy + set.deltaError;
            if (error >= bestError) {
                continue;
            }
            // The decoder adds pulses and pitch in 16 bits; never let that sum wrap.
            bool fits = true;
            for (std::size_t j = 0; j < 7; ++j) {
                const int n = set.position[j];
                const int x =
                    candidate.v[static_cast<std::size_t>(n)] + static_cast<int>(amplitudeOf(s, set.level[j]));
                fits = fits && x >= -32768 && x <= 32767;
            }
            if (!fits) {
                continue;
            }
            bestError = error;
            bestPitch = &candidate;
            best.pitchOn = candidate.on;
            best.lag = candidate.lag;
            best.gain = candidate.gain;
            best.scale = static_cast<std::uint8_t>(s);
            pulseFields(set, best.codes, best.positions);
        }
    }

    // Run the decoder's own integer steps with the chosen parameters.
    std::int16_t e[kN];
    std::int16_t x[kN];
    truespeech::placePulses(best.codes, best.scale, best.positions, e);
    truespeech::combineExcitation(state.history, e, bestPitch->v.data(), x);
    best.overflow = !truespeech::synthesize(c, state.synthesisMemory, x, y);
    best.error = 0;
    for (int n = 0; n < kN; ++n) {
        const double diff = speech[n] - y[n];
        best.error += diff * diff;
    }
    return best;
}

} // namespace qlnrec::platform

#pragma once
// What the whole-call tests over the in-process modem share: the program over one simulated
// modem on line 0, prompts that are found in one place only, and a check that a prompt reached
// the modem whole in the modem's voice format.
#include "tests/e2e/recording/recording_rig.h"
#include "tests/platform/modem/in_process_modem.h"

#include "platform/telephony/sim/wave_file.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace qlnrec::test {

inline constexpr int kModemRate = 8000;

// A rising sweep, so no stretch of it repeats and it is found in one place only.
inline std::vector<std::int16_t> sweep(double fromHz, double toHz, double seconds)
{
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kModemRate));
    double phase = 0;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double hz =
            fromHz + (toHz - fromHz) * static_cast<double>(i) / static_cast<double>(samples.size());
        phase += 2 * M_PI * hz / kModemRate;
        samples[i] = static_cast<std::int16_t>(std::lround(9000 * std::sin(phase)));
    }
    return samples;
}

// What a sample may become on its way through a format: one of the two values of the format
// that enclose it. Any sound converter (rounding or truncating, G.711's decision levels or the
// nearest code) picks one of them; 16-bit linear keeps the sample itself.
class FormatLevels {
public:
    explicit FormatLevels(modemsim::SimFormat format) : exact_(format == modemsim::SimFormat::Signed16)
    {
        for (int code = 0; !exact_ && code < 256; ++code) {
            levels_.insert(modemsim::simDecodeSample(format, static_cast<std::uint8_t>(code)));
        }
    }
    bool carries(std::int16_t original, std::int16_t received) const
    {
        if (exact_ || original == received) {
            return original == received;
        }
        const auto above = levels_.lower_bound(original);
        const bool isAbove = above != levels_.end() && *above == received;
        const bool isBelow = above != levels_.begin() && *std::prev(above) == received;
        return isAbove || isBelow;
    }

private:
    bool exact_;
    std::set<std::int16_t> levels_;
};

// Where `prompt` arrived whole inside `received` (the first place), or -1.
inline std::int64_t findCarried(const std::vector<std::int16_t>& received,
                                const std::vector<std::int16_t>& prompt, const FormatLevels& levels)
{
    const auto matchesAt = [&](std::size_t at, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            if (!levels.carries(prompt[i], received[at + i])) {
                return false;
            }
        }
        return true;
    };
    for (std::size_t at = 0; at + prompt.size() <= received.size(); ++at) {
        if (matchesAt(at, 400) && matchesAt(at, prompt.size())) {
            return static_cast<std::int64_t>(at);
        }
    }
    return -1;
}

// The whole program over one simulated modem of the family (and options) given, on line 0.
class ModemProgram {
public:
    explicit ModemProgram(const QString& modemSpec)
        : rig({}, {}, linesSetting(modemSpec)),
          provider(static_cast<InProcessModemProvider&>(*rig.platform->providers().front())),
          modem(provider.sim())
    {
    }

    // A prompt file in the program folder.
    ::testing::AssertionResult writePrompt(const QString& fileName, const std::vector<std::int16_t>& samples)
    {
        QString error;
        if (!platform::writeWaveFile8kMono(rig.home.programFolder() + "/" + fileName, samples, &error)) {
            return ::testing::AssertionFailure() << error.toStdString();
        }
        return ::testing::AssertionSuccess();
    }

    // Opens line 0 and waits until the modem is set up for calls.
    ::testing::AssertionResult open()
    {
        rig.openLines({0});
        if (!rig.runUntil([&] { return provider.line().setupInfo().ready; }, 60000)) {
            return ::testing::AssertionFailure() << "the modem was not set up";
        }
        if (provider.line().failed()) {
            return ::testing::AssertionFailure() << provider.line().statusText().toStdString();
        }
        return ::testing::AssertionSuccess();
    }

    RecordingRig rig;
    InProcessModemProvider& provider;
    modemsim::ModemSimulator& modem;

private:
    static QString linesSetting(const QString& modemSpec)
    {
        registerInProcessModem(); // before the line platform is built from the setting
        return QStringLiteral("modemsim:") + modemSpec;
    }
};

// A test name from a modem argument ("usr,format=ulaw" gives "usr_format_ulaw").
inline std::string modemTestName(const ::testing::TestParamInfo<QString>& info)
{
    QString name = info.param;
    return name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"))
        .toStdString();
}

} // namespace qlnrec::test

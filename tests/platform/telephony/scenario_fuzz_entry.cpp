#include "tests/platform/telephony/scenario_fuzz_entry.h"

#include "platform/telephony/sim/scenario.h"
#include "platform/telephony/sim/wave_file.h"

#include <QByteArray>
#include <QString>

#include <cstdlib>

namespace qlnrec::test {

namespace {

void check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

} // namespace

int fuzzScenarioOnce(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // As WAVE data: either a clear error or samples no more numerous than the bytes allow
    // (at most 8 kHz out of at least 1 kHz 8-bit mono in).
    std::vector<std::int16_t> samples;
    QString error;
    if (platform::parseWaveAs8kMono(bytes, samples, &error)) {
        check(samples.size() <= size * 8 + 8);
    } else {
        check(!error.isEmpty());
    }

    // As scenario text (never starting a speech synthesiser).
    if (bytes.contains("speech")) {
        return 0;
    }
    error.clear();
    const auto scenario = platform::Scenario::parse(QString::fromUtf8(bytes), &error);
    if (!scenario) {
        check(error.startsWith(QStringLiteral("line ")));
        return 0;
    }
    std::uint32_t lastAbsolute = 0;
    for (const auto& event : scenario->events()) {
        check(event.line >= 0 && event.line <= 3);
        check(event.sourceLine >= 1);
        if (!event.relative) {
            check(event.timeMs >= lastAbsolute);
            lastAbsolute = event.timeMs;
        }
        check(event.kind != platform::ScenarioEvent::Kind::Ring ||
              (event.ringCount >= 1 && event.ringOnMs > 0));
    }
    check(scenario->highestLine() <= 3);
    return 0;
}

} // namespace qlnrec::test

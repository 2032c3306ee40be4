// The fuzz step over random bytes and over mutations of a valid scenario and WAVE file: nothing
// may crash, and every rejection names its line.
#include "tests/platform/telephony/scenario_fuzz_entry.h"

#include "platform/telephony/sim/wave_file.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const char* kValidScenario = "# sample\n"
                             "line 0 name=\"Modem\" media=28\n"
                             "0 0 ring 4 2000/4000\n"
                             "2.5 0 callerid number=5551234 name=\"SMITH JOHN\"\n"
                             "+0 0 wait offhook timeout=30\n"
                             "+1 0 audio tone=480+620 on=250 off=250 duration=2\n"
                             "+0 0 audio silence duration=1\n"
                             "+1 0 dtmf 12#\n"
                             "+2 0 hangup busy\n"
                             "20 1 ringback\n"
                             "30 0 end\n";

void run(const QByteArray& bytes)
{
    qlnrec::test::fuzzScenarioOnce(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
}

QByteArray mutate(QByteArray bytes, QRandomGenerator& random)
{
    static const char* tokens[] = {" ",     "=",  "\"",          "+",    "\n",   "#",    "/",
                                   "0x",    "ms", "99999999999", "-1",   "line", "ring", "audio",
                                   "tone=", "\\", "\r",          "wait", "end",  "RIFF", "data"};
    const int edits = 1 + random.bounded(6);
    for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
        const auto at = static_cast<qsizetype>(random.bounded(static_cast<quint32>(bytes.size())));
        switch (random.bounded(4)) {
        case 0:
            bytes[at] = static_cast<char>(random.bounded(256));
            break;
        case 1:
            bytes.remove(at, 1 + random.bounded(8));
            break;
        case 2:
            bytes.insert(at, tokens[random.bounded(static_cast<quint32>(std::size(tokens)))]);
            break;
        default:
            bytes.truncate(at);
            break;
        }
    }
    return bytes;
}

TEST(ScenarioFuzz, RandomBytesAndMutatedInputsNeitherCrashNorPassUnchecked)
{
    QRandomGenerator random(20261207);
    for (int i = 0; i < 2000; ++i) {
        QByteArray bytes(random.bounded(300), Qt::Uninitialized);
        for (auto& b : bytes) {
            b = static_cast<char>(random.bounded(256));
        }
        run(bytes);
    }
    const QByteArray scenario(kValidScenario);
    for (int i = 0; i < 3000; ++i) {
        run(mutate(scenario, random));
    }
    QTemporaryDir dir;
    std::vector<std::int16_t> samples(500);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(i * 60);
    }
    const QString path = dir.filePath(QStringLiteral("a.wav"));
    ASSERT_TRUE(qlnrec::platform::writeWaveFile8kMono(path, samples, nullptr));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray wave = file.readAll();
    for (int i = 0; i < 3000; ++i) {
        run(mutate(wave, random));
    }
}

} // namespace

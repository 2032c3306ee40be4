// The screening decision for one caller with a full block list (50,000 numbers) and 10,000 rule
// patterns: prefixes, "?" and inner "*" patterns, and some regular expressions. It runs on the GUI
// thread once per caller, a quarter second after the caller ID, so it must stay far below that.
//   build/<dir>/bin/bench_screening
#include "blocklist/call_screening.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace qlnrec;

struct FullScreening {
    QTemporaryDir dir;
    blocklist::BlockList list{dir.path()};
    blocklist::ScreeningRules rules{dir.path()};
    blocklist::CallScreening screening{list, rules};

    FullScreening()
    {
        QStringList numbers;
        for (int i = 0; i < blocklist::BlockList::kMaxNumbers; ++i) {
            numbers << QString::number(-(18005550000LL + i));
        }
        list.rewrite(numbers);
        QByteArray file;
        for (int i = 0; i < 10000; ++i) {
            const QByteArray n = QByteArray::number(i);
            switch (i % 10) {
            case 0: // an exact number
                file += "allow 555" + n.rightJustified(4, '0') + " Friend " + n + "\n";
                break;
            case 1:
            case 2: // a pattern with single digits open, of two lengths
                file += "block 1" + n.rightJustified(5, '0') + "???? Seller " + n + "\n";
                break;
            case 3: // digits on either side of any digits
                file += "block 2" + n.rightJustified(5, '0') + "*99 Seller " + n + "\n";
                break;
            case 4: // a regular expression
                file += "block /3" + n.rightJustified(5, '0') + "(12|34)[0-9]{3}/ Seller " + n + "\n";
                break;
            default: // a prefix
                file += "block 9" + n.rightJustified(5, '0') + "* Seller " + n + "\n";
                break;
            }
        }
        rules.parse(file);
    }
};

FullScreening& full()
{
    static FullScreening lists;
    return lists;
}

// A caller that neither a rule nor the list knows: every pattern and the whole list are tried.
void BM_ScreenUnknownCaller(benchmark::State& state)
{
    FullScreening& f = full();
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.screening.screen(QStringLiteral("4045550100")));
    }
}
BENCHMARK(BM_ScreenUnknownCaller)->Unit(benchmark::kMicrosecond);

// A caller blocked by the last prefix rule.
void BM_ScreenPrefixRule(benchmark::State& state)
{
    FullScreening& f = full();
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.screening.screen(QStringLiteral("909999123456")));
    }
}
BENCHMARK(BM_ScreenPrefixRule)->Unit(benchmark::kMicrosecond);

// The rules alone, for a number that only the last regular expression could match.
void BM_RulesOnlyRegexTail(benchmark::State& state)
{
    FullScreening& f = full();
    for (auto _ : state) {
        benchmark::DoNotOptimize(f.rules.decide(QStringLiteral("309994999999")));
    }
}
BENCHMARK(BM_RulesOnlyRegexTail)->Unit(benchmark::kMicrosecond);

// Reading the 10,000 rules (at start and after each edit).
void BM_ParseTenThousandRules(benchmark::State& state)
{
    FullScreening& f = full();
    const QByteArray bytes = f.rules.fileBytes();
    blocklist::ScreeningRules rules(f.dir.path());
    for (auto _ : state) {
        rules.parse(bytes);
    }
}
BENCHMARK(BM_ParseTenThousandRules)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();

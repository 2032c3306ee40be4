// What one caller ID costs the GUI thread with a full phone book (the 3000-entry table) and a
// full block list (50,000 numbers) behind it, for a caller on neither (the longest scans): the
// handler (call information, history file, settings, phone-book scan, popup) and the blocking
// decision a quarter second later; and the blocking decision alone.
#include "tests/e2e/program_rig.h"

#include "blocklist/block_list.h"
#include "phonebook/phone_book_file.h"
#include "phonebook/phone_book_table.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

using namespace qlnrec;

struct FullCallerLists {
    test::ProgramRig rig{QStringLiteral("sim:1")};
    FullCallerLists()
    {
        const QString folder = rig.home.programFolder();
        phonebook::PhoneBookRecordCodec codec;
        std::vector<phonebook::PhoneBookEntry> entries;
        for (int i = 0; i < phonebook::PhoneBookTable::kEntries; ++i) {
            entries.push_back(
                phonebook::makeEntry(QStringLiteral("Name %1").arg(i), QString::number(5550000 + i)));
        }
        phonebook::PhoneBookFile(folder, codec).rewrite(entries);
        QStringList numbers;
        for (int i = 0; i < blocklist::BlockList::kMaxNumbers; ++i) {
            numbers << QString::number(18005550000LL + i);
        }
        blocklist::BlockList(folder).rewrite(numbers);
        rig.program->loadPhoneBook();
        rig.program->loadBlockList();
        rig.store(QStringLiteral("Config"), QStringLiteral("PopCallID"), QStringLiteral("1"));
        rig.store(QStringLiteral("Config"), QStringLiteral("Rings"), QStringLiteral("8"));
        rig.configureLines({0});
        rig.start();
        rig.sim(0).ring(1);
        rig.run(100);
        rig.sim(0).sendCallerId(platform::CallerIdField::present("18005559999999"),
                                platform::CallerIdField::present("NOBODY"));
        rig.run(0);
    }
};

void BM_CallerIdOnTheGuiThread(benchmark::State& state)
{
    FullCallerLists lists;
    const platform::HCALL call = lists.rig.slot(0).hCall;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lists.rig.program->callerId().handleCallerId(call));
        lists.rig.program->callerId().timCallerID_Timer(0);
    }
    state.counters["blocked"] = lists.rig.slot(0).blocked;
}
BENCHMARK(BM_CallerIdOnTheGuiThread)->Unit(benchmark::kMicrosecond);

void BM_BlockingDecisionAgainstAFullList(benchmark::State& state)
{
    FullCallerLists lists;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lists.rig.program->roles().blocking->decide(0));
    }
}
BENCHMARK(BM_BlockingDecisionAgainstAFullList)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Cost of one status line: stamping, appending to the list and writing it through to the day file.
#include "platform/core/virtual_event_service.h"
#include "records/status_log.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

void BM_AddStatusLine(benchmark::State& state)
{
    QTemporaryDir dir;
    qlnrec::platform::VirtualEventService events;
    qlnrec::records::StatusLog log(events, dir.path());
    log.openAtStart();
    const QString text = QStringLiteral("CallerID 5551234 Anna Smith");
    for (auto _ : state) {
        benchmark::DoNotOptimize(log.addStampedLine(text));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AddStatusLine);

// Reading a day file back at start, as after a restart late on a busy day.
void BM_ReadDayFile(benchmark::State& state)
{
    QTemporaryDir dir;
    qlnrec::platform::VirtualEventService events;
    {
        qlnrec::records::StatusLog log(events, dir.path());
        log.openAtStart();
        for (int64_t i = 0; i < state.range(0); ++i) {
            log.addStatusLine(QStringLiteral("Line0 Ring... number %1").arg(i));
        }
    }
    const QString path = dir.path() + QStringLiteral("/LogFiles/") +
                         qlnrec::records::StatusLog::dayFileName(events.currentDateTime().date());
    for (auto _ : state) {
        QStringList lines;
        qlnrec::records::StatusLog::readLogLines(path, lines);
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ReadDayFile)->Arg(1000)->Arg(100000);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// Backing up 1 GB of recordings through the backup window, as OK starts it: the throughput of the
// verified copy, and the longest stall of the GUI thread meanwhile (a 5 ms timer on the GUI
// thread notes the largest gap between its ticks; it must stay under 50 ms). For comparison the
// time OK itself takes, and the longest gap of the same timer on an idle GUI thread (what other
// processes on the machine cost).
//   build/<dir>/bin/bench_backup
#include "core/config_store.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/settings_store.h"
#include "records/recordings_lists.h"
#include "tools/backup_model.h"
#include "ui/tools/frm_backup.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace qlnrec;

constexpr int kFiles = 200;
constexpr qint64 kFileBytes = 5 * 1000 * 1000 + 44; // five minutes of a call, with a header

// Recordings of random content, old enough to be backed up.
void makeRecordings(const QString& folder)
{
    QDir().mkpath(folder);
    QByteArray data(kFileBytes, Qt::Uninitialized);
    auto* words = reinterpret_cast<quint32*>(data.data());
    for (int i = 0; i < kFiles; ++i) {
        QRandomGenerator(static_cast<quint32>(i)).fillRange(words, data.size() / 4);
        QFile file(folder +
                   QStringLiteral("A~L 0~2026-12-08~10-%1-00~5551234.wav").arg(i, 3, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write(data);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime);
    }
}

// The GUI thread's longest gap between 5 ms ticks while `until` has not quit the loop it runs.
class StallMeter {
public:
    StallMeter()
    {
        ticker_.setInterval(5);
        ticker_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker_, &QTimer::timeout,
                         [this] { longest_ = std::max(longest_, sinceTick_.restart()); });
    }
    void start()
    {
        sinceTick_.start();
        ticker_.start();
    }
    qint64 stop()
    {
        ticker_.stop();
        return longest_;
    }

private:
    QTimer ticker_;
    QElapsedTimer sinceTick_;
    qint64 longest_ = 0;
};

// The same meter on an idle GUI thread: what the machine itself costs (other processes).
qint64 idleStallMs()
{
    StallMeter meter;
    QEventLoop loop;
    QTimer::singleShot(2000, &loop, &QEventLoop::quit);
    meter.start();
    loop.exec();
    return meter.stop();
}

void BM_BackupOneGigabyte(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString recordings = dir.path() + QStringLiteral("/recordings/");
    makeRecordings(recordings);
    platform::SettingsStore store(QStringLiteral("qlnrec"), dir.path() + QStringLiteral("/qlnrec.conf"));
    core::ConfigStore config(store, dir.path());
    platform::ScriptedDialogService dialogs; // answers OK
    core::Strings strings;
    records::RecordingLists lists(config, dialogs, strings, recordings);
    tools::BackupModel model(config, strings, dialogs, lists, {});
    // As the window leaves it: stored when the box lost the focus (a settings write, not timed).
    model.storeDeleteSourceFiles(false);

    qint64 longestStallMs = 0;
    qint64 longestOkMs = 0;
    int run = 0;
    for (auto _ : state) {
        const QString target = dir.path() + QStringLiteral("/target%1").arg(run++);
        QDir().mkpath(target);
        ui::frmBackup form(model, strings, target);
        form.show();
        QEventLoop loop;
        QObject::connect(&model.job(), &tools::BackupJob::finished, &loop, &QEventLoop::quit);

        // OK itself: the confirmation, the list of recordings, the worker's start.
        QElapsedTimer ok;
        ok.start();
        form.OKButton->click();
        longestOkMs = std::max(longestOkMs, ok.elapsed());
        // Then the copy, with the window showing its progress.
        StallMeter meter;
        meter.start();
        loop.exec();
        longestStallMs = std::max(longestStallMs, meter.stop());

        state.PauseTiming();
        QDir(target).removeRecursively();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * kFiles * kFileBytes);
    state.counters["longest_gui_stall_ms"] = static_cast<double>(longestStallMs);
    state.counters["ok_click_ms"] = static_cast<double>(longestOkMs);
    state.counters["idle_gui_stall_ms"] = static_cast<double>(idleStallMs());
}
BENCHMARK(BM_BackupOneGigabyte)->Iterations(2)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

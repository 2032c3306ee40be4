#include "app/stall_watch.h"

#include <algorithm>
#include <ctime>

namespace qlnrec::app {

StallWatch::StallWatch(int thresholdMs, std::function<void(const Stall&)> report, QObject* parent)
    : QObject(parent), thresholdMs_(thresholdMs), report_(std::move(report))
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &StallWatch::tick);
    clock_.start();
    lastCpuMs_ = threadCpuMs();
    timer_.start();
}

qint64 StallWatch::threadCpuMs()
{
    // The watch lives on the GUI thread, so this thread's clock is the GUI thread's.
    timespec now{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0) {
        return 0;
    }
    return static_cast<qint64>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void StallWatch::tick()
{
    const qint64 now = clock_.elapsed();
    const qint64 cpu = threadCpuMs();
    const Stall stall{now - last_ - kTickMs, cpu - lastCpuMs_};
    last_ = now;
    lastCpuMs_ = cpu;
    if (stall.wallMs > longest_.wallMs) {
        longest_ = stall;
    }
    if (stall.wallMs > thresholdMs_) {
        longestBusy_ = std::max(longestBusy_, stall.busyMs);
        ++reported_;
        if (report_) {
            report_(stall);
        }
    }
}

} // namespace qlnrec::app

#include "app/stall_watch.h"

namespace qlnrec::app {

StallWatch::StallWatch(int thresholdMs, std::function<void(qint64)> report, QObject* parent)
    : QObject(parent), thresholdMs_(thresholdMs), report_(std::move(report))
{
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(kTickMs);
    connect(&timer_, &QTimer::timeout, this, &StallWatch::tick);
    clock_.start();
    timer_.start();
}

void StallWatch::tick()
{
    const qint64 now = clock_.elapsed();
    const qint64 stall = now - last_ - kTickMs;
    last_ = now;
    if (stall > longest_) {
        longest_ = stall;
    }
    if (stall > thresholdMs_) {
        ++reported_;
        if (report_) {
            report_(stall);
        }
    }
}

} // namespace qlnrec::app

#pragma once
// Watches the GUI thread's event loop on the wall clock: a short timer that should fire every
// few milliseconds; a late tick means the loop was held up (a stall). Stalls above a threshold are
// reported as they happen, and the longest one is kept, so a user on a slow machine (or a
// benchmark) can see whether the window ever stops responding.
//
// Each stall also carries the CPU time the GUI thread spent in it: a stall that is mostly waiting
// (a machine too loaded to schedule the thread, a slow disk) tells a different story from one the
// program spent working.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace qlnrec::app {

struct Stall {
    qint64 wallMs = 0; // how long the loop did not turn
    qint64 busyMs = 0; // of that, CPU time the GUI thread used
};

class StallWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 5;

    // report hears each stall longer than thresholdMs.
    StallWatch(int thresholdMs, std::function<void(const Stall&)> report, QObject* parent = nullptr);

    qint64 longestStallMs() const { return longest_.wallMs; }
    const Stall& longestStall() const { return longest_; }
    // The longest CPU time the GUI thread spent in any one stall (the program's own share).
    qint64 longestBusyMs() const { return longestBusy_; }
    int stallsReported() const { return reported_; }

private:
    void tick();
    static qint64 threadCpuMs();

    int thresholdMs_;
    std::function<void(const Stall&)> report_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 lastCpuMs_ = 0;
    Stall longest_;
    qint64 longestBusy_ = 0;
    int reported_ = 0;
};

} // namespace qlnrec::app

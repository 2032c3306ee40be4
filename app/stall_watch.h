#pragma once
// Watches the GUI thread's event loop on the wall clock: a short timer that should fire every
// few milliseconds; a late tick means the loop was busy (a stall). Stalls above a threshold are
// reported as they happen, and the longest one is kept, so a user on a slow machine (or a
// benchmark) can see whether the window ever stops responding.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace qlnrec::app {

class StallWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kTickMs = 5;

    // report hears each stall longer than thresholdMs (its length in ms).
    StallWatch(int thresholdMs, std::function<void(qint64 stallMs)> report, QObject* parent = nullptr);

    qint64 longestStallMs() const { return longest_; }
    int stallsReported() const { return reported_; }

private:
    void tick();

    int thresholdMs_;
    std::function<void(qint64)> report_;
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    int reported_ = 0;
};

} // namespace qlnrec::app

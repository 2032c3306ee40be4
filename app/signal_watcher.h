#pragma once
// SIGTERM and SIGINT become an orderly shutdown: the signal handler only writes a byte to a
// pipe, and the GUI thread reads it through a socket notifier and calls onSignal.
#include <QObject>

#include <functional>

class QSocketNotifier;

namespace qlnrec::app {

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    // Installs the handlers for SIGTERM and SIGINT. One watcher per process.
    explicit SignalWatcher(std::function<void(int signalNumber)> onSignal, QObject* parent = nullptr);
    ~SignalWatcher() override;
    bool isInstalled() const { return notifier_ != nullptr; }

private:
    void readSignal();

    std::function<void(int)> onSignal_;
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace qlnrec::app

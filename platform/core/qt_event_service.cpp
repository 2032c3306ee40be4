#include "qt_event_service.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

namespace qlnrec::platform {

// Lives on the GUI thread; posted functions are queued to it.
class QtEventService::Receiver : public QObject {
};

QtEventService::QtEventService() : receiver_(new Receiver)
{
    elapsed_.start();
}

QtEventService::~QtEventService()
{
    delete receiver_;
}

std::uint32_t QtEventService::timeGetTime() const
{
    return static_cast<std::uint32_t>(elapsed_.elapsed() + 1000);
}

QDateTime QtEventService::currentDateTime() const
{
    return QDateTime::currentDateTime();
}

void QtEventService::post(std::function<void()> fn)
{
    QMetaObject::invokeMethod(receiver_, std::move(fn), Qt::QueuedConnection);
}

void QtEventService::processPendingEvents()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtEventService::scheduleTimer(Timer& timer)
{
    auto* qtimer = static_cast<QTimer*>(timer.backendData);
    if (!qtimer) {
        qtimer = new QTimer(receiver_);
        qtimer->setTimerType(Qt::PreciseTimer);
        Timer* owner = &timer;
        QObject::connect(qtimer, &QTimer::timeout, receiver_, [owner] { EventService::fire(*owner); });
        timer.backendData = qtimer;
    }
    qtimer->stop();
    if (timer.isEnabled() && timer.interval() > 0) {
        qtimer->start(static_cast<int>(timer.interval()));
    }
}

void QtEventService::cancelTimer(Timer& timer)
{
    auto* qtimer = static_cast<QTimer*>(timer.backendData);
    if (!qtimer) {
        return;
    }
    qtimer->stop();
    if (!timer.isEnabled()) {
        // The owning Timer may be going away: release the QTimer with it.
        qtimer->deleteLater();
        timer.backendData = nullptr;
    }
}

}  // namespace qlnrec::platform

#pragma once
// Production time: Qt's event loop, QTimer and the system clock.
#include "event_service.h"

#include <QElapsedTimer>

namespace qlnrec::platform {

class QtEventService final : public EventService {
public:
    QtEventService();
    ~QtEventService() override;

    std::uint32_t timeGetTime() const override;
    QDateTime currentDateTime() const override;
    void post(std::function<void()> fn) override;
    void processPendingEvents() override;

protected:
    void scheduleTimer(Timer& timer) override;
    void cancelTimer(Timer& timer) override;

private:
    QElapsedTimer elapsed_;
    class Receiver;
    Receiver* receiver_;
};

}  // namespace qlnrec::platform

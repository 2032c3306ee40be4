#pragma once
// A serial port served by its own thread: QSerialPort lives on a QThread with its own event
// loop. What the port reads and its errors reach the GUI thread only as messages posted through
// the EventService; writes travel the other way as queued calls. Stale messages of an earlier
// opening are dropped.
#include "platform/core/event_service.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace qlnrec::platform::modem {

class SerialLink {
public:
    enum class OpenResult { Opened, Missing, Busy, Failed };
    struct Handlers {
        std::function<void(const QByteArray& bytes)> data; // GUI thread
        std::function<void(const QString& error)> error;   // GUI thread; the port is closed then
    };

    explicit SerialLink(EventService& events);
    ~SerialLink();
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Opens the port raw 8N1 without flow control (waits for the port thread).
    OpenResult open(const QString& path, int baudRate, Handlers handlers, QString* error);
    bool isOpen() const;
    void write(const QByteArray& bytes);
    // Writes `farewell` (each waiting briefly for the modem's answer), then closes the port.
    void close(const QList<QByteArray>& farewell = {});

private:
    class Worker;
    struct Shared;
    EventService& events_;
    std::shared_ptr<Shared> shared_;
    class Thread;
    std::unique_ptr<Thread> thread_;
    Worker* worker_ = nullptr;
};

} // namespace qlnrec::platform::modem

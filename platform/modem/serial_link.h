#pragma once
// A serial port served by its own thread: QSerialPort lives on a QThread with its own event
// loop. What the port reads and its errors reach the GUI thread only as messages posted through
// the EventService; writes travel the other way as queued calls. Stale messages of an earlier
// opening are dropped.
#include "platform/core/event_service.h"
#include "platform/modem/byte_link.h"

#include <memory>

namespace qlnrec::platform::modem {

class SerialLink final : public ByteLink {
public:
    SerialLink(EventService& events, QString path, int baudRate);
    ~SerialLink() override;
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;

    // Opens the port raw 8N1 without flow control (waits for the port thread).
    OpenResult open(Handlers handlers, QString* error) override;
    bool isOpen() const override;
    void write(const QByteArray& bytes) override;
    // Writes `farewell` (each waiting briefly for the modem's answer), then closes the port.
    void close(const QList<QByteArray>& farewell = {}) override;
    // A real UART (ttyS, ttyUSB) carries 16-bit audio only from 230400 baud on; USB CDC modems
    // (ttyACM) and pseudo-terminals ignore the nominal rate.
    bool fitsWideAudio() const override;

private:
    class Worker;
    struct Shared;
    EventService& events_;
    QString path_;
    int baudRate_;
    std::shared_ptr<Shared> shared_;
    class Thread;
    std::unique_ptr<Thread> thread_;
    Worker* worker_ = nullptr;
};

} // namespace qlnrec::platform::modem

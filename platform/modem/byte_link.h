#pragma once
// The bytes between a modem line and its modem, whatever carries them: a serial port served by a
// thread of its own, or a device inside this process (a simulated modem in virtual time). What
// arrives, and the loss of the link, reach the handlers on the GUI thread as events posted
// through the EventService, never from inside open(), write() or close().
#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

namespace qlnrec::platform::modem {

class ByteLink {
public:
    enum class OpenResult { Opened, Missing, Busy, Failed };
    struct Handlers {
        std::function<void(const QByteArray& bytes)> data; // GUI thread
        std::function<void(const QString& error)> lost;    // GUI thread; the link is closed then
    };

    virtual ~ByteLink() = default;

    // Opens the link; the handlers serve this opening only (what an earlier one still had in
    // flight is dropped).
    virtual OpenResult open(Handlers handlers, QString* error) = 0;
    virtual bool isOpen() const = 0;
    virtual void write(const QByteArray& bytes) = 0;
    // Writes `farewell` (each given a moment for the modem's answer), then closes the link.
    virtual void close(const QList<QByteArray>& farewell = {}) = 0;
    // Whether 16-bit audio (16,000 bytes a second each way) fits through the link.
    virtual bool fitsWideAudio() const { return true; }
};

} // namespace qlnrec::platform::modem

#pragma once
// A byte link to a device inside this process, such as a simulated modem run in virtual time.
// What the line writes reaches the device at once; what the device sends reaches the line as
// events posted through the EventService, as a serial port's bytes do. A device that is pulled
// out loses an open link, and opening fails until it is back.
#include "platform/core/event_service.h"
#include "platform/modem/byte_link.h"

#include <cstdint>
#include <memory>

namespace qlnrec::platform::modem {

class InProcessLink final : public ByteLink {
public:
    explicit InProcessLink(EventService& events);
    ~InProcessLink() override;
    InProcessLink(const InProcessLink&) = delete;
    InProcessLink& operator=(const InProcessLink&) = delete;

    // ---- the device's side ----
    // Receives what the line writes while the link is open (farewell lines included).
    void setReceiver(std::function<void(const QByteArray& bytes)> receiver);
    // Sends bytes to the line; dropped while the link is closed.
    void send(const QByteArray& bytes);
    void setPresent(bool present);
    bool present() const { return present_; }

    // ---- ByteLink ----
    OpenResult open(Handlers handlers, QString* error) override;
    bool isOpen() const override { return open_; }
    void write(const QByteArray& bytes) override;
    void close(const QList<QByteArray>& farewell = {}) override;

private:
    struct Shared {
        std::uint64_t generation = 0;
        Handlers handlers;
    };
    template <typename F> void post(F fn);

    EventService& events_;
    std::shared_ptr<Shared> shared_;
    std::function<void(const QByteArray&)> receiver_;
    bool present_ = true;
    bool open_ = false;
};

} // namespace qlnrec::platform::modem

#include "platform/modem/in_process_link.h"

namespace qlnrec::platform::modem {

InProcessLink::InProcessLink(EventService& events) : events_(events), shared_(std::make_shared<Shared>()) {}

InProcessLink::~InProcessLink()
{
    ++shared_->generation; // nothing still posted reaches the handlers
}

void InProcessLink::setReceiver(std::function<void(const QByteArray&)> receiver)
{
    receiver_ = std::move(receiver);
}

// Runs fn with the handlers of the current opening, later, on the event service; an opening
// that has ended by then gets nothing.
template <typename F> void InProcessLink::post(F fn)
{
    std::weak_ptr<Shared> weak = shared_;
    const std::uint64_t generation = shared_->generation;
    events_.post([weak, generation, fn] {
        auto shared = weak.lock();
        if (!shared || shared->generation != generation) {
            return;
        }
        const Handlers handlers = shared->handlers;
        fn(handlers);
    });
}

void InProcessLink::send(const QByteArray& bytes)
{
    if (!open_ || bytes.isEmpty()) {
        return;
    }
    post([bytes](const Handlers& h) {
        if (h.data) {
            h.data(bytes);
        }
    });
}

void InProcessLink::setPresent(bool present)
{
    present_ = present;
    if (present || !open_) {
        return;
    }
    open_ = false;
    post([](const Handlers& h) {
        if (h.lost) {
            h.lost(QStringLiteral("the device was removed"));
        }
    });
}

ByteLink::OpenResult InProcessLink::open(Handlers handlers, QString* error)
{
    ++shared_->generation;
    shared_->handlers = std::move(handlers);
    if (!present_) {
        open_ = false;
        if (error) {
            *error = QStringLiteral("no such device");
        }
        return OpenResult::Missing;
    }
    open_ = true;
    return OpenResult::Opened;
}

void InProcessLink::write(const QByteArray& bytes)
{
    if (open_ && receiver_) {
        receiver_(bytes);
    }
}

void InProcessLink::close(const QList<QByteArray>& farewell)
{
    if (open_ && receiver_) {
        for (const QByteArray& line : farewell) {
            receiver_(line);
        }
    }
    open_ = false;
    ++shared_->generation;
}

} // namespace qlnrec::platform::modem

#include "platform/modem/serial_link.h"

#include <QFileInfo>
#include <QMetaObject>
#include <QSerialPort>
#include <QThread>

#include <atomic>
#include <mutex>

namespace qlnrec::platform::modem {

// What the GUI side and the port thread share: the handlers of the current opening and its
// number, so that messages of an earlier opening are recognised and dropped.
struct SerialLink::Shared {
    std::mutex mutex;
    Handlers handlers;
    std::atomic<std::uint64_t> generation{0};
    std::atomic<bool> open{false};
};

class SerialLink::Thread : public QThread {
public:
    using QThread::QThread;
};

class SerialLink::Worker : public QObject {
public:
    Worker(EventService& events, std::shared_ptr<Shared> shared) : events_(events), shared_(std::move(shared))
    {
    }

    // Port thread.
    void openPort(const QString& path, int baudRate, std::uint64_t generation, OpenResult* result,
                  QString* error)
    {
        closePort({});
        generation_ = generation;
        port_ = new QSerialPort(this);
        port_->setPortName(path);
        if (!port_->open(QIODevice::ReadWrite)) {
            const auto e = port_->error();
            *error = port_->errorString();
            *result = e == QSerialPort::DeviceNotFoundError ? OpenResult::Missing
                      : e == QSerialPort::PermissionError   ? OpenResult::Busy
                                                            : OpenResult::Failed;
            delete port_;
            port_ = nullptr;
            return;
        }
        // A pseudo-terminal or a USB CDC port ignores some of these; a failure is not fatal.
        port_->setBaudRate(baudRate);
        port_->setDataBits(QSerialPort::Data8);
        port_->setParity(QSerialPort::NoParity);
        port_->setStopBits(QSerialPort::OneStop);
        port_->setFlowControl(QSerialPort::NoFlowControl);
        port_->clearError();
        QObject::connect(port_, &QSerialPort::readyRead, this, [this] { readAll(); });
        QObject::connect(port_, &QSerialPort::errorOccurred, this,
                         [this](QSerialPort::SerialPortError e) { portError(e); });
        shared_->open = true;
        *result = OpenResult::Opened;
    }

    void writeBytes(const QByteArray& bytes, std::uint64_t generation)
    {
        if (port_ && generation == generation_) {
            port_->write(bytes);
        }
    }

    void closePort(const QList<QByteArray>& farewell)
    {
        if (!port_) {
            return;
        }
        if (port_->isOpen()) {
            QObject::disconnect(port_, nullptr, this, nullptr);
            for (const QByteArray& line : farewell) {
                port_->write(line);
                port_->waitForBytesWritten(200);
                // Give the modem a moment to act on it; its answer is of no further interest.
                QByteArray answer;
                for (int wait = 0; wait < 8; ++wait) {
                    if (answer.contains("OK") || answer.contains("ERROR") || answer.contains("VCON")) {
                        break;
                    }
                    if (port_->waitForReadyRead(50)) {
                        answer += port_->readAll();
                    }
                }
            }
            port_->close();
        }
        delete port_;
        port_ = nullptr;
        shared_->open = false;
    }

private:
    void readAll()
    {
        if (!port_) {
            return;
        }
        const QByteArray bytes = port_->readAll();
        if (bytes.isEmpty()) {
            return;
        }
        post([bytes](const Handlers& h) {
            if (h.data) {
                h.data(bytes);
            }
        });
    }

    void portError(QSerialPort::SerialPortError e)
    {
        if (e == QSerialPort::NoError || e == QSerialPort::TimeoutError || !port_) {
            return;
        }
        const QString text = port_->errorString();
        // Hand over what arrived before the error, then close.
        readAll();
        QObject::disconnect(port_, nullptr, this, nullptr);
        port_->close();
        port_->deleteLater();
        port_ = nullptr;
        shared_->open = false;
        post([text](const Handlers& h) {
            if (h.lost) {
                h.lost(text);
            }
        });
    }

    template <typename F> void post(F fn)
    {
        const std::uint64_t generation = generation_;
        std::weak_ptr<Shared> weak = shared_;
        events_.post([weak, generation, fn] {
            auto shared = weak.lock();
            if (!shared || shared->generation != generation) {
                return;
            }
            Handlers handlers;
            {
                std::lock_guard lock(shared->mutex);
                handlers = shared->handlers;
            }
            fn(handlers);
        });
    }

    EventService& events_;
    std::shared_ptr<Shared> shared_;
    QSerialPort* port_ = nullptr;
    std::uint64_t generation_ = 0;
};

SerialLink::SerialLink(EventService& events, QString path, int baudRate)
    : events_(events), path_(std::move(path)), baudRate_(baudRate), shared_(std::make_shared<Shared>())
{
    thread_ = std::make_unique<Thread>();
    thread_->setObjectName(QStringLiteral("modem serial"));
    worker_ = new Worker(events_, shared_);
    worker_->moveToThread(thread_.get());
    QObject::connect(thread_.get(), &QThread::finished, worker_, &QObject::deleteLater);
    thread_->start();
}

SerialLink::~SerialLink()
{
    ++shared_->generation; // nothing posted from here on reaches the handlers
    QMetaObject::invokeMethod(
        worker_, [w = worker_] { w->closePort({}); }, Qt::BlockingQueuedConnection);
    thread_->quit();
    thread_->wait();
}

SerialLink::OpenResult SerialLink::open(Handlers handlers, QString* error)
{
    const QString path = path_;
    const int baudRate = baudRate_;
    const std::uint64_t generation = ++shared_->generation;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->handlers = std::move(handlers);
    }
    OpenResult result = OpenResult::Failed;
    QString text;
    QMetaObject::invokeMethod(
        worker_,
        [w = worker_, path, baudRate, generation, &result, &text] {
            w->openPort(path, baudRate, generation, &result, &text);
        },
        Qt::BlockingQueuedConnection);
    if (error) {
        *error = text;
    }
    return result;
}

bool SerialLink::isOpen() const
{
    return shared_->open;
}

void SerialLink::write(const QByteArray& bytes)
{
    const std::uint64_t generation = shared_->generation;
    QMetaObject::invokeMethod(
        worker_, [w = worker_, bytes, generation] { w->writeBytes(bytes, generation); },
        Qt::QueuedConnection);
}

void SerialLink::close(const QList<QByteArray>& farewell)
{
    ++shared_->generation;
    QMetaObject::invokeMethod(
        worker_, [w = worker_, farewell] { w->closePort(farewell); }, Qt::BlockingQueuedConnection);
}

bool SerialLink::fitsWideAudio() const
{
    const QString target = QFileInfo(path_).canonicalFilePath();
    const QString name = QFileInfo(target.isEmpty() ? path_ : target).fileName();
    const bool rateLimited =
        name.startsWith(QLatin1String("ttyS")) || name.startsWith(QLatin1String("ttyUSB"));
    return !rateLimited || baudRate_ >= 230400;
}

} // namespace qlnrec::platform::modem

#pragma once
// <DLE> shielding of a voice modem's byte stream (ITU-T V.253): in both directions a data byte
// 0x10 travels as <DLE><DLE>; every other <DLE><x> pair is a code (an event from the modem, a
// command to it). <DLE><SUB> is a compact form of two data 0x10 bytes.
#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <functional>

namespace qlnrec::platform::modem {

inline constexpr char kDle = 0x10;
inline constexpr char kEtx = 0x03;
inline constexpr char kCan = 0x18;
inline constexpr char kSub = 0x1A;
inline constexpr char kNul = 0x00;

// Doubles every 0x10 of data for sending to the modem.
QByteArray dleShield(const char* data, std::size_t size);
inline QByteArray dleShield(const QByteArray& data)
{
    return dleShield(data.constData(), static_cast<std::size_t>(data.size()));
}
// A two-byte code (<DLE><code>).
inline QByteArray dleCode(char code)
{
    return QByteArray{} + kDle + code;
}

// Splits what the modem sends into data runs and codes, in order. A <DLE> that ends one read is
// kept and joined with the next. Data passed to onData is already unshielded.
class DleDecoder {
public:
    using DataFn = std::function<void(const char* data, std::size_t size)>;
    using CodeFn = std::function<void(char code)>;

    void feed(const char* data, std::size_t size, const DataFn& onData, const CodeFn& onCode);
    void feed(const QByteArray& bytes, const DataFn& onData, const CodeFn& onCode)
    {
        feed(bytes.constData(), static_cast<std::size_t>(bytes.size()), onData, onCode);
    }
    // True when the last byte fed was a lone <DLE> waiting for its partner.
    bool pendingDle() const { return pendingDle_; }
    void reset() { pendingDle_ = false; }

private:
    bool pendingDle_ = false;
};

} // namespace qlnrec::platform::modem

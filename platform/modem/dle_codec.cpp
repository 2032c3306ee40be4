#include "platform/modem/dle_codec.h"

namespace qlnrec::platform::modem {

QByteArray dleShield(const char* data, std::size_t size)
{
    QByteArray out;
    out.reserve(static_cast<qsizetype>(size + size / 64 + 4));
    for (std::size_t i = 0; i < size; ++i) {
        out.append(data[i]);
        if (data[i] == kDle) {
            out.append(kDle);
        }
    }
    return out;
}

void DleDecoder::feed(const char* data, std::size_t size, const DataFn& onData, const CodeFn& onCode)
{
    static const char kTwoDle[2] = {kDle, kDle};
    static const char kOneDle[1] = {kDle};
    std::size_t runStart = 0;
    std::size_t i = 0;
    if (pendingDle_ && size > 0) {
        pendingDle_ = false;
        const char code = data[0];
        if (code == kDle) {
            onData(kOneDle, 1);
        } else if (code == kSub) {
            onData(kTwoDle, 2);
        } else {
            onCode(code);
        }
        i = 1;
        runStart = 1;
    }
    for (; i < size; ++i) {
        if (data[i] != kDle) {
            continue;
        }
        if (i > runStart) {
            onData(data + runStart, i - runStart);
        }
        if (i + 1 >= size) {
            pendingDle_ = true;
            return;
        }
        const char code = data[i + 1];
        if (code == kDle) {
            // The data byte itself starts the next run.
            runStart = i + 1;
            i += 1;
            continue;
        }
        if (code == kSub) {
            onData(kTwoDle, 2);
        } else {
            onCode(code);
        }
        i += 1;
        runStart = i + 1;
    }
    if (size > runStart) {
        onData(data + runStart, size - runStart);
    }
}

} // namespace qlnrec::platform::modem

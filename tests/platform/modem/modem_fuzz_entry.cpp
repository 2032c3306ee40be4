#include "tests/platform/modem/modem_fuzz_entry.h"

#include "platform/core/virtual_event_service.h"
#include "platform/modem/at_response.h"
#include "platform/modem/caller_id_parser.h"
#include "platform/modem/modem_channel.h"
#include "platform/modem/modem_probe.h"
#include "platform/modem/voice_format.h"

#include <QByteArray>
#include <QList>

namespace qlnrec::test {

namespace {

using namespace qlnrec::platform;
using namespace qlnrec::platform::modem;

struct Listener final : ModemChannelListener {
    CallerIdCollector callerId;
    std::vector<std::int16_t> samples;
    SampleFormat format = SampleFormat::Signed16;
    void unsolicitedLine(const QByteArray& line) override
    {
        (void)isRingLine(line);
        (void)isIgnoredReport(line);
        callerId.addLine(line);
    }
    void code(char) override {}
    void audio(const char* data, std::size_t size) override
    {
        decodeSamples(format, reinterpret_cast<const std::uint8_t*>(data), size, samples);
        if (samples.size() > 100000) {
            samples.clear();
        }
    }
    void streamEnded() override {}
    void garbage(const QByteArray&) override {}
};

} // namespace

int fuzzModemOnce(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), static_cast<qsizetype>(size - 1));
    const std::uint8_t selector = data[0];

    VirtualEventService events;
    Listener listener;
    listener.format = static_cast<SampleFormat>(selector % 6);
    QByteArray written;
    ModemChannel channel(events, listener, [&](const QByteArray& b) {
        if (written.size() < 4096) {
            written.append(b);
        }
    });
    QList<ModemReply> replies;
    if (selector & 0x40) {
        channel.command(
            "AT+VTR", 1000, [&](const ModemReply& r) { replies.append(r); }, true);
    } else if (selector & 0x20) {
        channel.command("ATI3", 1000, [&](const ModemReply& r) { replies.append(r); });
    }
    // Pieces of varying size, so codes and lines are cut anywhere.
    const qsizetype piece = 1 + (selector & 0x1F);
    for (qsizetype at = 0; at < bytes.size(); at += piece) {
        channel.feed(bytes.mid(at, piece));
        if ((selector & 0x80) && channel.mode() == ModemChannel::Mode::Stream && at > bytes.size() / 2) {
            channel.closeStream("\x10^", 500, [&](const ModemReply& r) { replies.append(r); });
        }
    }
    events.advance(2000);
    channel.reset();
    (void)listener.callerId.take().callerId();

    const QList<QByteArray> lines = bytes.split('\n');
    const auto methods = parseVsmList(lines);
    (void)rankVoiceMethods(methods, static_cast<SampleFormat>(selector % 6));
    (void)chooseLineLabel(parseVlsList(lines));
    (void)parseClassList(lines);
    (void)identificationText(lines);
    for (const QByteArray& line : lines) {
        (void)classifyResult(line);
        (void)looksLikeGarbage(line);
        (void)cleanCallerIdText(line, 16);
    }
    return 0;
}

} // namespace qlnrec::test

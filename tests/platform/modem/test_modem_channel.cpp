// The command and stream conversation with a modem, driven byte by byte in virtual time: replies
// and echoes, the switch into the audio stream at exactly the CONNECT, the way back on
// <DLE><ETX> or on a bare result code, time-outs, unsolicited reports and garbage.
#include "platform/core/virtual_event_service.h"
#include "platform/modem/dle_codec.h"
#include "platform/modem/modem_channel.h"

#include <gtest/gtest.h>

using namespace qlnrec::platform;
using namespace qlnrec::platform::modem;

namespace {

struct Recorder final : ModemChannelListener {
    QList<QByteArray> unsolicited;
    QByteArray codes;
    QByteArray audioBytes;
    int streamEnds = 0;
    QList<QByteArray> garbageLines;
    void unsolicitedLine(const QByteArray& line) override { unsolicited.append(line); }
    void code(char c) override { codes.append(c); }
    void audio(const char* data, std::size_t size) override
    {
        audioBytes.append(data, static_cast<qsizetype>(size));
    }
    void streamEnded() override { ++streamEnds; }
    void garbage(const QByteArray& sample) override { garbageLines.append(sample); }
};

struct ChannelRig {
    VirtualEventService events;
    Recorder listener;
    QByteArray written;
    ModemChannel channel{events, listener, [this](const QByteArray& b) { written.append(b); }};
    QList<ModemReply> replies;

    ModemChannel::ReplyFn keep()
    {
        return [this](const ModemReply& r) { replies.append(r); };
    }
};

} // namespace

TEST(ModemChannel, CommandsRunOneAtATimeAndSkipTheirEcho)
{
    ChannelRig rig;
    rig.channel.command("ATI3", 1000, rig.keep());
    rig.channel.command("AT+FCLASS=?", 1000, rig.keep());
    EXPECT_EQ(rig.written, "ATI3\r"); // the second waits for the first
    rig.channel.feed("ATI3\r\r\nCX93001-EIS_V0.2002-V92\r\n\r\nOK\r\n");
    ASSERT_EQ(rig.replies.size(), 1);
    EXPECT_EQ(rig.replies[0].result, ResultCode::Ok);
    EXPECT_EQ(rig.replies[0].lines, (QList<QByteArray>{"CX93001-EIS_V0.2002-V92"}));
    EXPECT_EQ(rig.written, "ATI3\rAT+FCLASS=?\r");
    // A ring and caller ID during a command are reports, not its answer.
    rig.channel.feed("\r\nRING\r\n\r\nNMBR = 5551234\r\n0,1,8\r\nERROR\r\n");
    ASSERT_EQ(rig.replies.size(), 2);
    EXPECT_EQ(rig.replies[1].result, ResultCode::Error);
    EXPECT_EQ(rig.replies[1].lines, (QList<QByteArray>{"0,1,8"}));
    EXPECT_EQ(rig.listener.unsolicited, (QList<QByteArray>{"RING", "NMBR = 5551234"}));
    EXPECT_TRUE(rig.channel.idle());
}

TEST(ModemChannel, ConnectSwitchesToTheStreamAtThatByteAndEtxSwitchesBack)
{
    ChannelRig rig;
    rig.channel.command("AT+VTR", 1000, rig.keep(), true);
    // The CONNECT and the first audio arrive in one read; audio carries doubled DLEs and a code.
    const QByteArray audio = QByteArray("\x80\x81") + kDle + kDle + "\x7f" + kDle + '5' + "\x82";
    rig.channel.feed("\r\nCONNECT\r\n" + audio.left(3));
    ASSERT_EQ(rig.replies.size(), 1);
    EXPECT_EQ(rig.replies[0].result, ResultCode::Connect);
    EXPECT_EQ(rig.channel.mode(), ModemChannel::Mode::Stream);
    rig.channel.feed(audio.mid(3) + "\r\nOK\r\n"); // text inside a stream is audio
    EXPECT_EQ(rig.listener.audioBytes, QByteArray("\x80\x81") + kDle + "\x7f\x82\r\nOK\r\n");
    EXPECT_EQ(rig.listener.codes, "5");
    EXPECT_TRUE(rig.listener.unsolicited.isEmpty());

    rig.channel.sendStream(dleShield(QByteArray(1, kDle)));
    EXPECT_TRUE(rig.written.endsWith(QByteArray{} + kDle + kDle));
    rig.channel.closeStream(dleCode('^'), 1000, rig.keep());
    EXPECT_EQ(rig.channel.mode(), ModemChannel::Mode::StreamClosing);
    EXPECT_TRUE(rig.written.endsWith(dleCode('^')));
    rig.channel.feed(QByteArray("\x80\x80") + kDle + kEtx + "\r\nOK\r\n");
    ASSERT_EQ(rig.replies.size(), 2);
    EXPECT_TRUE(rig.replies[1].ok());
    EXPECT_EQ(rig.channel.mode(), ModemChannel::Mode::Command);
    // Nothing is sent into a stream that is closed.
    const QByteArray before = rig.written;
    rig.channel.sendStream("xyz");
    EXPECT_EQ(rig.written, before);
}

TEST(ModemChannel, AStreamEndedWithoutEtxIsRecognisedByItsResultCode)
{
    ChannelRig rig;
    rig.channel.command("AT+VTX", 1000, rig.keep(), true);
    rig.channel.feed("\r\nCONNECT\r\n");
    rig.channel.closeStream(dleCode(kEtx), 1000, rig.keep());
    rig.channel.feed("\r\nVCON\r\n");
    ASSERT_EQ(rig.replies.size(), 2);
    EXPECT_EQ(rig.replies[1].result, ResultCode::Vcon);
    EXPECT_EQ(rig.channel.mode(), ModemChannel::Mode::Command);
    // Closing again with no stream open completes at once.
    rig.channel.closeStream(dleCode('!'), 1000, rig.keep());
    ASSERT_EQ(rig.replies.size(), 3);
    EXPECT_TRUE(rig.replies[2].ok());
}

TEST(ModemChannel, TheModemEndingTheStreamItselfIsReported)
{
    ChannelRig rig;
    rig.channel.command("AT+VRX", 1000, rig.keep(), true);
    rig.channel.feed(QByteArray("\r\nCONNECT\r\nabc") + kDle + 's' + kDle + kEtx + "\r\nOK\r\n\r\nRING\r\n");
    EXPECT_EQ(rig.listener.streamEnds, 1);
    EXPECT_EQ(rig.listener.codes, "s");
    EXPECT_EQ(rig.listener.audioBytes, "abc");
    EXPECT_EQ(rig.listener.unsolicited, (QList<QByteArray>{"OK", "RING"}));
}

TEST(ModemChannel, TimeOutsResetAndGarbage)
{
    ChannelRig rig;
    rig.channel.command("ATZ", 500, rig.keep());
    rig.channel.command("AT", 500, rig.keep());
    rig.events.advance(499);
    EXPECT_TRUE(rig.replies.isEmpty());
    rig.events.advance(1);
    ASSERT_EQ(rig.replies.size(), 1);
    EXPECT_TRUE(rig.replies[0].timedOut);
    EXPECT_EQ(rig.replies[0].result, ResultCode::None);
    // The next command went out after the time-out.
    EXPECT_EQ(rig.written, "ATZ\rAT\r");
    rig.channel.feed(QByteArray("\x01\x9f\xfe\x02\x88\x13\xc1\x92\r\n", 10));
    EXPECT_EQ(rig.listener.garbageLines.size(), 1);
    EXPECT_EQ(rig.replies.size(), 1);
    // A line without end that grows too long counts as garbage as well.
    rig.channel.feed(QByteArray(600, 'x'));
    EXPECT_EQ(rig.listener.garbageLines.size(), 2);
    rig.channel.command("AT+VSM=?", 500, rig.keep());
    rig.channel.reset();
    ASSERT_EQ(rig.replies.size(), 3);
    EXPECT_TRUE(rig.replies[1].reset);
    EXPECT_TRUE(rig.replies[2].reset);
    EXPECT_TRUE(rig.channel.idle());
    rig.events.advance(1000); // no stray time-out after a reset
    EXPECT_EQ(rig.replies.size(), 3);
}

TEST(ModemChannel, DialResultsAndAStreamCloseThatTimesOut)
{
    ChannelRig rig;
    rig.channel.command("ATD5551234", 5000, rig.keep());
    rig.channel.feed(QByteArray{} + kDle + 'r' + "\r\nBUSY\r\n");
    ASSERT_EQ(rig.replies.size(), 1);
    EXPECT_EQ(rig.replies[0].result, ResultCode::Busy);
    EXPECT_EQ(rig.listener.codes, "r");

    rig.channel.command("AT+VRX", 1000, rig.keep(), true);
    rig.channel.feed("\r\nCONNECT\r\n");
    rig.channel.closeStream(dleCode('!'), 800, rig.keep());
    rig.events.advance(800);
    ASSERT_EQ(rig.replies.size(), 3);
    EXPECT_TRUE(rig.replies[2].timedOut);
    EXPECT_EQ(rig.channel.mode(), ModemChannel::Mode::Command);
}

// What voice modems send, parsed: <DLE> shielding across read boundaries, result codes, caller-ID
// reports in their several layouts, the +VSM and +VLS listings of each chipset family, and the
// sample formats checked against the simulator's independent implementation.
#include "platform/modem/at_response.h"
#include "platform/modem/caller_id_parser.h"
#include "platform/modem/dle_codec.h"
#include "platform/modem/modem_line.h"
#include "platform/modem/modem_probe.h"
#include "platform/modem/modem_provider.h"
#include "platform/modem/voice_format.h"
#include "tests/platform/modem/modem_fuzz_entry.h"
#include "tests/platform/modem/modemsim/sim_audio.h"
#include "tests/platform/modem/modemsim/sim_family.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace qlnrec::platform;
using namespace qlnrec::platform::modem;

namespace {

// Decodes a byte stream fed in the given pieces; codes appear in the output as "{c}".
QByteArray decodeInPieces(const QByteArray& stream, const std::vector<qsizetype>& cuts)
{
    DleDecoder decoder;
    QByteArray out;
    qsizetype from = 0;
    std::vector<qsizetype> all = cuts;
    all.push_back(stream.size());
    for (const qsizetype to : all) {
        decoder.feed(
            stream.mid(from, to - from),
            [&](const char* d, std::size_t n) { out.append(d, static_cast<qsizetype>(n)); },
            [&](char c) { out.append('{').append(c).append('}'); });
        from = to;
    }
    return out;
}

} // namespace

TEST(DleDecoder, EveryCutOfAStreamGivesTheSameDataAndCodes)
{
    // Data with a doubled DLE, a compact double DLE, codes and a DLE right at the end.
    const QByteArray stream = QByteArray("ab") + kDle + kDle + "c" + kDle + 'R' + "d" + kDle + kSub + "e" +
                              kDle + '/' + kDle + '5' + kDle + '~' + "f" + kDle + kEtx;
    const QByteArray expected = QByteArray("ab") + kDle + "c{R}d" + kDle + kDle + "e{/}{5}{~}f{" + kEtx + "}";
    EXPECT_EQ(decodeInPieces(stream, {}), expected);
    for (qsizetype cut = 1; cut < stream.size(); ++cut) {
        EXPECT_EQ(decodeInPieces(stream, {cut}), expected) << "cut at " << cut;
    }
    // One byte at a time.
    std::vector<qsizetype> everyByte;
    for (qsizetype i = 1; i < stream.size(); ++i) {
        everyByte.push_back(i);
    }
    EXPECT_EQ(decodeInPieces(stream, everyByte), expected);
}

TEST(DleDecoder, ShieldedRandomAudioComesBackUnchangedInRandomPieces)
{
    QRandomGenerator rng(4711);
    QByteArray audio;
    for (int i = 0; i < 20000; ++i) {
        // Many 0x10 bytes, runs of them included.
        const int r = static_cast<int>(rng.bounded(10));
        audio.append(r < 3 ? kDle : static_cast<char>(rng.bounded(256)));
    }
    const QByteArray shielded = dleShield(audio);
    EXPECT_EQ(shielded.count(kDle), 2 * audio.count(kDle));
    std::vector<qsizetype> cuts;
    for (qsizetype at = static_cast<qsizetype>(rng.bounded(50)); at < shielded.size();
         at += 1 + static_cast<qsizetype>(rng.bounded(300))) {
        cuts.push_back(at);
    }
    EXPECT_EQ(decodeInPieces(shielded, cuts), audio);
}

TEST(DleDecoder, LoneDleWaitsForItsPartner)
{
    DleDecoder decoder;
    QByteArray data;
    QByteArray codes;
    auto feed = [&](const QByteArray& b) {
        decoder.feed(
            b, [&](const char* d, std::size_t n) { data.append(d, static_cast<qsizetype>(n)); },
            [&](char c) { codes.append(c); });
    };
    feed(QByteArray("x") + kDle);
    EXPECT_TRUE(decoder.pendingDle());
    EXPECT_EQ(data, "x");
    EXPECT_TRUE(codes.isEmpty());
    feed(QByteArray(1, 'b'));
    EXPECT_FALSE(decoder.pendingDle());
    EXPECT_EQ(codes, "b");
    feed(QByteArray(1, kDle));
    feed(QByteArray(1, kDle));
    EXPECT_EQ(data, QByteArray("x") + kDle);
}

TEST(ResultCodes, FinalResultsAndReports)
{
    EXPECT_EQ(classifyResult("OK"), ResultCode::Ok);
    EXPECT_EQ(classifyResult("  ok "), ResultCode::Ok);
    EXPECT_EQ(classifyResult("ERROR"), ResultCode::Error);
    EXPECT_EQ(classifyResult("+CME ERROR: 3"), ResultCode::Error);
    EXPECT_EQ(classifyResult("CONNECT"), ResultCode::Connect);
    EXPECT_EQ(classifyResult("CONNECT 9600"), ResultCode::Connect);
    EXPECT_EQ(classifyResult("CONNECTED"), ResultCode::None);
    EXPECT_EQ(classifyResult("VCON"), ResultCode::Vcon);
    EXPECT_EQ(classifyResult("BUSY"), ResultCode::Busy);
    EXPECT_EQ(classifyResult("NO DIALTONE"), ResultCode::NoDialTone);
    EXPECT_EQ(classifyResult("NO DIAL TONE"), ResultCode::NoDialTone);
    EXPECT_EQ(classifyResult("NO ANSWER"), ResultCode::NoAnswer);
    EXPECT_EQ(classifyResult("NO CARRIER"), ResultCode::NoCarrier);
    EXPECT_EQ(classifyResult("RING"), ResultCode::None);
    EXPECT_EQ(classifyResult("NMBR = OK"), ResultCode::None);

    for (const char* ring : {"RING", "RING 1", "RING A", "RING;5551234;5559876", "ring"}) {
        EXPECT_TRUE(isRingLine(ring)) << ring;
    }
    for (const char* other : {"RINGING", "RINGBACK", "NMBR=RING", "BRING"}) {
        EXPECT_FALSE(isRingLine(other)) << other;
    }
    EXPECT_TRUE(isCallerIdLine("NMBR = 5551234"));
    EXPECT_TRUE(isCallerIdLine("DDN_NMBR=5551234"));
    EXPECT_FALSE(isCallerIdLine("CX93001-EIS_V0.2002-V92"));
    EXPECT_TRUE(isIgnoredReport("DRON=20"));
    EXPECT_TRUE(isIgnoredReport("CWON"));
}

TEST(ResultCodes, GarbageAndOverlongLines)
{
    EXPECT_FALSE(looksLikeGarbage("CX93001-EIS_V0.2002-V92"));
    EXPECT_FALSE(looksLikeGarbage("NAME = M\xc3\xbcller J\xc3\xb6rg"));
    EXPECT_TRUE(looksLikeGarbage(QByteArray("\x01\x9f\xfe\x02\x88\x13\xc1", 7)));
    LineAssembler assembler(16);
    bool complete = false;
    for (int i = 0; i < 16 && !complete; ++i) {
        complete = assembler.push('x');
    }
    ASSERT_TRUE(complete);
    EXPECT_TRUE(assembler.lastWasOverlong());
    EXPECT_EQ(assembler.take().size(), 16);
    EXPECT_FALSE(assembler.push('\r')); // nothing pending: empty lines are dropped
    EXPECT_FALSE(assembler.push('\n'));
}

TEST(CallerId, SpacedUnspacedAndFramedLayoutsGiveTheSameCaller)
{
    const QList<QList<QByteArray>> layouts = {
        {"DATE = 1207", "TIME = 1405", "NMBR = 5551234", "NAME = SMITH JOHN"},
        {"DATE=1207", "TIME=1405", "NMBR=5551234", "NAME=SMITH JOHN"},
        {"DATE = 1207", "TIME = 1405", "NAME = SMITH JOHN", "NMBR = 5551234"},
        {"DATE= 1207", "TIME =1405", "NMBR  =  5551234  ", "NAME=SMITH JOHN"},
    };
    for (const auto& lines : layouts) {
        CallerIdCollector c;
        for (const QByteArray& l : lines) {
            EXPECT_TRUE(c.addLine(l)) << l.constData();
        }
        const CallerIdReport r = c.take();
        EXPECT_EQ(r.date, "1207");
        EXPECT_EQ(r.time, "1405");
        EXPECT_EQ(r.number, CallerIdField::present("5551234"));
        EXPECT_EQ(r.name, CallerIdField::present("SMITH JOHN"));
        EXPECT_FALSE(c.hasData());
    }
}

TEST(CallerId, PrivateUnavailableRepeatsAndOddities)
{
    CallerIdCollector c;
    c.addLine("NMBR = P");
    c.addLine("NAME = O");
    EXPECT_EQ(c.report().number.kind, CallerIdField::Kind::Private);
    EXPECT_EQ(c.report().name.kind, CallerIdField::Kind::Unavailable);
    c.clear();

    // Some exchanges follow the number with "NMBR = O": the first number wins.
    c.addLine("NMBR = 5551234");
    c.addLine("NMBR = O");
    EXPECT_EQ(c.report().number, CallerIdField::present("5551234"));
    c.clear();

    // A first "O" is replaced by a real number that follows.
    c.addLine("NMBR=O");
    c.addLine("DDN_NMBR=4075551212");
    EXPECT_EQ(c.report().number, CallerIdField::present("4075551212"));
    c.clear();

    c.addLine("MESG = 060342424231");
    c.addLine("MESG = 0703313233");
    EXPECT_EQ(c.report().messages.size(), 2);
    EXPECT_TRUE(c.hasData());
    c.clear();

    EXPECT_FALSE(c.addLine("RING"));
    EXPECT_FALSE(c.addLine("FOO = bar"));
    EXPECT_FALSE(c.hasData());

    // An empty number is no number.
    c.addLine("NMBR =");
    EXPECT_EQ(c.report().number.kind, CallerIdField::Kind::Absent);
}

// Unformatted reports: the single- and multiple-message packets as hex lines; a packet whose
// checksum or lengths do not hold names nobody.
TEST(CallerId, UnformattedPacketsGiveTheCallerAndDamagedOnesNobody)
{
    CallerIdCollector c;
    ASSERT_TRUE(c.addLine("040F313230373134303535353531323334F0"));
    EXPECT_EQ(c.report().number, CallerIdField::present("5551234"));
    EXPECT_EQ(c.report().date, "1207");
    EXPECT_EQ(c.report().time, "1405");
    c.clear();
    ASSERT_TRUE(c.addLine("801F01083132303731343035020735353531323334070A534D495448204A4F484E6D"));
    EXPECT_EQ(c.report().number, CallerIdField::present("5551234"));
    EXPECT_EQ(c.report().name, CallerIdField::present("SMITH JOHN"));
    c.clear();
    ASSERT_TRUE(c.addLine("80100108313230373134303504015008015025"));
    EXPECT_EQ(c.report().number.kind, CallerIdField::Kind::Private);
    EXPECT_EQ(c.report().name.kind, CallerIdField::Kind::Private);
    c.clear();
    EXPECT_FALSE(
        c.addLine("801F01083132303731343035020735353531323334070A534D495448204A4F484E00")); // checksum
    EXPECT_FALSE(c.addLine("8011010831323037313430350732534D49544814")); // the name claims 50 bytes
    EXPECT_FALSE(c.addLine("0000000"));
    EXPECT_FALSE(c.hasData());
}

TEST(CallerId, ControlBytesAreRemovedAndLongTextIsCutCleanly)
{
    CallerIdCollector c;
    c.addLine(QByteArray("NMBR = 555\x07"
                         "12\x1b"
                         "34"));
    EXPECT_EQ(c.report().number, CallerIdField::present("5551234"));
    // A long name is cut at a character boundary, never inside a UTF-8 sequence.
    QByteArray name = QByteArray(kMaxCallerNameBytes - 1, 'A') + "\xc3\xa9XYZ";
    c.addLine("NAME = " + name);
    const QByteArray kept = c.report().name.text;
    EXPECT_LE(kept.size(), kMaxCallerNameBytes);
    EXPECT_EQ(kept, QByteArray(kMaxCallerNameBytes - 1, 'A'));
    EXPECT_EQ(cleanCallerIdText("  \r\nJOE \t", 10), "JOE");
}

TEST(VoiceFormats, EachFamilyListingGivesTheRightMethod)
{
    // Conexant host-processed numbering: 16-bit linear is 133; mu-law 131, A-law 132.
    const QList<QByteArray> conexant = {"1,\"UNSIGNED PCM\",8,0,(7200,8000),(0),(0)",
                                        "128,\"8-BIT LINEAR\",8,0,(7200,8000),(0),(0)",
                                        "129,\"ADPCM\",4,0,(7200,8000),(0),(0)",
                                        "130,\"UNSIGNED PCM\",8,0,(7200,8000),(0),(0)",
                                        "131,\"ULAW\",8,0,(8000),(0),(0)",
                                        "132,\"ALAW\",8,0,(8000),(0),(0)",
                                        "133,\"LINEAR\",16,0,(7200,8000),(0),(0)"};
    // Lucent numbering: A-law 130, mu-law 131 (swapped against Conexant).
    const QList<QByteArray> lucent = {
        "128,\"8-BIT LINEAR\",8,0,(7200,8000,11025),(0),(0)",
        "129,\"16-BIT LINEAR\",16,0,(7200,8000,11025),(0),(0)", "130,\"8-BIT ALAW\",8,0,(8000),(0),(0)",
        "131,\"8-BIT ULAW\",8,0,(8000),(0),(0)", "132,\"IMA ADPCM\",4,0,(7200,8000,11025),(0),(0)"};
    // Conexant controller chips: 8-bit unsigned or ADPCM only.
    const QList<QByteArray> controller = {
        "1,\"UNSIGNED PCM\",8,0,(8000),(0),(0)", "129,\"IMA ADPCM\",4,0,(8000),(0),(0)",
        "130,\"UNSIGNED PCM\",8,0,(8000),(0),(0)", "140,\"2 Bit ADPCM\",2,0,(8000),(0),(0)",
        "141,\"4 Bit ADPCM\",4,0,(8000),(0),(0)"};
    struct Case {
        const char* what;
        QList<QByteArray> lines;
        std::optional<SampleFormat> preferred;
        int code;
        SampleFormat format;
    };
    const std::vector<Case> cases = {
        {"conexant default", conexant, std::nullopt, 133, SampleFormat::Signed16},
        {"conexant mu-law", conexant, SampleFormat::MuLaw, 131, SampleFormat::MuLaw},
        {"conexant A-law", conexant, SampleFormat::ALaw, 132, SampleFormat::ALaw},
        {"conexant 8-bit", conexant, SampleFormat::Unsigned8, 1, SampleFormat::Unsigned8},
        {"lucent default", lucent, std::nullopt, 129, SampleFormat::Signed16},
        {"lucent mu-law", lucent, SampleFormat::MuLaw, 131, SampleFormat::MuLaw},
        {"lucent A-law", lucent, SampleFormat::ALaw, 130, SampleFormat::ALaw},
        {"controller", controller, std::nullopt, 1, SampleFormat::Unsigned8},
        {"controller without mu-law", controller, SampleFormat::MuLaw, 1, SampleFormat::Unsigned8},
    };
    for (const Case& c : cases) {
        const auto chosen = chooseVoiceMethod(parseVsmList(c.lines), c.preferred);
        ASSERT_TRUE(chosen.has_value()) << c.what;
        EXPECT_EQ(chosen->code, c.code) << c.what;
        EXPECT_EQ(chosen->format, c.format) << c.what;
    }
}

TEST(VoiceFormats, ListingVariantsAndRates)
{
    // Older modems separate with semicolons and name methods we cannot decode.
    EXPECT_FALSE(chooseVoiceMethod(parseVsmList({"1;CELP;0", "2;ADPCM;2", "3;ADPCM;3"})).has_value());
    // Without 8000 in its rates a method does not count.
    const auto only7200 =
        parseVsmList({"128,\"8-BIT LINEAR\",8,0,(7200),(0),(0)", "4,\"G.711U\",8,0,(8000),(0),(0)"});
    ASSERT_EQ(only7200.size(), 2u);
    EXPECT_FALSE(only7200[0].supportsRate(8000));
    // A range counts when it spans 8000; an echoed "+VSM:" prefix is skipped.
    const auto ranged = parseVsmList({"+VSM: 129,\"16-BIT LINEAR\",16,0,(7200-11025),(0),(0)"});
    ASSERT_EQ(ranged.size(), 1u);
    EXPECT_TRUE(ranged[0].supportsRate(8000));
    EXPECT_EQ(ranged[0].format, SampleFormat::Signed16);
    // Standard codes without names: 0 signed, 1 unsigned, 4 mu-law, 5 A-law.
    EXPECT_EQ(classifyMethod("", 8, 0), SampleFormat::Signed8);
    EXPECT_EQ(classifyMethod("", 8, 1), SampleFormat::Unsigned8);
    EXPECT_EQ(classifyMethod("", 8, 4), SampleFormat::MuLaw);
    EXPECT_EQ(classifyMethod("\"SIGNED PCM\"", 16, 0), SampleFormat::Signed16);
    EXPECT_EQ(classifyMethod("SIGNED PCM", 8, 0), SampleFormat::Signed8);
    EXPECT_EQ(classifyMethod("UNSIGNED PCM", 16, 1), SampleFormat::Unsupported);
    // The standard code wins over a manufacturer code of the same kind.
    const auto tie = chooseVoiceMethod(
        parseVsmList({"130,\"UNSIGNED PCM\",8,0,(8000),(0),(0)", "1,\"UNSIGNED PCM\",8,0,(8000),(0),(0)"}));
    ASSERT_TRUE(tie);
    EXPECT_EQ(tie->code, 1);
}

TEST(VoiceFormats, LineLabelIsTheOneWithPrimitiveT)
{
    EXPECT_EQ(chooseLineLabel(parseVlsList(qlnrec::modemsim::conexantFamily().lineListing)), 1);
    EXPECT_EQ(chooseLineLabel(parseVlsList(qlnrec::modemsim::lucentFamily().lineListing)), 2);
    EXPECT_EQ(chooseLineLabel(parseVlsList({"0,2"})), 2);
    EXPECT_EQ(chooseLineLabel(parseVlsList({"(0-3)"})), 1);
    EXPECT_EQ(chooseLineLabel({}), 1);
}

TEST(SampleConversion, ProviderAndSimulatorAgreeOnEveryG711Code)
{
    using qlnrec::modemsim::SimFormat;
    for (int code = 0; code < 256; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        EXPECT_EQ(muLawToLinear(c), qlnrec::modemsim::simDecodeSample(SimFormat::MuLaw, c)) << code;
        EXPECT_EQ(aLawToLinear(c), qlnrec::modemsim::simDecodeSample(SimFormat::ALaw, c)) << code;
        // Encoding a code's own value gives the code back (mu-law has two zeros).
        EXPECT_EQ(linearToALaw(aLawToLinear(c)), c) << code;
        if (c != 0x7F) {
            EXPECT_EQ(linearToMuLaw(muLawToLinear(c)), c) << code;
        }
    }
    // Known G.711 values: silence, the extremes.
    EXPECT_EQ(linearToMuLaw(0), 0xFF);
    EXPECT_EQ(linearToALaw(0), 0xD5);
    EXPECT_EQ(muLawToLinear(0x00), -32124);
    EXPECT_EQ(muLawToLinear(0x80), 32124);
    EXPECT_EQ(aLawToLinear(0xAA), 32256);
    EXPECT_EQ(linearToMuLaw(32767), 0x80);
    EXPECT_EQ(linearToMuLaw(-32768), 0x00);
}

TEST(SampleConversion, LinearFormatsRoundTripAndAgreeWithTheSimulator)
{
    using qlnrec::modemsim::SimFormat;
    std::vector<std::int16_t> ramp;
    for (int v = -32768; v <= 32767; v += 97) {
        ramp.push_back(static_cast<std::int16_t>(v));
    }
    const std::pair<SampleFormat, SimFormat> pairs[] = {{SampleFormat::Signed16, SimFormat::Signed16},
                                                        {SampleFormat::Unsigned8, SimFormat::Unsigned8},
                                                        {SampleFormat::Signed8, SimFormat::Signed8},
                                                        {SampleFormat::MuLaw, SimFormat::MuLaw},
                                                        {SampleFormat::ALaw, SimFormat::ALaw}};
    for (const auto& [mine, theirs] : pairs) {
        // Values the format can carry survive our encoder and decoder exactly.
        const std::vector<std::int16_t> carried = qlnrec::modemsim::simRoundTrip(theirs, ramp);
        QByteArray encoded;
        encodeSamples(mine, carried.data(), carried.size(), encoded);
        std::vector<std::int16_t> decoded;
        decodeSamples(mine, reinterpret_cast<const std::uint8_t*>(encoded.constData()),
                      static_cast<std::size_t>(encoded.size()), decoded);
        EXPECT_EQ(decoded, carried) << sampleFormatName(mine);
        // The simulator reads our bytes the same way.
        EXPECT_EQ(qlnrec::modemsim::simDecode(theirs, encoded), carried) << sampleFormatName(mine);
        EXPECT_EQ(static_cast<int>(silenceByte(mine)),
                  static_cast<int>(qlnrec::modemsim::simSilenceByte(theirs)));
    }
}

TEST(ModemCommands, InitialisationDialStringsAndTones)
{
    EXPECT_EQ(initCommandWithX3(QString()), "ATX3");
    EXPECT_EQ(initCommandWithX3(QStringLiteral("M0L1")), "ATM0L1X3");
    EXPECT_EQ(initCommandWithX3(QStringLiteral("at&fx3m0")), "AT&fx3m0");
    EXPECT_EQ(initCommandWithX3(QStringLiteral("M0+VSD=128,50")), "ATM0+VSD=128,50;X3");
    EXPECT_EQ(initCommandWithX3(QStringLiteral("+VCID=1;M0")), "AT+VCID=1;M0X3");
    EXPECT_EQ(initCommandWithX3(QStringLiteral("-STE=1")), "AT-STE=1;X3");
    // Line ends and other control characters cannot smuggle in a second command.
    EXPECT_EQ(initCommandWithX3(QStringLiteral("M0\rATZ")), "ATM0ATZX3");

    EXPECT_EQ(sanitizeDialString("(555) 123-4567"), "5551234567");
    EXPECT_EQ(sanitizeDialString("T9,5551234"), "T9,5551234");
    EXPECT_EQ(sanitizeDialString("555\rATH;+++"), "555AT"); // no CR, no ';', no escape
    EXPECT_EQ(sanitizeDialString("*67#"), "*67#");
    EXPECT_TRUE(sanitizeDialString("T,,W").isEmpty());
    EXPECT_TRUE(sanitizeDialString("").isEmpty());

    EXPECT_EQ(toneArgument({933}, 1200, 10), "[933,0,120]");
    EXPECT_EQ(toneArgument({933}, 1200, 100), "[933,0,12]");
    EXPECT_EQ(toneArgument({440, 480}, 3000, 10), "[440,480,255],[440,480,45]");
    EXPECT_EQ(toneArgument({5000, 50}, 5, 10), "[3000,200,1]");
    EXPECT_EQ(digitsArgument("12*#", 10), "1,2,*,#");
    EXPECT_EQ(digitsArgument("1,a", 10), "1,[0,0,50],A");
    EXPECT_EQ(digitsArgument("9,", 100), "9,[0,0,5]");
}

TEST(ModemProbe, ClassListsAndNames)
{
    EXPECT_EQ(parseClassList({"0,1,1.0,2,2.0,8"}), (QList<int>{0, 1, 2, 8}));
    EXPECT_EQ(parseClassList({"+FCLASS: (0-2,8)"}), (QList<int>{0, 1, 2, 8}));
    EXPECT_EQ(parseClassList({"(0,1,2)"}), (QList<int>{0, 1, 2}));
    EXPECT_FALSE(parseClassList({"0,1,2,80"}).contains(8));

    EXPECT_EQ(identificationText({"+FMI: \"Agere Systems\""}), QStringLiteral("Agere Systems"));
    EXPECT_EQ(identificationText({"", "CX93001-EIS_V0.2002-V92"}), QStringLiteral("CX93001-EIS_V0.2002-V92"));

    ModemIdentity id;
    id.port = QStringLiteral("/dev/ttyACM0");
    id.answered = true;
    id.chip = QStringLiteral("CX93001-EIS_V0.2002-V92");
    id.info = QStringLiteral("56000");
    id.voice = true;
    EXPECT_EQ(id.displayName(), QStringLiteral("CX93001-EIS_V0.2002-V92 on /dev/ttyACM0"));
    EXPECT_EQ(id.mediaModes(), 4u | 8u | 16u); // never exactly 20, which reads as voice-less
    id.manufacturer = QStringLiteral("U.S. Robotics");
    id.model = QStringLiteral("56K FAX USB");
    EXPECT_EQ(id.description(), QStringLiteral("U.S. Robotics 56K FAX USB"));
    EXPECT_TRUE(id.isUsRobotics());
    ModemIdentity silent;
    silent.port = QStringLiteral("/dev/ttyUSB1");
    silent.answered = true;
    silent.info = QStringLiteral("5601");
    EXPECT_EQ(silent.displayName(), QStringLiteral("Modem on /dev/ttyUSB1"));
    EXPECT_EQ(silent.mediaModes(), 16u);
}

TEST(ModemProvider, ArgumentsAreCheckedAndUnknownOptionsRefused)
{
    ModemLineOptions o;
    QString error;
    ASSERT_TRUE(parseModemArgument(QStringLiteral("/dev/ttyS0,57600,init=M1,format=ulaw,duplex=0"), &o,
                                   nullptr, &error))
        << qPrintable(error);
    EXPECT_EQ(o.port, QStringLiteral("/dev/ttyS0"));
    EXPECT_EQ(o.baudRate, 57600);
    EXPECT_EQ(o.userInit, QStringLiteral("M1"));
    EXPECT_EQ(o.format, SampleFormat::MuLaw);
    EXPECT_FALSE(o.duplex);
    ModemLineOptions bad;
    EXPECT_FALSE(parseModemArgument(QStringLiteral("/dev/ttyS0,format=mp3"), &bad, nullptr, &error));
    EXPECT_FALSE(parseModemArgument(QStringLiteral("/dev/ttyS0,colour=blue"), &bad, nullptr, &error));
    EXPECT_FALSE(parseModemArgument(QStringLiteral("/dev/ttyS0,12"), &bad, nullptr, &error));
    EXPECT_FALSE(parseModemArgument(QStringLiteral("/dev/ttyS0,/dev/ttyS1"), &bad, nullptr, &error));
    QStringList extra;
    ModemLineOptions automatic;
    ASSERT_TRUE(
        parseModemArgument(QStringLiteral(",/dev/ttyS1,/dev/ttyS2,baud=230400"), &automatic, &extra, &error));
    EXPECT_EQ(extra, (QStringList{QStringLiteral("/dev/ttyS1"), QStringLiteral("/dev/ttyS2")}));
    EXPECT_EQ(automatic.baudRate, 230400);
}

// The fuzz entry over random bytes and over mutations of real modem output: nothing may crash.
TEST(ModemFuzzSmoke, RandomAndMutatedModemOutput)
{
    QRandomGenerator rng(99);
    for (int round = 0; round < 300; ++round) {
        QByteArray random(static_cast<qsizetype>(rng.bounded(600)), '\0');
        for (char& c : random) {
            c = static_cast<char>(rng.bounded(256));
        }
        qlnrec::test::fuzzModemOnce(reinterpret_cast<const std::uint8_t*>(random.constData()),
                                    static_cast<std::size_t>(random.size()));
    }
    const QByteArray real =
        QByteArray("\x60\r\nCONNECT\r\n\x80\x81\x10\x10\x10R\x10X\r\nNAME = A\r\nNMBR = 1\r\n\x10.") +
        "\x10/\x10"
        "5\x10~\x10\x03\r\nOK\r\n1,\"UNSIGNED PCM\",8,0,(8000),(0),(0)\n" +
        "1,\"T\",0B8433C1,0FE431C1,0B8431C1\n+FCLASS: (0-2,8)\n";
    for (int round = 0; round < 2000; ++round) {
        QByteArray m = real;
        const int edits = 1 + static_cast<int>(rng.bounded(6));
        for (int e = 0; e < edits; ++e) {
            const qsizetype at = static_cast<qsizetype>(rng.bounded(static_cast<quint32>(m.size())));
            switch (rng.bounded(3)) {
            case 0:
                m[at] = static_cast<char>(rng.bounded(256));
                break;
            case 1:
                m.remove(at, 1 + static_cast<qsizetype>(rng.bounded(8)));
                break;
            default:
                m.insert(at, QByteArray(1 + static_cast<qsizetype>(rng.bounded(4)), '\x10'));
                break;
            }
            if (m.isEmpty()) {
                m = real;
            }
        }
        qlnrec::test::fuzzModemOnce(reinterpret_cast<const std::uint8_t*>(m.constData()),
                                    static_cast<std::size_t>(m.size()));
    }
}

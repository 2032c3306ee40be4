// The raw TAPI buffers the program parses at fixed offsets: lineGetID's VARSTRING, LINEDEVCAPS
// and LINECALLINFO, including the too-small cases.
#include "tests/platform/telephony/tapi_fixture.h"

#include <cstring>

using namespace qlnrec::platform;
using qlnrec::test::TapiFixture;

namespace {

std::vector<unsigned char> buffer(std::uint32_t totalSize)
{
    std::vector<unsigned char> bytes(std::max<std::uint32_t>(totalSize, 4) + 16, 0xEE);
    setTapiDword(bytes.data(), 0, totalSize);
    return bytes;
}

// The program's reading of a wave device id: the first byte of the data area, -1 without one.
int programWaveDevice(const std::vector<unsigned char>& b)
{
    return tapiDword(b.data(), offsetof(VARSTRING, dwStringOffset)) == 0 ? -1 : b[sizeof(VARSTRING)];
}

// The program's reading of a text field: bytes from the offset, at most size + 1, up to NUL.
std::string programText(const std::vector<unsigned char>& b, std::size_t sizeField, std::size_t offsetField)
{
    const std::uint32_t size = tapiDword(b.data(), sizeField);
    const std::uint32_t offset = tapiDword(b.data(), offsetField);
    std::string text;
    for (std::uint32_t i = 0; i < size + 1 && b[offset + i] != 0; ++i) {
        text += static_cast<char>(b[offset + i]);
    }
    return text;
}

class TapiBuffers : public TapiFixture {};

TEST_F(TapiBuffers, GetIdPutsTheWaveDeviceIdsOfTheCallsLineInTheDataArea)
{
    initialize();
    open(0);
    const HLINE line2 = open(2);
    sim(2).ring(1);
    settle();
    const HCALL call = offeredCall();

    auto b = buffer(2025);
    auto* varString = reinterpret_cast<VARSTRING*>(b.data());
    ASSERT_EQ(tapi().lineGetID(0, 0, call, LINECALLSELECT_CALL, varString, "wave/in"), 0);
    EXPECT_EQ(tapiDword(b.data(), offsetof(VARSTRING, dwTotalSize)), 2025u);
    EXPECT_EQ(tapiDword(b.data(), offsetof(VARSTRING, dwNeededSize)), 28u);
    EXPECT_EQ(tapiDword(b.data(), offsetof(VARSTRING, dwUsedSize)), 28u);
    EXPECT_EQ(tapiDword(b.data(), offsetof(VARSTRING, dwStringFormat)), STRINGFORMAT_BINARY);
    EXPECT_EQ(tapiDword(b.data(), offsetof(VARSTRING, dwStringSize)), 4u);
    EXPECT_EQ(tapiDword(b.data(), offsetof(VARSTRING, dwStringOffset)), 24u);
    EXPECT_EQ(std::vector<unsigned char>(b.begin() + 24, b.begin() + 28),
              (std::vector<unsigned char>{2, 0, 0, 0}));
    EXPECT_EQ(programWaveDevice(b), 2);
    EXPECT_EQ(*sim(2).waveInId(), 2u);

    auto out = buffer(2025);
    ASSERT_EQ(tapi().lineGetID(0, 0, call, LINECALLSELECT_CALL, reinterpret_cast<VARSTRING*>(out.data()),
                               "Wave/Out"),
              0);
    EXPECT_EQ(programWaveDevice(out), static_cast<int>(*sim(2).waveOutId()));

    // The line can be selected too, and "tapi/line" names the line device itself.
    auto id = buffer(2025);
    ASSERT_EQ(tapi().lineGetID(line2, 0, 0, LINECALLSELECT_LINE, reinterpret_cast<VARSTRING*>(id.data()),
                               "tapi/line"),
              0);
    EXPECT_EQ(tapiDword(id.data(), 24), 2u);

    // Too small for the id: success, the size needed, and no string (offset 0).
    auto small = buffer(24);
    ASSERT_EQ(tapi().lineGetID(0, 0, call, LINECALLSELECT_CALL, reinterpret_cast<VARSTRING*>(small.data()),
                               "wave/in"),
              0);
    EXPECT_EQ(tapiDword(small.data(), offsetof(VARSTRING, dwNeededSize)), 28u);
    EXPECT_EQ(tapiDword(small.data(), offsetof(VARSTRING, dwStringOffset)), 0u);
    EXPECT_EQ(programWaveDevice(small), -1);

    auto tiny = buffer(23);
    EXPECT_EQ(tapi().lineGetID(0, 0, call, LINECALLSELECT_CALL, reinterpret_cast<VARSTRING*>(tiny.data()),
                               "wave/in"),
              LINEERR_STRUCTURETOOSMALL);
    EXPECT_EQ(tapi().lineGetID(0, 0, call, LINECALLSELECT_CALL, varString, "comm/datamodem/portname"),
              LINEERR_INVALDEVICECLASS);
    EXPECT_EQ(tapi().lineGetID(0, 0, call, 8, varString, "wave/in"), LINEERR_INVALCALLSELECT);
    EXPECT_EQ(tapi().lineGetID(0, 0, call + 1, LINECALLSELECT_CALL, varString, "wave/in"),
              LINEERR_INVALCALLHANDLE);
    EXPECT_EQ(tapi().lineGetID(line2 + 77, 0, 0, LINECALLSELECT_LINE, varString, "wave/in"),
              LINEERR_INVALLINEHANDLE);
    EXPECT_EQ(tapi().lineGetID(line2, 1, 0, LINECALLSELECT_ADDRESS, varString, "wave/in"),
              LINEERR_INVALADDRESSID);
}

TEST_F(TapiBuffers, DevCapsCarryTheLineNameAndMediaModesAtTheirOffsets)
{
    build();
    struct Case {
        QString name;
        std::uint32_t media;
    };
    const Case cases[] = {{QStringLiteral("Simulated Voice Modem 1"), 28},
                          {QStringLiteral("Voice and data"), 20},
                          {QString(), 4},
                          {QStringLiteral("Data only"), 16}};
    for (std::uint32_t i = 0; i < 4; ++i) {
        SimLineConfig config = sim(i).config();
        config.name = cases[i].name;
        config.mediaModes = cases[i].media;
        sim(i).setConfig(config);
    }
    initialize();
    ASSERT_EQ(deviceCount, 4u);
    for (std::uint32_t i = 0; i < 4; ++i) {
        auto b = buffer(2241);
        ASSERT_EQ(tapi().lineGetDevCaps(app, i, 0x00010004, 0, reinterpret_cast<LINEDEVCAPS*>(b.data())), 0);
        EXPECT_EQ(tapiDword(b.data(), 60), cases[i].media) << "dwMediaModes, line " << i;
        EXPECT_EQ(programText(b, 32, 36), cases[i].name.toStdString()) << "line " << i;
        EXPECT_EQ(tapiDword(b.data(), offsetof(LINEDEVCAPS, dwStringFormat)), STRINGFORMAT_ASCII);
        EXPECT_EQ(tapiDword(b.data(), offsetof(LINEDEVCAPS, dwNumAddresses)), 1u);
        EXPECT_GE(tapiDword(b.data(), 36), 240u) << "the name lies in the variable part";
        EXPECT_EQ(tapiDword(b.data(), 4), tapiDword(b.data(), 8)) << "needed = used";
    }
    // An empty name is an empty string at a real offset, not a read from the buffer start.
    auto empty = buffer(2241);
    ASSERT_EQ(tapi().lineGetDevCaps(app, 2, 0x00010004, 0, reinterpret_cast<LINEDEVCAPS*>(empty.data())), 0);
    EXPECT_EQ(tapiDword(empty.data(), 32), 1u);
    EXPECT_NE(tapiDword(empty.data(), 36), 0u);

    // Version 2.0 reports the longer fixed part; a buffer of just the fixed part gets the
    // needed size and no strings.
    auto fixedOnly = buffer(252);
    ASSERT_EQ(tapi().lineGetDevCaps(app, 0, 0x00020000, 0, reinterpret_cast<LINEDEVCAPS*>(fixedOnly.data())),
              0);
    EXPECT_EQ(tapiDword(fixedOnly.data(), 8), 252u);
    EXPECT_GT(tapiDword(fixedOnly.data(), 4), 252u);
    EXPECT_EQ(tapiDword(fixedOnly.data(), 32), 0u);
    EXPECT_EQ(tapiDword(fixedOnly.data(), 36), 0u);
    EXPECT_EQ(fixedOnly[252], 0xEE) << "nothing written past dwTotalSize";
    auto tooSmall = buffer(239);
    EXPECT_EQ(tapi().lineGetDevCaps(app, 0, 0x00010004, 0, reinterpret_cast<LINEDEVCAPS*>(tooSmall.data())),
              LINEERR_STRUCTURETOOSMALL);
    EXPECT_EQ(tapi().lineGetDevCaps(app, 4, 0x00010004, 0, reinterpret_cast<LINEDEVCAPS*>(tooSmall.data())),
              LINEERR_BADDEVICEID);
    EXPECT_EQ(tapi().lineGetDevCaps(app, 0, 0, 0, reinterpret_cast<LINEDEVCAPS*>(tooSmall.data())),
              LINEERR_INCOMPATIBLEAPIVERSION);
}

TEST_F(TapiBuffers, NegotiationGivesEachDevicesVersionAndTheHighestOpensEveryLine)
{
    build(QStringLiteral("sim:4"));
    const std::uint32_t highs[] = {0x00010004, 0x00020000, 0x00010003};
    for (std::uint32_t i = 0; i < 3; ++i) {
        SimLineConfig config = sim(i).config();
        config.apiVersionHigh = highs[i];
        sim(i).setConfig(config);
    }
    SimLineConfig modern = sim(3).config();
    modern.apiVersionLow = 0x00020000;
    modern.apiVersionHigh = 0x00030000;
    sim(3).setConfig(modern);
    initialize();
    std::uint32_t highest = 0;
    for (std::uint32_t i = 0; i < 3; ++i) {
        std::uint32_t version = 0;
        LINEEXTENSIONID ext{};
        ASSERT_EQ(tapi().lineNegotiateAPIVersion(app, i, 0x00010003, 0x00030000, &version, &ext), 0);
        EXPECT_EQ(version, highs[i]);
        highest = std::max(highest, version);
    }
    EXPECT_EQ(highest, 0x00020000u);
    for (std::uint32_t i = 0; i < 3; ++i) {
        HLINE line = 0;
        EXPECT_EQ(tapi().lineOpen(app, i, &line, highest, 0, 0, 6, 4, nullptr), 0) << "line " << i;
    }
    std::uint32_t version = 0;
    LINEEXTENSIONID ext{};
    EXPECT_EQ(tapi().lineNegotiateAPIVersion(app, 3, 0x00010003, 0x00010004, &version, &ext),
              LINEERR_INCOMPATIBLEAPIVERSION);
    EXPECT_EQ(tapi().lineNegotiateAPIVersion(app, 3, 0x00010003, 0x00030000, &version, &ext), 0);
    EXPECT_EQ(version, 0x00030000u);
    HLINE old = 0;
    EXPECT_EQ(tapi().lineOpen(app, 3, &old, 0x00010004, 0, 0, 6, 4, nullptr), LINEERR_INCOMPATIBLEAPIVERSION);
    EXPECT_EQ(tapi().lineNegotiateAPIVersion(app, 9, 0x00010003, 0x00030000, &version, &ext),
              LINEERR_BADDEVICEID);
    EXPECT_EQ(tapi().lineNegotiateAPIVersion(app + 1, 0, 0x00010003, 0x00030000, &version, &ext),
              LINEERR_INVALAPPHANDLE);
}

TEST_F(TapiBuffers, CallInfoHoldsCallerIdAtItsOffsetsWithFlagsForEveryForm)
{
    initialize();
    const HLINE line = open(1);
    struct Case {
        CallerIdField number, name;
        std::uint32_t flags;
        std::string numberText, nameText;
    };
    const std::string longName(300, 'N');
    const Case cases[] = {
        {CallerIdField::present("5551234"), CallerIdField::absent(), LINECALLPARTYID_ADDRESS, "5551234", ""},
        {CallerIdField::present(" 555 1234 "), CallerIdField::present("JONES "),
         LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME, " 555 1234 ", "JONES "},
        {CallerIdField::privateField(), CallerIdField::privateField(), LINECALLPARTYID_BLOCKED, "", ""},
        {CallerIdField::unavailable(), CallerIdField::present("CALLER"),
         LINECALLPARTYID_NAME | LINECALLPARTYID_OUTOFAREA, "", "CALLER"},
        {CallerIdField::absent(), CallerIdField::absent(), LINECALLPARTYID_UNKNOWN, "", ""},
        {CallerIdField::present("1"), CallerIdField::present(QByteArray::fromStdString(longName)),
         LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME, "1", std::string(128, 'N')},
    };
    for (const Case& c : cases) {
        sim(1).ring(1);
        settle();
        const HCALL call = offeredCall();
        sim(1).sendCallerId(c.number, c.name);
        settle();
        auto b = buffer(2297);
        ASSERT_EQ(tapi().lineGetCallInfo(call, reinterpret_cast<LINECALLINFO*>(b.data())), 0);
        EXPECT_EQ(tapiDword(b.data(), 12), line) << "hLine";
        EXPECT_EQ(tapiDword(b.data(), 16), 1u) << "dwLineDeviceID";
        EXPECT_EQ(tapiDword(b.data(), 108), c.flags);
        if (c.flags & LINECALLPARTYID_ADDRESS) {
            EXPECT_EQ(programText(b, 112, 116), c.numberText);
            EXPECT_EQ(tapiDword(b.data(), 112), c.numberText.size() + 1) << "size counts the NUL";
        }
        if (c.flags & LINECALLPARTYID_NAME) {
            EXPECT_EQ(programText(b, 120, 124), c.nameText);
        }
        EXPECT_LE(tapiDword(b.data(), 8), 2297u);
        ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
        events.advance(10);
        ASSERT_EQ(tapi().lineDeallocateCall(call), 0);
    }
}

TEST_F(TapiBuffers, CallInfoTooSmallGivesTheFixedPartWithoutTextClaims)
{
    initialize();
    open(0);
    sim(0).ring(1);
    settle();
    const HCALL call = offeredCall();
    sim(0).sendCallerId(CallerIdField::present("5551234"), CallerIdField::present("SMITH"));
    settle();
    auto exact = buffer(296);
    ASSERT_EQ(tapi().lineGetCallInfo(call, reinterpret_cast<LINECALLINFO*>(exact.data())), 0);
    EXPECT_GT(tapiDword(exact.data(), 4), 296u) << "dwNeededSize";
    EXPECT_EQ(tapiDword(exact.data(), 8), 296u) << "dwUsedSize";
    EXPECT_EQ(tapiDword(exact.data(), 108) & (LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME), 0u);
    for (std::size_t field = 112; field <= 124; field += 4) {
        EXPECT_EQ(tapiDword(exact.data(), field), 0u) << field;
    }
    EXPECT_EQ(exact[296], 0xEE);

    auto justEnough = buffer(tapiDword(exact.data(), 4));
    ASSERT_EQ(tapi().lineGetCallInfo(call, reinterpret_cast<LINECALLINFO*>(justEnough.data())), 0);
    EXPECT_EQ(programText(justEnough, 112, 116), "5551234");
    EXPECT_EQ(programText(justEnough, 120, 124), "SMITH");

    auto small = buffer(295);
    EXPECT_EQ(tapi().lineGetCallInfo(call, reinterpret_cast<LINECALLINFO*>(small.data())),
              LINEERR_STRUCTURETOOSMALL);
    EXPECT_EQ(tapi().lineGetCallInfo(call, nullptr), LINEERR_INVALPOINTER);
    EXPECT_EQ(tapi().lineGetCallInfo(call ^ 0x100, reinterpret_cast<LINECALLINFO*>(small.data())),
              LINEERR_INVALCALLHANDLE);

    // An unaligned buffer works the same way.
    std::vector<unsigned char> raw(2297 + 1);
    setTapiDword(raw.data() + 1, 0, 2297);
    ASSERT_EQ(tapi().lineGetCallInfo(call, reinterpret_cast<LINECALLINFO*>(raw.data() + 1)), 0);
    EXPECT_EQ(tapiDword(raw.data() + 1, 108), LINECALLPARTYID_ADDRESS | LINECALLPARTYID_NAME);
}

} // namespace

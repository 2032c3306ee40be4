#include "platform/acm/acm.h"
#include "tests/platform/acm/fake_drivers.h"

#include <gtest/gtest.h>

#include <QString>

#include <array>
#include <cstring>
#include <vector>

using namespace qlnrec::platform;
using namespace qlnrec::platform::fakes;

namespace {

// The destination format record the recorder hands to the stream: 18 bytes and 32 extra.
#pragma pack(push, 1)
struct TrueSpeechWaveFormat {
    WAVEFORMATEX wfx;
    std::uint16_t revision;
    std::uint16_t samplesPerBlock;
    std::uint8_t reserved[28];
};
#pragma pack(pop)

TrueSpeechWaveFormat trueSpeechDestination()
{
    TrueSpeechWaveFormat f{};
    f.wfx = {WAVE_FORMAT_DSPGROUP_TRUESPEECH, 1, 8000, 1067, 32, 1, 32};
    f.revision = 1;
    f.samplesPerBlock = 240;
    return f;
}

WAVEFORMATEX captureFormat()
{
    return {WAVE_FORMAT_PCM, 1, 8000, 16000, 2, 16, 0};
}

ACMSTREAMHEADER header(std::uint8_t* src, std::uint32_t srcLength, std::uint8_t* dst, std::uint32_t dstLength)
{
    ACMSTREAMHEADER h{};
    h.cbStruct = 88;
    h.pbSrc = src;
    h.cbSrcLength = srcLength;
    h.pbDst = dst;
    h.cbDstLength = dstLength;
    return h;
}

struct AcmCalls : ::testing::Test {
    AcmDriverRegistry registry;
    AcmService acm{registry};
    std::shared_ptr<FakeTrueSpeechDriver> trueSpeech = std::make_shared<FakeTrueSpeechDriver>();

    // The start-up search: every driver, disabled ones included; the first whose upper-cased
    // short name contains "TRUESPEECH".
    HACMDRIVERID findTrueSpeech(MMRESULT* result = nullptr)
    {
        struct Search {
            AcmService* acm;
            HACMDRIVERID found = nullptr;
            std::vector<std::uint32_t> support;
        } search{&acm, nullptr, {}};
        const MMRESULT r = acm.acmDriverEnum(
            [](HACMDRIVERID id, std::uintptr_t instance, std::uint32_t fdwSupport) -> bool {
                auto* s = reinterpret_cast<Search*>(instance);
                s->support.push_back(fdwSupport);
                ACMDRIVERDETAILSW details{};
                details.cbStruct = sizeof(details);
                if (s->acm->acmDriverDetails(id, &details, 0) != MMSYSERR_NOERROR)
                    return true;
                if (QString::fromUtf16(details.szShortName)
                        .toUpper()
                        .contains(QStringLiteral("TRUESPEECH"))) {
                    s->found = id;
                    return false;
                }
                return true;
            },
            reinterpret_cast<std::uintptr_t>(&search), ACM_DRIVERENUMF_DISABLED);
        if (result)
            *result = r;
        lastSupport = search.support;
        return search.found;
    }
    std::vector<std::uint32_t> lastSupport;
};

} // namespace

TEST_F(AcmCalls, FindsTrueSpeechByUpperCasedShortNameAmongDisabledDrivers)
{
    registry.add(std::make_shared<NamedDriver>("MS-ADPCM", "Microsoft ADPCM"));
    const HACMDRIVERID disabledTs =
        registry.add(std::make_shared<FakeTrueSpeechDriver>("dsp truespeech"), false);
    const HACMDRIVERID enabledTs = registry.add(trueSpeech);

    MMRESULT r = 1;
    EXPECT_EQ(findTrueSpeech(&r), disabledTs);
    EXPECT_EQ(r, MMSYSERR_NOERROR);
    ASSERT_EQ(lastSupport.size(), 2u); // enumeration stopped at the match
    EXPECT_FALSE(lastSupport[0] & ACMDRIVERDETAILS_SUPPORTF_DISABLED);
    EXPECT_TRUE(lastSupport[1] & ACMDRIVERDETAILS_SUPPORTF_DISABLED);

    // Without the flag the disabled driver is not listed.
    std::vector<HACMDRIVERID> listed;
    ASSERT_EQ(acm.acmDriverEnum(
                  [&](HACMDRIVERID id, std::uintptr_t, std::uint32_t) {
                      listed.push_back(id);
                      return true;
                  },
                  0, 0),
              MMSYSERR_NOERROR);
    EXPECT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed.back(), enabledTs);

    // A disabled driver cannot be opened.
    HACMDRIVER had = reinterpret_cast<HACMDRIVER>(1);
    EXPECT_EQ(acm.acmDriverOpen(&had, disabledTs, 0), MMSYSERR_NOTENABLED);
    EXPECT_EQ(had, nullptr);

    EXPECT_EQ(acm.acmDriverEnum({}, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acm.acmDriverEnum([](HACMDRIVERID, std::uintptr_t, std::uint32_t) { return true; }, 0, 0x1),
              MMSYSERR_INVALFLAG);
}

TEST_F(AcmCalls, NoDriverLeavesTheIdUnset)
{
    registry.add(std::make_shared<NamedDriver>("PCM", "PCM converter"));
    MMRESULT r = 1;
    EXPECT_EQ(findTrueSpeech(&r), nullptr);
    EXPECT_EQ(r, MMSYSERR_NOERROR);
}

TEST_F(AcmCalls, DriverDetailsWideNarrowAndTruncated)
{
    const std::string longName(200, 'x');
    // 30 ASCII characters then a two-byte character that does not fit in 31 bytes.
    const std::string shortName = std::string(30, 'a') + "\xC3\xA9";
    const HACMDRIVERID id = registry.add(std::make_shared<NamedDriver>(shortName, longName));

    ACMDRIVERDETAILSA a{};
    a.cbStruct = sizeof(a);
    ASSERT_EQ(acm.acmDriverDetails(id, &a, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(a.cbStruct, sizeof(a));
    EXPECT_EQ(a.fccType, makeFourCC('a', 'u', 'd', 'c'));
    EXPECT_EQ(std::string(a.szShortName), std::string(30, 'a')); // no half character
    EXPECT_EQ(std::strlen(a.szLongName), 127u);
    EXPECT_EQ(a.cFormatTags, 1u);

    ACMDRIVERDETAILSW w{};
    w.cbStruct = sizeof(w);
    ASSERT_EQ(acm.acmDriverDetailsW(id, &w, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(QString::fromUtf16(w.szShortName), QString::fromUtf8(shortName.c_str()));
    EXPECT_EQ(QString::fromUtf16(w.szLongName).size(), 127);

    // A short record is filled only as far as it reaches.
    std::array<std::uint8_t, sizeof(ACMDRIVERDETAILSA) + 8> guard{};
    guard.fill(0xEE);
    auto* partial = reinterpret_cast<ACMDRIVERDETAILSA*>(guard.data());
    partial->cbStruct = 12;
    ASSERT_EQ(acm.acmDriverDetailsA(id, partial, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(partial->cbStruct, 12u);
    EXPECT_EQ(guard[12], 0xEE);

    EXPECT_EQ(acm.acmDriverDetailsA(id, nullptr, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acm.acmDriverDetailsA(id, &a, 1), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acm.acmDriverDetailsA(nullptr, &a, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acm.acmDriverDetailsA(reinterpret_cast<HACMDRIVERID>(0x777), &a, 0), MMSYSERR_INVALHANDLE);

    // An open driver handle is accepted in place of the id.
    HACMDRIVER had = nullptr;
    ASSERT_EQ(acm.acmDriverOpen(&had, id, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmDriverDetailsA(reinterpret_cast<HACMDRIVERID>(had), &a, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmDriverClose(had, 0), MMSYSERR_NOERROR);
}

TEST_F(AcmCalls, RecorderSequenceConvertsOneSecondBlocks)
{
    registry.add(trueSpeech);
    const HACMDRIVERID id = findTrueSpeech();
    ASSERT_NE(id, nullptr);

    HACMDRIVER had = nullptr;
    ASSERT_EQ(acm.acmDriverOpen(&had, id, 0), MMSYSERR_NOERROR);
    const WAVEFORMATEX src = captureFormat();
    const TrueSpeechWaveFormat dst = trueSpeechDestination();
    HACMSTREAM has = nullptr;
    ASSERT_EQ(acm.acmStreamOpen(&has, had, &src, &dst.wfx, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME),
              MMSYSERR_NOERROR);
    ASSERT_NE(has, nullptr);

    std::vector<std::uint8_t> block(16000);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i * 7);
    std::vector<std::uint8_t> out(1600, 0);
    std::size_t totalOut = 0;
    for (int second = 0; second < 3; ++second) {
        ACMSTREAMHEADER h = header(block.data(), 16000, out.data(), 1600);
        ASSERT_EQ(acm.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_NOERROR);
        EXPECT_TRUE(h.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);
        ASSERT_EQ(acm.acmStreamConvert(has, &h, 0), MMSYSERR_NOERROR);
        EXPECT_TRUE(h.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
        EXPECT_EQ(h.cbSrcLengthUsed, 16000u);
        totalOut += h.cbDstLengthUsed;
        ASSERT_EQ(acm.acmStreamUnprepareHeader(has, &h, 0), MMSYSERR_NOERROR);
        EXPECT_FALSE(h.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);
        // A second unprepare finds nothing prepared, as the per-block release expects.
        EXPECT_EQ(acm.acmStreamUnprepareHeader(has, &h, 0), ACMERR_UNPREPARED);
    }
    // 48,000 bytes are exactly 100 frames: the stream carried the partial frames.
    EXPECT_EQ(totalOut, 100u * 32u);
    EXPECT_EQ(acm.acmDriverClose(had, 0), ACMERR_BUSY); // the stream is still open
    EXPECT_EQ(acm.acmStreamClose(has, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmDriverClose(had, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.openDriverCount(), 0u);
    EXPECT_EQ(acm.openStreamCount(), 0u);
}

TEST_F(AcmCalls, StartEndAndBlockAlignFlags)
{
    registry.add(trueSpeech);
    const WAVEFORMATEX src = captureFormat();
    const TrueSpeechWaveFormat dst = trueSpeechDestination();
    HACMSTREAM has = nullptr;
    ASSERT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst.wfx, nullptr, 0, 0, 0), MMSYSERR_NOERROR);

    std::vector<std::uint8_t> pcm(1001, 3);
    std::vector<std::uint8_t> out(200, 0);
    ACMSTREAMHEADER h = header(pcm.data(), 1001, out.data(), 200);
    ASSERT_EQ(acm.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_NOERROR);

    // Block alignment hands over whole samples only.
    ASSERT_EQ(acm.acmStreamConvert(has, &h, ACM_STREAMCONVERTF_BLOCKALIGN), MMSYSERR_NOERROR);
    EXPECT_EQ(h.cbSrcLengthUsed, 1000u);
    EXPECT_EQ(h.cbDstLengthUsed, 64u);

    // START drops what was held back; END pads and writes out the partial frame.
    ASSERT_EQ(acm.acmStreamConvert(has, &h, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END),
              MMSYSERR_NOERROR);
    EXPECT_EQ(trueSpeech->lastStream->restarts, 1);
    EXPECT_EQ(h.cbSrcLengthUsed, 1001u);
    EXPECT_EQ(h.cbDstLengthUsed, 96u); // two frames and the padded rest

    std::uint32_t size = 0;
    EXPECT_EQ(acm.acmStreamSize(has, 16000, &size, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_GE(size, 34u * 32u);
    EXPECT_EQ(acm.acmStreamSize(has, 16000, &size, ACM_STREAMSIZEF_DESTINATION), MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(acm.acmStreamConvert(has, &h, 0x1000), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acm.acmStreamUnprepareHeader(has, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmStreamClose(has, 0), MMSYSERR_NOERROR);
}

TEST_F(AcmCalls, ConversionNotPossible)
{
    registry.add(std::make_shared<NamedDriver>("PCM", "PCM"));
    const WAVEFORMATEX src = captureFormat();
    const TrueSpeechWaveFormat dst = trueSpeechDestination();
    HACMSTREAM has = reinterpret_cast<HACMSTREAM>(0x1234);

    // No driver at all can.
    EXPECT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst.wfx, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME),
              ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(has, nullptr);

    // The named driver cannot, although another registered one could.
    const HACMDRIVERID pcmId = registry.entries().front().id;
    registry.add(trueSpeech);
    HACMDRIVER had = nullptr;
    ASSERT_EQ(acm.acmDriverOpen(&had, pcmId, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmStreamOpen(&has, had, &src, &dst.wfx, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME),
              ACMERR_NOTPOSSIBLE);

    // The extra bytes take part: a different revision is another format.
    TrueSpeechWaveFormat odd = trueSpeechDestination();
    odd.revision = 2;
    EXPECT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &odd.wfx, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);

    // Query only: nothing is opened.
    EXPECT_EQ(acm.acmStreamOpen(nullptr, nullptr, &src, &dst.wfx, nullptr, 0, 0, ACM_STREAMOPENF_QUERY),
              MMSYSERR_NOERROR);
    EXPECT_EQ(acm.openStreamCount(), 0u);
    EXPECT_EQ(trueSpeech->streamsOpened, 0);

    // Filters and asynchronous streams are not offered.
    int filter = 0;
    EXPECT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst.wfx, &filter, 0, 0, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst.wfx, nullptr, 0, 0, ACM_STREAMOPENF_ASYNC),
              MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst.wfx, nullptr, 0, 0, 0x100), MMSYSERR_INVALFLAG);
    EXPECT_EQ(acm.acmStreamOpen(&has, nullptr, nullptr, &dst.wfx, nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acm.acmDriverClose(had, 0), MMSYSERR_NOERROR);
}

TEST_F(AcmCalls, BadHandlesAndHeadersAreRefused)
{
    registry.add(trueSpeech);
    const WAVEFORMATEX src = captureFormat();
    const TrueSpeechWaveFormat dst = trueSpeechDestination();
    std::vector<std::uint8_t> pcm(16000), out(1600);
    ACMSTREAMHEADER h = header(pcm.data(), 16000, out.data(), 1600);

    const HACMSTREAM bogus = reinterpret_cast<HACMSTREAM>(0xBAD);
    for (HACMSTREAM bad : {HACMSTREAM{}, bogus}) {
        EXPECT_EQ(acm.acmStreamPrepareHeader(bad, &h, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(acm.acmStreamConvert(bad, &h, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(acm.acmStreamUnprepareHeader(bad, &h, 0), MMSYSERR_INVALHANDLE);
        EXPECT_EQ(acm.acmStreamClose(bad, 0), MMSYSERR_INVALHANDLE);
    }
    EXPECT_EQ(acm.acmDriverClose(nullptr, 0), MMSYSERR_INVALHANDLE);
    HACMDRIVER had = nullptr;
    EXPECT_EQ(acm.acmDriverOpen(&had, reinterpret_cast<HACMDRIVERID>(0xBAD), 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acm.acmDriverOpen(nullptr, registry.entries()[0].id, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acm.acmDriverOpen(&had, registry.entries()[0].id, 2), MMSYSERR_INVALFLAG);
    HACMSTREAM unopened = nullptr;
    EXPECT_EQ(acm.acmStreamOpen(&unopened, reinterpret_cast<HACMDRIVER>(0xBAD), &src, &dst.wfx, nullptr, 0, 0, 0),
              MMSYSERR_INVALHANDLE);

    HACMSTREAM has = nullptr;
    ASSERT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst.wfx, nullptr, 0, 0, 0), MMSYSERR_NOERROR);

    // Converting an unprepared header.
    EXPECT_EQ(acm.acmStreamConvert(has, &h, 0), ACMERR_UNPREPARED);
    // The record must be at least the size callers fill in; larger is fine.
    h.cbStruct = 84;
    EXPECT_EQ(acm.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_INVALPARAM);
    h.cbStruct = sizeof(ACMSTREAMHEADER);
    EXPECT_EQ(acm.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_NOERROR);
    h.cbStruct = 88;
    EXPECT_EQ(acm.acmStreamPrepareHeader(has, &h, 7), MMSYSERR_INVALFLAG);

    // Buffers moved or grown after preparing are refused.
    h.cbSrcLength = 16002;
    EXPECT_EQ(acm.acmStreamConvert(has, &h, 0), MMSYSERR_INVALPARAM);
    h.cbSrcLength = 16000;
    std::vector<std::uint8_t> other(1600);
    h.pbDst = other.data();
    EXPECT_EQ(acm.acmStreamConvert(has, &h, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acm.acmStreamUnprepareHeader(has, &h, 0), MMSYSERR_INVALPARAM);
    h.pbDst = out.data();
    EXPECT_EQ(acm.acmStreamConvert(has, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmStreamUnprepareHeader(has, &h, 0), MMSYSERR_NOERROR);

    // A null buffer with a length.
    ACMSTREAMHEADER broken = header(nullptr, 10, out.data(), 1600);
    EXPECT_EQ(acm.acmStreamPrepareHeader(has, &broken, 0), MMSYSERR_INVALPARAM);

    // Closing forgets prepared headers; the handle is dead afterwards.
    ASSERT_EQ(acm.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmStreamClose(has, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm.acmStreamConvert(has, &h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acm.acmStreamUnprepareHeader(has, &h, 0), MMSYSERR_INVALHANDLE);
    EXPECT_EQ(acm.acmStreamClose(has, 0), MMSYSERR_INVALHANDLE);
}

TEST_F(AcmCalls, MisbehavingDriverIsContained)
{
    registry.add(std::make_shared<UnrulyDriver>(false));
    const WAVEFORMATEX src{WAVE_FORMAT_PCM, 1, 11025, 22050, 2, 16, 0};
    const WAVEFORMATEX dst = captureFormat();
    std::vector<std::uint8_t> in(100), out(50);

    HACMSTREAM has = nullptr;
    ASSERT_EQ(acm.acmStreamOpen(&has, nullptr, &src, &dst, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    ACMSTREAMHEADER h = header(in.data(), 100, out.data(), 50);
    ASSERT_EQ(acm.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acm.acmStreamConvert(has, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(h.cbSrcLengthUsed, 100u);
    EXPECT_EQ(h.cbDstLengthUsed, 50u);
    acm.acmStreamClose(has, 0);

    AcmDriverRegistry other;
    AcmService acm2{other};
    other.add(std::make_shared<UnrulyDriver>(true));
    ASSERT_EQ(acm2.acmStreamOpen(&has, nullptr, &src, &dst, nullptr, 0, 0, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(acm2.acmStreamPrepareHeader(has, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acm2.acmStreamConvert(has, &h, 0), MMSYSERR_ERROR);
    EXPECT_EQ(h.cbDstLengthUsed, 0u);
    acm2.acmStreamClose(has, 0);
}

TEST(AcmFormat, ReadsExtraBytesExceptForPcm)
{
    const TrueSpeechWaveFormat ts = trueSpeechDestination();
    const AcmFormat f = AcmFormat::fromWaveFormat(ts.wfx);
    EXPECT_EQ(f, trueSpeechFormat());

    WAVEFORMATEX pcm = captureFormat();
    pcm.cbSize = 0xFFFF; // left uninitialised by a caller: must not be read as extra bytes
    EXPECT_TRUE(AcmFormat::fromWaveFormat(pcm).extra.empty());
    EXPECT_EQ(AcmFormat::fromWaveFormat(pcm), AcmFormat::pcm(8000, 1, 16));
}

TEST(AcmRegistry, IdsStayValidAndRemovedDriversVanish)
{
    AcmDriverRegistry registry;
    EXPECT_EQ(registry.add(nullptr), nullptr);
    const HACMDRIVERID a = registry.add(std::make_shared<NamedDriver>("A", "A"));
    const HACMDRIVERID b = registry.add(std::make_shared<NamedDriver>("B", "B"));
    EXPECT_NE(a, b);
    EXPECT_TRUE(registry.remove(a));
    EXPECT_FALSE(registry.remove(a));
    EXPECT_EQ(registry.find(a).driver, nullptr);
    EXPECT_EQ(registry.find(b).driver->shortName(), "B");
    const HACMDRIVERID c = registry.add(std::make_shared<NamedDriver>("C", "C"));
    EXPECT_NE(c, a); // ids are not reused
    EXPECT_TRUE(registry.setEnabled(c, false));
    EXPECT_FALSE(registry.find(c).enabled);
}

// A caller on the block list, as the caller meets it over a voice modem: the modem rings once and
// reports the caller ID (as formatted lines, framed in the voice stream, or as one unformatted
// packet), the program answers at once although it answers on the eighth ring, plays the
// do-not-call prompt and hangs up; no greeting, no beep, no recording. A caller who is not on the
// list rings until the eighth ring and reaches the answering machine.
#include "tests/e2e/modem/modem_program.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <bit>
#include <initializer_list>
#include <ostream>

using namespace qlnrec;
using test::ModemProgram;

namespace {

constexpr int kRingsToAnswer = 8;
constexpr std::uint64_t kRingCycleMs = 6000;

// public.tel as the block list dialog writes it: little-endian doubles, the file end ends it.
bool writeBlockList(const QString& folder, std::initializer_list<double> numbers)
{
    QByteArray bytes;
    for (const double number : numbers) {
        const auto bits = qToLittleEndian(std::bit_cast<std::uint64_t>(number));
        bytes.append(reinterpret_cast<const char*>(&bits), sizeof bits);
    }
    QFile file(folder + QStringLiteral("/public.tel"));
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct CallerCase {
    const char* modem;  // family (how it delivers caller ID, see SimFamily) and options
    const char* layout; // for the test name
    bool onList;
    bool named;
};

void PrintTo(const CallerCase& c, std::ostream* os)
{
    *os << c.modem << " " << c.layout << (c.onList ? ", on the list" : ", not on the list")
        << (c.named ? ", named" : ", no name");
}

std::string caseName(const ::testing::TestParamInfo<CallerCase>& info)
{
    const CallerCase& c = info.param;
    const ::testing::TestParamInfo<QString> modem(QString::fromLatin1(c.modem), info.index);
    return test::modemTestName(modem) + "_" + c.layout + (c.named ? "_Named" : "_NoName");
}

class ModemCallerId : public ::testing::TestWithParam<CallerCase> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeBlockList(program.rig.home.programFolder(),
                                   {4445555, GetParam().onList ? 5551234.0 : 5551235.0, -8005550100.0}));
        ASSERT_TRUE(program.writePrompt(QStringLiteral("donotcall.wav"), doNotCall));
        ASSERT_TRUE(program.writePrompt(QStringLiteral("Greeting.wav"), greeting));
        rig.store(QStringLiteral("Rings"), QString::number(kRingsToAnswer));
        // Load step 30, which this rig does not run.
        static_cast<app::StartupParts&>(*rig.program).loadBlockList();
        ASSERT_TRUE(program.open());
    }

    modemsim::SimCallerId callerId() const
    {
        modemsim::SimCallerId id;
        id.number = "5551234";
        id.name = GetParam().named ? "SMITH JOHN" : "";
        return id;
    }

    // Rings until the program takes the line (at most ten rings, the caller ID after the first);
    // the number of rings the caller heard, 0 when the line was never taken.
    int ringUntilAnswered()
    {
        for (int ring = 1; ring <= 10; ++ring) {
            modem.ring();
            std::uint64_t untilNextRing = kRingCycleMs;
            if (ring == 1) {
                // The exchange sends caller ID between the first two rings.
                constexpr std::uint64_t kCallerIdDelayMs = 500;
                rig.run(kCallerIdDelayMs);
                if (QByteArray(GetParam().layout) == "Packet") {
                    modem.setCallerIdStyle(modemsim::SimFamily::CallerIdStyle::Packet);
                }
                modem.sendCallerId(callerId());
                untilNextRing -= kCallerIdDelayMs;
            }
            if (rig.runUntil([&] { return modem.offHook(); }, untilNextRing)) {
                return ring;
            }
        }
        return 0;
    }

    // Files in the recordings folder and among the recordings in progress.
    QStringList recordingFiles() const
    {
        return QDir(rig.recordings).entryList(QDir::Files) + QDir(rig.temp).entryList(QDir::Files);
    }

    ModemProgram program{QString::fromLatin1(GetParam().modem)};
    test::RecordingRig& rig = program.rig;
    modemsim::ModemSimulator& modem = program.modem;
    const std::vector<std::int16_t> doNotCall = test::sweep(400, 2800, 2.0);
    const std::vector<std::int16_t> greeting = test::sweep(2800, 400, 2.0);
};

class ModemBlockedCaller : public ModemCallerId {};
class ModemUnblockedCaller : public ModemCallerId {};

TEST_P(ModemBlockedCaller, IsAnsweredAtOnceHearsTheDoNotCallPromptAndIsHungUpOn)
{
    ASSERT_EQ(ringUntilAnswered(), 1) << "a blocked caller is answered after the first ring";
    EXPECT_EQ(
        rig.statusCount(GetParam().named
                            ? QStringLiteral("CallerID:5551234 [SMITH JOHN]                         Blocked")
                            : QStringLiteral("CallerID:5551234[Blocked]")),
        1)
        << rig.statusTexts().join('\n').toStdString();

    // The prompt goes out whole; the line goes back on hook half a second after it ends.
    std::vector<std::pair<std::uint64_t, std::size_t>> sentAt; // (clock, samples sent so far)
    ASSERT_TRUE(rig.runUntil(
        [&] {
            sentAt.emplace_back(rig.events.elapsedMs(), modem.transmitted().size());
            return !modem.offHook();
        },
        30000))
        << "the line stays off hook";
    const std::uint64_t hungUp = rig.events.elapsedMs();
    const std::vector<std::int16_t> heard = modem.transmitted();
    const test::FormatLevels levels(modem.format());
    const std::int64_t at = test::findCarried(heard, doNotCall, levels);
    ASSERT_GE(at, 0) << modemsim::simFormatName(modem.format()) << ": " << heard.size()
                     << " samples transmitted";
    const auto ended = std::find_if(sentAt.begin(), sentAt.end(), [&](const auto& entry) {
        return entry.second >= static_cast<std::size_t>(at) + doNotCall.size();
    });
    ASSERT_NE(ended, sentAt.end());
    const std::uint64_t promptEnded = ended->first;
    EXPECT_GE(hungUp - promptEnded, 500u);
    // The prompt follower notices the end at its next poll, then the drop waits its 500 ms.
    EXPECT_LE(hungUp - promptEnded, 1500u);
    rig.run(2000);

    EXPECT_LT(test::findCarried(heard, greeting, levels), 0) << "a blocked caller heard the greeting";
    EXPECT_TRUE(modem.tones().isEmpty()) << "a blocked caller heard the beep";
    EXPECT_FALSE(modem.offHook());
    EXPECT_EQ(rig.slot(0).blocked, 0);
    EXPECT_EQ(rig.slot(0).recordState, telephony::kRecordIdle);
    EXPECT_EQ(recordingFiles(), QStringList());
    EXPECT_TRUE(rig.lists->unread().isEmpty());
    EXPECT_TRUE(rig.lists->recent().isEmpty());
}

TEST_P(ModemUnblockedCaller, RingsToTheRingCountAndReachesTheAnsweringMachine)
{
    ASSERT_EQ(ringUntilAnswered(), kRingsToAnswer) << rig.statusTexts().join('\n').toStdString();
    EXPECT_EQ(rig.statusCount(QStringLiteral("CallerID:5551234 [SMITH JOHN]")), 1)
        << rig.statusTexts().join('\n').toStdString();
    EXPECT_FALSE(rig.statusTexts().join('\n').contains(QStringLiteral("Blocked")));
    EXPECT_EQ(rig.slot(0).blocked, 0);

    // The greeting and the beep, not the do-not-call prompt, then the recording; the caller hangs
    // up.
    ASSERT_TRUE(rig.runUntil([&] { return !modem.tones().isEmpty(); }, 20000)) << "no beep";
    const std::vector<std::int16_t> heard = modem.transmitted();
    const test::FormatLevels levels(modem.format());
    EXPECT_GE(test::findCarried(heard, greeting, levels), 0);
    EXPECT_LT(test::findCarried(heard, doNotCall, levels), 0);
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 10000));
    modem.farEndHangsUp();
    EXPECT_TRUE(rig.finishRecording(0, 60000));
}

// Formatted caller ID after the first ring with and without blanks around "=" (US Robotics,
// Lucent in A-law, the "#" command set of Rockwell), and framed in the voice stream by <DLE>X ... <DLE>.
// (Conexant, which also names the caller before the number), and as one unformatted hex packet (a
// modem its owner set to +VCID=2).
INSTANTIATE_TEST_SUITE_P(CallerIdLayouts, ModemBlockedCaller,
                         ::testing::Values(CallerCase{"usr", "Formatted", true, true},
                                           CallerCase{"lucent,format=alaw", "FormattedUnspaced", true, false},
                                           CallerCase{"rockwell", "Formatted", true, false},
                                           CallerCase{"conexant", "DleFramed", true, true},
                                           CallerCase{"conexant", "DleFramed", true, false},
                                           CallerCase{"lucent", "Packet", true, true}),
                         caseName);
INSTANTIATE_TEST_SUITE_P(CallerIdLayouts, ModemUnblockedCaller,
                         ::testing::Values(CallerCase{"usr", "Formatted", false, true},
                                           CallerCase{"conexant", "DleFramed", false, true}),
                         caseName);

} // namespace

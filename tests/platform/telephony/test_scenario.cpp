// Scenario files: parsing every event form, clear errors for malformed lines, and playing a file
// into the simulated lines on the virtual clock.
#include "tests/support/temp_home.h"
#include "tests/platform/telephony/tapi_fixture.h"

#include "platform/telephony/sim/wave_file.h"

#include <QDir>
#include <QFile>

using namespace qlnrec::platform;
using qlnrec::test::TapiFixture;
using qlnrec::test::TempHome;

namespace {

TEST(ScenarioParser, ReadsEveryEventForm)
{
    TempHome home;
    std::vector<std::int16_t> hello(4000, 1234);
    ASSERT_TRUE(writeWaveFile8kMono(home.path(QStringLiteral("hello.wav")), hello, nullptr));
    const QString text = QStringLiteral(
        "# an answering-machine call\r\n"
        "line 1 name=\"Test Modem\" media=20 version=0x00020000 open-error=0x80000048 ring-timeout=9s\n"
        "0.0 0 ring 4 2000/4000\n"
        "2.5s 0 callerid number=5551234 name=\"SMITH JOHN\"\n"
        "   \n"
        "2500ms 0 callerid number=private name=\"private\"\n"
        "3 0 callerid number=O\n"
        "+1s 0 wait offhook timeout=30\n"
        "+0.5 0 audio file=hello.wav\n"
        "+0 0 audio tone=480+620 on=250 off=250 duration=5 level=8000\n"
        "+0 0 audio silence duration=1500ms\n"
        "+2s 0 dtmf 12#a on=80 off=60\n"
        "+1s 0 hangup busy\n"
        "+1s 0 hangup\n"
        "60 1 ring count=2 on=1000 off=3000\n"
        "61 1 ringback\n"
        "62 1 answer\n"
        "63 1 busy\n"
        "64 1 noanswer\n"
        "65 1 wait dial\n"
        "70 0 end\n");
    QString error;
    const auto scenario = Scenario::parse(text, &error, home.root());
    ASSERT_TRUE(scenario) << error.toStdString();
    const auto& e = scenario->events();
    ASSERT_EQ(e.size(), 18u);
    EXPECT_EQ(e[0].kind, ScenarioEvent::Kind::Ring);
    EXPECT_EQ(e[0].ringCount, 4);
    EXPECT_EQ(e[0].ringOnMs, 2000u);
    EXPECT_EQ(e[0].ringOffMs, 4000u);
    EXPECT_EQ(e[0].sourceLine, 3);
    EXPECT_EQ(e[1].timeMs, 2500u);
    EXPECT_EQ(e[1].callerId.number, CallerIdField::present("5551234"));
    EXPECT_EQ(e[1].callerId.name, CallerIdField::present("SMITH JOHN"));
    EXPECT_EQ(e[2].callerId.number.kind, CallerIdField::Kind::Private);
    EXPECT_EQ(e[2].callerId.name, CallerIdField::present("private")) << "quoted text is literal";
    EXPECT_EQ(e[3].callerId.number.kind, CallerIdField::Kind::Unavailable);
    EXPECT_EQ(e[3].callerId.name.kind, CallerIdField::Kind::Absent);
    EXPECT_TRUE(e[4].relative);
    EXPECT_EQ(e[4].waitFor, ScenarioEvent::WaitFor::OffHook);
    EXPECT_EQ(e[4].waitTimeoutMs, 30000u);
    EXPECT_EQ(e[5].timeMs, 500u);
    EXPECT_EQ(e[5].samples, hello);
    EXPECT_EQ(e[6].audioKind, ScenarioEvent::AudioKind::Tone);
    EXPECT_EQ(e[6].tone.frequenciesHz, (std::vector<double>{480, 620}));
    EXPECT_EQ(e[6].tone.durationMs, 5000u);
    EXPECT_EQ(e[6].tone.onMs, 250u);
    EXPECT_EQ(e[6].tone.amplitude, 4000);
    EXPECT_EQ(e[7].silenceMs, 1500u);
    EXPECT_EQ(e[8].digits, QByteArray("12#A"));
    EXPECT_EQ(e[8].digitOnMs, 80u);
    EXPECT_EQ(e[9].notice, HangUpNotice::BusyTone);
    EXPECT_EQ(e[10].notice, HangUpNotice::LoopDrop);
    EXPECT_EQ(e[11].line, 1);
    EXPECT_EQ(e[11].ringCount, 2);
    EXPECT_EQ(e[11].ringOnMs, 1000u);
    EXPECT_EQ(e[12].kind, ScenarioEvent::Kind::Ringback);
    EXPECT_EQ(e[15].kind, ScenarioEvent::Kind::NoAnswer);
    EXPECT_EQ(e[16].waitFor, ScenarioEvent::WaitFor::Dial);
    EXPECT_EQ(e[17].kind, ScenarioEvent::Kind::End);
    ASSERT_EQ(scenario->lineConfigs().count(1), 1u);
    const SimLineConfig& config = scenario->lineConfigs().at(1);
    EXPECT_EQ(config.name, QStringLiteral("Test Modem"));
    EXPECT_EQ(config.mediaModes, 20u);
    EXPECT_EQ(config.apiVersionHigh, 0x00020000u);
    EXPECT_EQ(static_cast<std::uint32_t>(config.openError), 0x80000048u);
    EXPECT_EQ(config.ringTimeoutMs, 9000u);
    EXPECT_EQ(scenario->highestLine(), 1);
}

TEST(ScenarioParser, MalformedLinesAreRejectedWithTheirLineNumber)
{
    const std::pair<const char*, const char*> cases[] = {
        {"0 0 ring\nsoon 0 ring", "line 2: bad time \"soon\""},
        {"-1 0 ring", "line 1: bad time"},
        {"0 4 ring", "line 1: bad line index \"4\""},
        {"0 x ring", "line 1: bad line index"},
        {"0 0 explode", "line 1: unknown event \"explode\""},
        {"0 0", "line 1: expected"},
        {"0 0 ring 0", "line 1: bad ring count"},
        {"0 0 ring 2 2000-4000", "line 1: unknown argument"},
        {"0 0 ring 2 0/4000", "line 1: bad ring cadence"},
        {"0 0 callerid number=\"555", "line 1: unterminated quotation mark"},
        {"0 0 callerid phone=5", "line 1: unknown argument \"phone=5\""},
        {"0 0 audio", "line 1: audio needs exactly one of"},
        {"0 0 audio file=a.wav tone=400 duration=1", "line 1: audio needs exactly one of"},
        {"# header\n0 0 audio file=/nonexistent/none.wav", "line 2: audio file \"/nonexistent/none.wav\""},
        {"0 0 audio tone=5000 duration=1", "line 1: bad tone"},
        {"0 0 audio tone=400", "line 1: tone needs duration="},
        {"0 0 audio tone=400 off=100 duration=2", "line 1: a tone with off= needs on="},
        {"0 0 audio silence", "line 1: silence needs duration="},
        {"0 0 dtmf 12x", "line 1: bad touch-tone digits \"12x\""},
        {"0 0 dtmf", "line 1: dtmf needs digits"},
        {"0 0 hangup abruptly", "line 1: bad hang-up kind"},
        {"0 0 answer now", "line 1: \"answer\" takes no arguments"},
        {"0 0 wait forever", "line 1: bad wait condition"},
        {"0 0 wait", "line 1: wait needs a condition"},
        {"5 0 ring\n4 0 ring", "line 2: time 4 is earlier"},
        {"5 0 end\n6 0 ring", "line 2: no events may follow \"end\""},
        {"line 7 media=4", "line 1: bad line index \"7\""},
        {"line 0 colour=red", "line 1: unknown argument \"colour=red\""},
        {"line 0 media=lots", "line 1: bad value for media"},
        {"line 0 version=0x00010003 min-version=0x00020000", "line 1: min-version is above version"},
    };
    for (const auto& [text, expected] : cases) {
        QString error;
        EXPECT_FALSE(Scenario::parse(QString::fromUtf8(text), &error)) << text;
        EXPECT_TRUE(error.startsWith(QString::fromUtf8(expected)))
            << "for \"" << text << "\" got \"" << error.toStdString() << "\"";
    }
    QString error;
    EXPECT_FALSE(Scenario::load(QStringLiteral("/nonexistent/scenario.txt"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("cannot open scenario")));
}

TEST(ScenarioParser, BadWaveFilesAreReportedNotCrashedOn)
{
    TempHome home;
    const std::pair<QByteArray, const char*> files[] = {
        {QByteArray("not a wave file at all"), "not a RIFF WAVE file"},
        {QByteArray("RIFF\x10\x00\x00\x00WAVEdata\x00\x00\x00\x00", 20), "no format chunk"},
        {QByteArray(
             "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00"
             "\x02\x00\x10\x00",
             36),
         "no data chunk"},
        {QByteArray(
             "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x22\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00"
             "\x02\x00\x10\x00"
             "data\x00\x00\x00\x00",
             44),
         "unsupported format"},
    };
    for (const auto& [bytes, expected] : files) {
        qlnrec::test::writeFile(home.path(QStringLiteral("bad.wav")), bytes);
        QString error;
        EXPECT_FALSE(Scenario::parse(QStringLiteral("0 0 audio file=bad.wav"), &error, home.root()));
        EXPECT_TRUE(error.contains(QString::fromUtf8(expected))) << error.toStdString();
    }
    // A data chunk that claims more than the file holds keeps what is there.
    QByteArray truncated(
        "RIFF\x24\x00\x00\x00WAVEfmt \x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x80\x3e\x00\x00"
        "\x02\x00\x10\x00"
        "data\xff\xff\xff\x7f\x01\x00\x02\x00",
        48);
    std::vector<std::int16_t> samples;
    QString error;
    ASSERT_TRUE(parseWaveAs8kMono(truncated, samples, &error)) << error.toStdString();
    EXPECT_EQ(samples, (std::vector<std::int16_t>{1, 2}));
}

TEST(ScenarioParser, SpeechIsSynthesisedWhereEspeakIsInstalled)
{
    if (!qlnrec::test::haveCommand(QStringLiteral("espeak-ng"))) {
        GTEST_SKIP() << "espeak-ng is not installed";
    }
    QString error;
    const auto scenario =
        Scenario::parse(QStringLiteral("0 0 audio speech=\"Hello, is anybody there?\""), &error);
    ASSERT_TRUE(scenario) << error.toStdString();
    const auto& samples = scenario->events().at(0).samples;
    EXPECT_GT(samples.size(), 8000u) << "about a second of speech at 8 kHz";
    EXPECT_LT(samples.size(), 8000u * 10);
    EXPECT_TRUE(
        std::any_of(samples.begin(), samples.end(), [](std::int16_t s) { return std::abs(s) > 1000; }));
}

class ScenarioPlayback : public TapiFixture {};

TEST_F(ScenarioPlayback, PlaysACallOnTheClockWaitsForTheProgramAndReportsTheEnd)
{
    build(QStringLiteral("sim:2"));
    initialize();
    open(0);
    QString error;
    auto scenario = Scenario::parse(QStringLiteral("0 0 ring 3 2000/4000\n"
                                                   "2.5 0 callerid number=5551234\n"
                                                   "+0 0 wait offhook timeout=60\n"
                                                   "+1 0 dtmf ##\n"
                                                   "+3 0 hangup loopdrop\n"
                                                   "+0 0 wait onhook\n"
                                                   "+2 0 end\n"),
                                    &error);
    ASSERT_TRUE(scenario) << error.toStdString();
    auto player = platform->playScenario(*scenario, &error);
    ASSERT_TRUE(player) << error.toStdString();
    int finishedCalls = 0;
    bool completed = false;
    player->setOnFinished([&](bool ok) {
        ++finishedCalls;
        completed = ok;
    });
    // The program's part: answer on ring 3, monitor digits, drop on the disconnect.
    std::uint64_t disconnectedAt = 0;
    onMessage = [&](const qlnrec::test::LineMessage& m) {
        if (m.msg == LINE_LINEDEVSTATE && m.p3 == 3) {
            tapi().lineAnswer(offeredCall(), nullptr, 0);
        } else if (m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_CONNECTED) {
            tapi().lineMonitorDigits(m.hDevice, LINEDIGITMODE_DTMF);
        } else if (m.msg == LINE_CALLSTATE && m.p1 == LINECALLSTATE_DISCONNECTED) {
            disconnectedAt = m.atMs;
            tapi().lineDrop(m.hDevice, nullptr, 0);
        }
    };
    ASSERT_TRUE(runVirtualTime(
        events, [&] { return player->finished(); }, 120000));
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_TRUE(completed);
    EXPECT_TRUE(player->error().isEmpty());
    EXPECT_EQ(player->eventsPlayed(), 7u);

    const auto rings = only(LINE_LINEDEVSTATE);
    ASSERT_EQ(rings.size(), 3u);
    EXPECT_EQ(rings[2].atMs, 12000u);
    EXPECT_EQ(only(LINE_CALLINFO).at(0).atMs, 2500u);
    const auto digits = only(LINE_MONITORDIGITS);
    ASSERT_EQ(digits.size(), 2u);
    EXPECT_GE(digits[0].atMs, 13000u) << "one second after the answer";
    EXPECT_EQ(disconnectedAt, digits[0].atMs - 40 + 3000);
    // The wait sees the program's hang-up at its next 10 ms poll; the end comes 2 s later.
    EXPECT_EQ(events.elapsedMs(), disconnectedAt + 10 + 2000);

    // The activity log and the audio files.
    TempHome home;
    const QString log = home.path(QStringLiteral("activity.txt"));
    ASSERT_TRUE(platform->writeActivity(log, &error)) << error.toStdString();
    const QString text = QString::fromUtf8(qlnrec::test::readFile(log));
    for (const char* expected :
         {"ring 3", "caller ID number=\"5551234\" name=absent", "off hook (answer)", "far end keys \"##\"",
          "far end hangs up (loop-current drop)", "on hook (hang up)", "touch-tone detection on"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("call 1: nothing was played into the line")));
}

TEST_F(ScenarioPlayback, ScenariosThatDoNotFitTheLinesOrTimeOutSayWhere)
{
    build(QStringLiteral("sim:1"));
    QString error;
    auto wrongLine = Scenario::parse(QStringLiteral("0 0 ring\n1 1 ring\n"), &error);
    ASSERT_TRUE(wrongLine);
    EXPECT_FALSE(platform->playScenario(*wrongLine, &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("line 2: line index 1 is not a simulated line")))
        << error.toStdString();

    auto lineSetting = Scenario::parse(QStringLiteral("line 3 media=4\n"), &error);
    ASSERT_TRUE(lineSetting);
    EXPECT_FALSE(platform->applyLineConfigs(*lineSetting, &error));

    initialize();
    auto waits =
        Scenario::parse(QStringLiteral("0 0 ring\n+0 0 wait offhook timeout=5s\n+1 0 end\n"), &error);
    ASSERT_TRUE(waits);
    auto player = platform->playScenario(*waits, &error);
    ASSERT_TRUE(player);
    bool completed = true;
    player->setOnFinished([&](bool ok) { completed = ok; });
    runVirtualTime(
        events, [&] { return player->finished(); }, 60000);
    EXPECT_TRUE(player->finished());
    EXPECT_FALSE(completed);
    EXPECT_EQ(player->error(), QStringLiteral("line 2: wait timed out after 5 s"));
    EXPECT_EQ(events.elapsedMs(), 5000u);
}

TEST_F(ScenarioPlayback, ActivityRecordsWhatWasPlayedPerCallAsWaveFiles)
{
    build(QStringLiteral("sim:1"));
    initialize();
    open(0);
    for (int n = 1; n <= 2; ++n) {
        sim(0).ring(1);
        settle();
        const HCALL call = offeredCall();
        ASSERT_GT(tapi().lineAnswer(call, nullptr, 0), 0);
        settle();
        // The program plays a short prompt on the second call only.
        if (n == 2) {
            sim(0).receivePlayed(std::vector<std::int16_t>{1, -2, 3}.data(), 3, false);
        }
        ASSERT_EQ(tapi().lineGenerateDigits(call, LINEDIGITMODE_DTMF, "*", 0), 0);
        events.advance(200);
        ASSERT_GT(tapi().lineDrop(call, nullptr, 0), 0);
        settle();
        ASSERT_EQ(tapi().lineDeallocateCall(call), 0);
    }
    TempHome home;
    QString error;
    ASSERT_TRUE(platform->writeActivity(home.path(QStringLiteral("run.txt")), &error)) << error.toStdString();
    const QString text = QString::fromUtf8(qlnrec::test::readFile(home.path(QStringLiteral("run.txt"))));
    EXPECT_TRUE(text.contains(QStringLiteral("generate digits \"*\" (100 ms each)")));
    EXPECT_TRUE(text.contains(
        QStringLiteral("call 2: 3 samples played into the line, saved as run-line0-call2.wav")));
    std::vector<std::int16_t> samples;
    ASSERT_TRUE(readWaveFileAs8kMono(home.path(QStringLiteral("run-line0-call2.wav")), samples, &error));
    EXPECT_EQ(samples, (std::vector<std::int16_t>{1, -2, 3}));
    EXPECT_FALSE(QFile::exists(home.path(QStringLiteral("run-line0-call1.wav"))));
    if (qlnrec::test::haveCommand(QStringLiteral("python3"))) {
        int exitCode = -1;
        const QString info = qlnrec::test::runCommand(
            QStringLiteral("python3 -c \"import wave; w = wave.open('%1'); "
                           "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())\"")
                .arg(home.path(QStringLiteral("run-line0-call2.wav"))),
            &exitCode);
        EXPECT_EQ(exitCode, 0);
        EXPECT_EQ(info.trimmed(), QStringLiteral("1 2 8000 3"));
    }
}

} // namespace

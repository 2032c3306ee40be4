// Four lines taking a thousand mixed calls each, in virtual time: messages left after the beep,
// calls taken on the telephone set, blocked callers, calls dialled from the dial window, callers
// who give up while it rings, and callers who say nothing. Resident memory and open files must not
// grow between the hundredth and the last round, and every recording must be on disk, readable by
// an independent reader, and listed where the lists say.
#include "tests/e2e/callerid/caller_id_calls.h"
#include "tests/e2e/dialer/dialer_steps.h"
#include "tests/e2e/recording/recording_rig.h"

#include "blocklist/block_list.h"
#include "tests/support/temp_home.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

using namespace qlnrec;
using platform::CallerIdField;
using test::RecordingRig;

namespace {

enum class Kind { Message, Handset, Blocked, Dialled, GaveUp, Silent };
constexpr int kKinds = 6;
constexpr auto kBlockedNumber = "5559999";

int callsPerLine()
{
    const int fromEnvironment = qEnvironmentVariableIntValue("QLNREC_SOAK_CALLS");
    return fromEnvironment > 0 ? fromEnvironment : QLNREC_SOAK_CALLS;
}

std::int64_t residentKiB()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) / 1024 : -1;
}

// Bytes the allocator has handed out and not had back: a leak shows here even where the resident
// size hides it behind freed pages the allocator keeps.
std::int64_t heapInUseKiB()
{
    return static_cast<std::int64_t>(mallinfo2().uordblks / 1024);
}

int openFiles()
{
    return static_cast<int>(
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

// One call on one line, driven a step at a time while the four lines run together.
class CallDriver {
public:
    CallDriver(RecordingRig& rig, int line, const QString& speech) : rig_(rig), line_(line), speech_(speech)
    {
    }

    void begin(Kind kind)
    {
        kind_ = kind;
        stage_ = 0;
        beepsBefore_ = rig_.sim(line_).generatedCount();
        dialledBefore_ = rig_.sim(line_).dialled().size();
        since_ = now();
        switch (kind) {
        case Kind::Message:
        case Kind::Blocked:
        case Kind::Silent:
            rig_.sim(line_).ring(8, 2000, 4000);
            break;
        case Kind::Handset:
            rig_.sim(line_).ring(2, 2000, 4000); // the rings stop: picked up on the set
            break;
        case Kind::GaveUp:
            rig_.sim(line_).ring(1, 2000, 4000);
            break;
        case Kind::Dialled:
            dialer_ = &rig_.program->dialer();
            dialer_->setNumber(QStringLiteral("5551234"));
            EXPECT_TRUE(dialer_->dial());
            break;
        }
    }

    // Moves the call on when its next cue has come; true once the line is idle again.
    bool step()
    {
        auto& sim = rig_.sim(line_);
        auto& slot = rig_.slot(line_);
        const std::uint64_t waited = now() - since_;
        const auto next = [&] {
            ++stage_;
            since_ = now();
        };
        const bool idle = !sim.offHook() && slot.hCall == 0 && slot.recordState == telephony::kRecordIdle &&
                          !rig_.engine().line(line_).deviceOpen &&
                          rig_.engine().line(line_).captureClosed == 0 &&
                          !rig_.engine().timWriteFile(line_).isEnabled();
        switch (kind_) {
        case Kind::Message:
        case Kind::Silent:
        case Kind::Blocked:
            if (stage_ == 0 && slot.hCall != 0 && waited >= 500) {
                const char* number = kind_ == Kind::Blocked ? kBlockedNumber : "5551000";
                sim.sendCallerId(CallerIdField::present(number), CallerIdField::present("SOAK CALLER"));
                next();
            } else if (stage_ == 1 && kind_ == Kind::Blocked) {
                return waited > 2000 && idle;
            } else if (stage_ == 1 && sim.generatedCount() > beepsBefore_) {
                if (kind_ == Kind::Message) {
                    sim.playFarEndWav(speech_);
                }
                next();
            } else if (stage_ == 2 && (kind_ == Kind::Silent || waited >= 4000)) {
                // The silent caller hangs up without a word; the line just goes quiet.
                sim.hangUpFarEnd(kind_ == Kind::Silent ? platform::HangUpNotice::None
                                                       : platform::HangUpNotice::LoopDrop);
                next();
            } else if (stage_ == 3) {
                return idle;
            }
            break;
        case Kind::Handset:
            if (stage_ == 0 && slot.recordState == telephony::kRecording) {
                sim.playFarEndWav(speech_);
                next();
            } else if (stage_ == 1 && waited >= 4000) {
                sim.hangUpFarEnd(platform::HangUpNotice::DialTone);
                next();
            } else if (stage_ == 2) {
                return idle;
            }
            break;
        case Kind::GaveUp:
            if (stage_ == 0 && slot.hCall != 0 && waited >= 1000) {
                sim.hangUpFarEnd();
                next();
            } else if (stage_ == 1) {
                return waited > 1000 && idle;
            }
            break;
        case Kind::Dialled:
            if (stage_ == 0 && sim.dialled().size() > dialledBefore_) {
                sim.farEndRingback();
                next();
            } else if (stage_ == 1 && waited >= 3000) {
                sim.farEndAnswer();
                sim.playFarEndWav(speech_);
                next();
            } else if (stage_ == 2 && waited >= 5000) {
                sim.hangUpFarEnd(platform::HangUpNotice::BusyTone);
                next();
            } else if (stage_ == 3) {
                return idle && !dialer_->calling();
            }
            break;
        }
        return false;
    }

    // Where the call stands, for a failure message.
    std::string describe() const
    {
        auto& slot = rig_.slot(line_);
        return QStringLiteral("line %1 kind %2 stage %3 offHook %4 hCall %5 recordState %6 capture %7/%8")
            .arg(line_)
            .arg(static_cast<int>(kind_))
            .arg(stage_)
            .arg(rig_.sim(line_).offHook())
            .arg(slot.hCall)
            .arg(slot.recordState)
            .arg(rig_.engine().line(line_).deviceOpen)
            .arg(rig_.engine().line(line_).captureClosed.load())
            .toStdString();
    }

private:
    std::uint64_t now() const { return rig_.events.elapsedMs(); }

    RecordingRig& rig_;
    int line_;
    QString speech_;
    Kind kind_ = Kind::Message;
    int stage_ = 0;
    std::uint64_t since_ = 0;
    std::uint64_t beepsBefore_ = 0;
    std::size_t dialledBefore_ = 0;
    phonebook::Dialer* dialer_ = nullptr;
};

// Which call a line takes in a round. Only line 0 dials (the dial window uses one line); the
// others take a message instead.
Kind kindFor(int round, int line)
{
    const auto kind = static_cast<Kind>((round + line) % kKinds);
    return kind == Kind::Dialled && line != 0 ? Kind::Message : kind;
}

// Only the blocked caller leaves nothing: the silent caller's quiet stretch up to the silence
// trigger is kept, and so is the call the program answered after its caller gave up (it holds the
// dial tone that ended it).
bool leavesRecording(Kind kind)
{
    return kind != Kind::Blocked;
}

// Every file in folder as Python's wave module reads it: "name channels rate width frames" lines,
// or "name BAD reason".
QStringList independentReading(const QString& folder)
{
    QProcess python;
    python.start(
        QStringLiteral("python3"),
        {QStringLiteral("-c"),
         QStringLiteral("import os, sys, wave\n"
                        "d = sys.argv[1]\n"
                        "for n in sorted(f for f in os.listdir(d) if os.path.isfile(os.path.join(d, f))):\n"
                        "    try:\n"
                        "        w = wave.open(os.path.join(d, n))\n"
                        "        print(n, w.getnchannels(), w.getframerate(), "
                        "w.getsampwidth(), w.getnframes())\n"
                        "    except Exception as e:\n"
                        "        print(n, 'BAD', e)\n"),
         folder});
    python.waitForFinished(-1);
    return QString::fromUtf8(python.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(Soak, FourLinesOfMixedCallsKeepMemoryFilesAndListsSteady)
{
    if (!test::haveCommand("python3")) {
        GTEST_SKIP() << "python3 is not installed";
    }
    const QString speech = test::MadeAudio::speech(3);
    if (speech.isEmpty()) {
        GTEST_SKIP() << "espeak-ng or sox is not installed";
    }
    audio::StopTriggerSettings triggers;
    triggers.silence = 1; // the silent caller's call ends on silence
    triggers.silenceSeconds = 5;
    triggers.fastBusy = 1; // and a call picked up after the caller gave up ends on dial tone
    RecordingRig rig(triggers);
    blocklist::BlockList(rig.home.programFolder()).append(QString::fromLatin1(kBlockedNumber).toDouble());
    rig.program->loadBlockList();
    rig.store("Rings", "2");
    test::writeTonePrompt(rig, "Greeting.wav", 440, 1);
    test::writeTonePrompt(rig, "donotcall.wav", 880, 1);
    rig.openLines();
    test::loadDialer(rig);

    std::vector<CallDriver> drivers;
    for (int line = 0; line < 4; ++line) {
        drivers.emplace_back(rig, line, speech);
    }
    const int rounds = callsPerLine();
    // Measured once the status list has filled to its capacity (about 40 lines a round).
    const int settledRound = std::min(300, rounds * 3 / 10);
    int expectedFiles = 0;
    std::int64_t residentAtSettled = 0;
    std::int64_t heapAtSettled = 0;
    int filesOpenAtSettled = 0;
    for (int round = 1; round <= rounds; ++round) {
        std::array<bool, 4> done{};
        for (int line = 0; line < 4; ++line) {
            drivers[static_cast<std::size_t>(line)].begin(kindFor(round, line));
            expectedFiles += leavesRecording(kindFor(round, line)) ? 1 : 0;
        }
        ASSERT_TRUE(rig.runUntil(
            [&] {
                for (int line = 0; line < 4; ++line) {
                    done[static_cast<std::size_t>(line)] = done[static_cast<std::size_t>(line)] ||
                                                           drivers[static_cast<std::size_t>(line)].step();
                }
                return done[0] && done[1] && done[2] && done[3];
            },
            180000))
            << "round " << round << " did not end:\n"
            << drivers[0].describe() << "\n"
            << drivers[1].describe() << "\n"
            << drivers[2].describe() << "\n"
            << drivers[3].describe() << "\n"
            << rig.statusTexts().join('\n').toStdString();
        rig.shell.clear(); // the stand-in desktop's record of notifications is the test's, not the program's
        if (round % 50 == 0) {
            std::printf("soak: round %d, resident %lld KiB, heap in use %lld KiB\n", round,
                        static_cast<long long>(residentKiB()), static_cast<long long>(heapInUseKiB()));
        }
        if (round == settledRound) {
            residentAtSettled = residentKiB();
            heapAtSettled = heapInUseKiB();
            filesOpenAtSettled = openFiles();
        }
    }
    const std::int64_t residentAtEnd = residentKiB();
    const std::int64_t heapAtEnd = heapInUseKiB();
    RecordProperty("calls", rounds * 4);
    RecordProperty("resident_kib_settled", static_cast<int>(residentAtSettled));
    RecordProperty("resident_kib_end", static_cast<int>(residentAtEnd));
    std::printf(
        "soak: %d calls; resident %lld KiB after round %d, %lld KiB after round %d; heap in use %lld KiB, "
        "then %lld KiB; %d files open\n",
        rounds * 4, static_cast<long long>(residentAtSettled), settledRound,
        static_cast<long long>(residentAtEnd), rounds, static_cast<long long>(heapAtSettled),
        static_cast<long long>(heapAtEnd), openFiles());
    EXPECT_EQ(openFiles(), filesOpenAtSettled);
#if QLNREC_SOAK_MEMORY_CHECKS
    // Nothing a call leaves behind may pile up: 2 MiB is what the allocator may hold on to.
    EXPECT_LT(residentAtEnd - residentAtSettled, 2048);
    EXPECT_LT(heapAtEnd - heapAtSettled, 512);
#endif

    // Every recording is on disk and valid; nothing else is there.
    const QStringList reading = independentReading(rig.recordings);
    EXPECT_EQ(reading.size(), expectedFiles) << reading.join('\n').toStdString();
    for (const QString& file : reading) {
        const QStringList facts = file.split(QLatin1Char(' '));
        ASSERT_GE(facts.size(), 5) << file.toStdString();
        EXPECT_EQ(facts.mid(facts.size() - 4, 3), (QStringList{"1", "8000", "2"})) << file.toStdString();
        EXPECT_GE(facts.last().toLongLong(), 8000) << file.toStdString(); // a second or more
    }
    // The lists name the newest recordings, each on disk; the answered ones wait unread.
    const auto answered = static_cast<int>(reading.filter(QRegularExpression(QStringLiteral("^A~"))).size());
    EXPECT_EQ(rig.lists->unread().size(), std::min(answered, records::RecordingLists::kCapacity));
    for (const QString& name : rig.lists->unread() + rig.lists->recent()) {
        EXPECT_TRUE(QFileInfo::exists(rig.recordingPath(name))) << name.toStdString();
    }
    EXPECT_TRUE(QDir(rig.temp).entryList(QDir::Files).isEmpty());
}

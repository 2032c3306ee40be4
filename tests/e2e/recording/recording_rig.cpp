#include "recording_rig.h"

#include "core/program_folders.h"
#include "platform/telephony/sim/wave_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace qlnrec::test {

RecordingRig::RecordingRig(const audio::StopTriggerSettings& triggers, std::shared_ptr<TempHome> sharedHome,
                           const QString& linesSpec)
    : ProgramRig(linesSpec, {}, QStringList{QStringLiteral(SIGSCAN_TEST_LIBRARY)}, std::move(sharedHome))
{
    recordings = home.path(QStringLiteral("recordings/"));
    QDir().mkpath(recordings);
    temp = core::ProgramFolders::unfinishedRecordingsFolder(recordings);
    // What the load sequence would have read and made; a later start finds the same folder.
    store(QStringLiteral("SaveFile"), recordings);
    state.recordingsFolder = recordings;
    state.tempFolder = temp;
    state.detector = decltype(state.detector){triggers.silence, triggers.silenceLevel,
                                              triggers.silenceSeconds, triggers.fastBusy, triggers.country};
    program->lines().settings().fastBusySwitch = triggers.fastBusy;
    for (int line = 0; line < telephony::kLineCount; ++line) {
        program->lines().state()[line].ringIntervals.fill(6500);
    }
    program->recorder().engine().setSettings(program->recorderSettings());
    program->loadRecordingLists();
    lists = program->recordingLists();
    program->findTrueSpeechDriver();
}

void RecordingRig::openLines(std::vector<int> which)
{
    for (int line : which) {
        config.saveSetting(QStringLiteral("Config"), QStringLiteral("Line%1").arg(line), QStringLiteral("1"));
    }
    program->lines().state().mediaMode.fill(platform::LINEMEDIAMODE_INTERACTIVEVOICE);
    program->lines().manager().OpenLines();
    run(0);
}

void RecordingRig::run(std::uint64_t ms)
{
    for (int i = 0; i < 100 && events.hasPendingPosts(); ++i) {
        events.processPendingEvents();
    }
    events.advance(ms);
}

bool RecordingRig::runUntil(const std::function<bool()>& done, std::uint64_t maxMs)
{
    return events.advanceUntil(done, maxMs, 5);
}

bool RecordingRig::monitoredCall(int line)
{
    sim(line).ring(2, 2000, 4000);
    return runUntil([&] { return slot(line).recordState == telephony::kRecording; }, 30000);
}

void RecordingRig::shutDown()
{
    program->startup().requestShutdown();
}

bool RecordingRig::finishRecording(int line, std::uint64_t maxMs)
{
    return runUntil(
        [&] {
            const audio::CaptureLine& c = engine().line(line);
            return slot(line).recordState == telephony::kRecordIdle && !c.deviceOpen &&
                   c.captureClosed == 0 && !engine().timWriteFile(line).isEnabled();
        },
        maxMs);
}

namespace {

// The made audio lives in a temporary folder for the whole test program.
QString madeDir()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/qlnrec-e2e-audio-XXXXXX"));
    return dir.path();
}

bool run(const QString& command)
{
    int code = -1;
    runCommand(command + QStringLiteral(" 2>&1"), &code);
    return code == 0;
}

} // namespace

QString MadeAudio::speech(double seconds)
{
    if (!haveCommand(QStringLiteral("espeak-ng")) || !haveCommand(QStringLiteral("sox"))) {
        return {};
    }
    const QString out = madeDir() + QStringLiteral("/speech-%1.wav").arg(seconds);
    if (QFile::exists(out)) {
        return out;
    }
    const QString raw = madeDir() + QStringLiteral("/speech-raw.wav");
    const QString text = QStringLiteral(
        "Hello, this is a message for the recorder test. I am calling about the appointment on "
        "Tuesday at half past three. Please call me back when you have a moment, my number is "
        "five five five, one two three four. The weather has been lovely this week and the garden "
        "is full of flowers. Thank you very much and have a good day. Goodbye for now.");
    if (!run(QStringLiteral("espeak-ng -s 150 -w '%1' '%2'").arg(raw, text))) {
        return {};
    }
    if (!run(QStringLiteral("sox '%1' -r 8000 -c 1 -b 16 -e signed-integer '%2' pad 0 %3 trim 0 %3")
                 .arg(raw, out)
                 .arg(seconds))) {
        return {};
    }
    return out;
}

QString MadeAudio::reorder(double seconds, double volume)
{
    if (!haveCommand(QStringLiteral("sox"))) {
        return {};
    }
    const QString out = madeDir() + QStringLiteral("/reorder-%1-%2.wav").arg(seconds).arg(volume);
    const QString on = madeDir() + QStringLiteral("/on.wav");
    const QString off = madeDir() + QStringLiteral("/off.wav");
    const QString cycle = madeDir() + QStringLiteral("/cycle.wav");
    const int repeats = static_cast<int>(seconds * 2) - 1;
    const bool ok =
        run(QStringLiteral(
                "sox -n -r 8000 -c 1 -b 16 '%1' synth 0.25 sine 480 synth 0.25 sine mix 620 vol %2")
                .arg(on)
                .arg(volume)) &&
        run(QStringLiteral("sox -n -r 8000 -c 1 -b 16 '%1' trim 0 0.25").arg(off)) &&
        run(QStringLiteral("sox '%1' '%2' '%3'").arg(on, off, cycle)) &&
        run(QStringLiteral("sox '%1' '%2' repeat %3").arg(cycle, out).arg(repeats));
    return ok ? out : QString();
}

QString MadeAudio::tone(double hz, double seconds, double volume)
{
    if (!haveCommand(QStringLiteral("sox"))) {
        return {};
    }
    const QString out = madeDir() + QStringLiteral("/tone-%1-%2-%3.wav").arg(hz).arg(seconds).arg(volume);
    return run(QStringLiteral("sox -n -r 8000 -c 1 -b 16 '%1' synth %2 sine %3 vol %4")
                   .arg(out)
                   .arg(seconds)
                   .arg(hz)
                   .arg(volume))
               ? out
               : QString();
}

QString waveHeaderFacts(const QString& path)
{
    if (!haveCommand(QStringLiteral("python3"))) {
        return {};
    }
    const QString script =
        QStringLiteral("import struct,sys,os\n"
                       "b=open(sys.argv[1],'rb').read()\n"
                       "assert b[0:4]==b'RIFF' and b[8:12]==b'WAVE' and b[12:16]==b'fmt '\n"
                       "n=struct.unpack('<I',b[16:20])[0]\n"
                       "tag,ch,rate,bps=struct.unpack('<HHII',b[20:32])\n"
                       "p=20+n; fact=0\n"
                       "while b[p:p+4]!=b'data':\n"
                       "  size=struct.unpack('<I',b[p+4:p+8])[0]\n"
                       "  fact=struct.unpack('<I',b[p+8:p+12])[0] if b[p:p+4]==b'fact' else fact\n"
                       "  p+=8+size\n"
                       "data=struct.unpack('<I',b[p+4:p+8])[0]\n"
                       "ok=struct.unpack('<I',b[4:8])[0]==len(b)-8 and p+8+data==len(b)\n"
                       "print(tag,ch,rate,bps,data,fact,ok)\n");
    const QString scriptPath = madeDir() + QStringLiteral("/wave_facts.py");
    writeFile(scriptPath, script.toUtf8());
    return runCommand(QStringLiteral("python3 '%1' '%2'").arg(scriptPath, path)).trimmed();
}

std::vector<std::int16_t> MadeAudio::samples(const QString& path)
{
    std::vector<std::int16_t> out;
    QString error;
    platform::readWaveFileAs8kMono(path, out, &error);
    return out;
}

std::vector<std::int16_t> pcmFileSamples(const QString& path)
{
    const QByteArray bytes = readFile(path);
    std::vector<std::int16_t> out;
    for (qsizetype i = 44; i + 1 < bytes.size(); i += 2) {
        out.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
    }
    return out;
}

std::int64_t findSamples(const std::vector<std::int16_t>& whole, const std::vector<std::int16_t>& part,
                         std::size_t probe)
{
    std::size_t lead = 0;
    while (lead < part.size() && part[lead] == 0) {
        ++lead;
    }
    if (lead + probe > part.size()) {
        return -1;
    }
    for (std::size_t k = lead; k + probe <= whole.size(); ++k) {
        if (std::equal(part.begin() + static_cast<std::ptrdiff_t>(lead),
                       part.begin() + static_cast<std::ptrdiff_t>(lead + probe),
                       whole.begin() + static_cast<std::ptrdiff_t>(k))) {
            return static_cast<std::int64_t>(k) - static_cast<std::int64_t>(lead);
        }
    }
    return -1;
}

std::vector<std::int16_t> writeTonePrompt(ProgramRig& rig, const QString& name, double hz, double seconds)
{
    constexpr int kRate = 8000;
    std::vector<std::int16_t> samples(static_cast<std::size_t>(seconds * kRate));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] =
            static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * hz * static_cast<double>(i) / kRate));
    }
    QString error;
    EXPECT_TRUE(platform::writeWaveFile8kMono(rig.home.programFolder() + "/" + name, samples, &error))
        << error.toStdString();
    return samples;
}

bool heardWhole(const std::vector<std::int16_t>& heard, const std::vector<std::int16_t>& prompt,
                std::int64_t* at)
{
    const std::int64_t found = findSamples(heard, prompt);
    if (at) {
        *at = found;
    }
    return found >= 0 && static_cast<std::size_t>(found) + prompt.size() <= heard.size() &&
           std::equal(prompt.begin(), prompt.end(), heard.begin() + found);
}

} // namespace qlnrec::test

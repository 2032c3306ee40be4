// qlnrec-modemsim: a voice modem on a pseudo-terminal, for trying the program without hardware.
//
//   qlnrec-modemsim [--family conexant|lucent|usr|rockwell] [--link PATH] [--speed N]
//
// Start qlnrec with "--lines modem:PATH" and type commands here:
//   ring [n]                  n rings, 6 s apart (one at once when n is missing)
//   cid NUMBER [NAME...]      caller ID (P private, O unavailable)
//   audio FILE.wav            far-end speech (any PCM WAVE file)
//   dtmf DIGITS               touch tones from the far end
//   busy | loop | dialtone | silence    a hang-up notice
//   hangup                    the caller hangs up (reported as the family does)
//   dial OK|BUSY|"NO DIALTONE"|"NO ANSWER"   what the next dialled call leads to
//   unplug | plug             pull the modem out / plug it in again
//   garbage on|off            answer every command with noise
//   fault slow|garble|lose PREFIX [N]   the next command starting with PREFIX is answered N ms
//                             late / with noise / loses its byte N (its length: the CR)
//   save FILE.wav             what the program transmitted so far
//   status                    hook state, stream, format, commands seen
//   quit
#include "platform/telephony/sim/wave_file.h"
#include "tests/platform/modem/modemsim/modem_simulator.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>
#include <thread>

using qlnrec::modemsim::ModemSimulator;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString familyName = QStringLiteral("conexant");
    QString link;
    double speed = 1.0;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString a = args.at(i);
        if (a == QLatin1String("--family") && i + 1 < args.size()) {
            familyName = args.at(++i);
        } else if (a == QLatin1String("--link") && i + 1 < args.size()) {
            link = args.at(++i);
        } else if (a == QLatin1String("--speed") && i + 1 < args.size()) {
            speed = args.at(++i).toDouble();
        } else {
            std::fprintf(stderr, "usage: qlnrec-modemsim [--family %s] [--link PATH] [--speed N]\n",
                         qPrintable(qlnrec::modemsim::familyNames().join(QLatin1Char('|'))));
            return 2;
        }
    }
    bool known = false;
    ModemSimulator sim(qlnrec::modemsim::familyByName(familyName, &known), link);
    if (!known) {
        std::fprintf(stderr, "unknown family %s\n", qPrintable(familyName));
        return 2;
    }
    QString error;
    if (!sim.start(&error)) {
        std::fprintf(stderr, "cannot start: %s\n", qPrintable(error));
        return 1;
    }
    sim.setAudioSpeed(speed > 0 ? speed : 1.0);
    sim.setToneTimeScale(1.0);
    std::printf("%s modem on %s (terminal %s)\nstart qlnrec with --lines modem:%s\n", qPrintable(familyName),
                qPrintable(sim.portPath()), qPrintable(sim.terminalPath()), qPrintable(sim.portPath()));
    std::fflush(stdout);

    std::string input;
    while (std::getline(std::cin, input)) {
        const QString line = QString::fromStdString(input).trimmed();
        const QString word = line.section(QLatin1Char(' '), 0, 0).toLower();
        const QString rest = line.section(QLatin1Char(' '), 1).trimmed();
        if (word.isEmpty()) {
            continue;
        }
        if (word == QLatin1String("quit") || word == QLatin1String("exit")) {
            break;
        }
        if (word == QLatin1String("ring")) {
            const int n = rest.isEmpty() ? 1 : std::max(1, rest.toInt());
            for (int i = 0; i < n; ++i) {
                if (i > 0) {
                    std::this_thread::sleep_for(std::chrono::seconds(6));
                }
                sim.ring();
            }
        } else if (word == QLatin1String("cid")) {
            qlnrec::modemsim::SimCallerId id;
            id.number = rest.section(QLatin1Char(' '), 0, 0).toLatin1();
            id.name = rest.section(QLatin1Char(' '), 1).toLatin1();
            sim.sendCallerId(id);
        } else if (word == QLatin1String("audio")) {
            std::vector<std::int16_t> samples;
            if (!qlnrec::platform::readWaveFileAs8kMono(rest, samples, &error)) {
                std::printf("cannot read %s: %s\n", qPrintable(rest), qPrintable(error));
            } else {
                sim.queueFarEndAudio(samples);
                std::printf("queued %zu samples\n", samples.size());
            }
        } else if (word == QLatin1String("dtmf")) {
            sim.sendDtmf(rest.toLatin1());
        } else if (word == QLatin1String("busy")) {
            sim.sendNotice('b');
        } else if (word == QLatin1String("hangup")) {
            sim.farEndHangsUp();
        } else if (word == QLatin1String("loop")) {
            sim.sendNotice('l');
        } else if (word == QLatin1String("dialtone")) {
            sim.sendNotice('d');
        } else if (word == QLatin1String("silence")) {
            sim.sendNotice('s');
        } else if (word == QLatin1String("dial")) {
            QString outcome = rest.toUpper();
            outcome.remove(QLatin1Char('"'));
            sim.setDialOutcome(outcome.toLatin1(), 3000);
        } else if (word == QLatin1String("unplug")) {
            sim.unplug();
        } else if (word == QLatin1String("plug")) {
            if (!sim.plugIn(&error)) {
                std::printf("cannot plug in: %s\n", qPrintable(error));
            }
        } else if (word == QLatin1String("garbage")) {
            sim.setGarbage(rest == QLatin1String("on"));
        } else if (word == QLatin1String("fault")) {
            const QStringList parts = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            const QString kind = parts.value(0);
            const int amount = parts.value(2).toInt();
            if (parts.size() < 2) {
                std::printf("usage: fault slow|garble|lose PREFIX [N]\n");
            } else if (kind == QLatin1String("slow")) {
                sim.faultOnCommand(parts.at(1).toLatin1(), qlnrec::modemsim::CommandFault::SlowReply, amount);
            } else if (kind == QLatin1String("garble")) {
                sim.faultOnCommand(parts.at(1).toLatin1(), qlnrec::modemsim::CommandFault::GarbledReply);
            } else if (kind == QLatin1String("lose")) {
                sim.faultOnCommand(parts.at(1).toLatin1(), qlnrec::modemsim::CommandFault::LostCommandByte,
                                   amount);
            } else {
                std::printf("unknown fault %s\n", qPrintable(kind));
            }
        } else if (word == QLatin1String("save")) {
            if (!qlnrec::platform::writeWaveFile8kMono(rest, sim.transmitted(), &error)) {
                std::printf("cannot write %s: %s\n", qPrintable(rest), qPrintable(error));
            }
        } else if (word == QLatin1String("status")) {
            std::printf("%s, %s, stream %s, format %s (code %d), terminal %s\n",
                        sim.offHook() ? "off hook" : "on hook", sim.voiceClass() ? "voice mode" : "data mode",
                        qPrintable(sim.streamState()), qlnrec::modemsim::simFormatName(sim.format()),
                        sim.formatCode(), qPrintable(sim.terminalPath()));
            for (const QByteArray& c : sim.commands()) {
                std::printf("  %s\n", c.constData());
            }
        } else {
            std::printf("unknown command %s\n", qPrintable(word));
        }
        std::fflush(stdout);
    }
    return 0;
}

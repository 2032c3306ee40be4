// The main window's player on the computer's real sound output, for the sound-card test:
//   play_recording make <file.wav> <seconds> pcm|truespeech   writes a test recording
//   play_recording decode <file.wav> <out.raw>                 the audio the player plays
//                                                             (16-bit mono, 8 kHz, raw)
//   play_recording play <file.wav>                            plays it to its end
// Exit codes: 0 done, 1 failure, 77 no sound output (the test is skipped).
#include "tests/e2e/player/player_files.h"

#include "core/strings.h"
#include "platform/acm/acm.h"
#include "platform/acm/acm_driver.h"
#include "platform/core/dialog_service.h"
#include "platform/core/qt_event_service.h"
#include "platform/mci/mci_service.h"
#include "platform/mci/qt_media_backend.h"
#include "platform/riff/wave_file.h"
#include "records/recording_player.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

using namespace qlnrec;

namespace {

int make(const QStringList& args)
{
    const auto format = args.value(4) == QLatin1String("truespeech") ? test::PlayerFormat::TrueSpeech
                                                                     : test::PlayerFormat::Pcm;
    if (!test::writePlayerRecording(args.value(2), args.value(3).toDouble(), format)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(args.value(2)));
        return 1;
    }
    return 0;
}

int decode(const QStringList& args, platform::AcmService& acm)
{
    platform::PcmAudio audio;
    if (platform::decodeWave(platform::readWaveFile(args.value(2)), &acm, &audio) != 0) {
        std::fprintf(stderr, "cannot decode %s\n", qPrintable(args.value(2)));
        return 1;
    }
    const platform::PcmAudio mono = platform::convertPcm(audio, 8000, 1);
    QFile out(args.value(3));
    return out.open(QIODevice::WriteOnly) && out.write(mono.samples) == mono.samples.size() ? 0 : 1;
}

int play(QCoreApplication& app, const QString& path, platform::AcmService& acm)
{
    if (!platform::QtMediaBackend::haveOutput()) {
        std::fprintf(stderr, "no sound output\n");
        return 77;
    }
    platform::QtEventService events;
    platform::QtMediaBackend backend;
    platform::MciService mci(events, backend, &acm);
    platform::AutoAnswerDialogService dialogs;
    const core::Strings strings;
    records::RecordingPlayer player(events, mci, dialogs, strings, {});
    if (player.play(path, QFileInfo(path).fileName()) != records::RecordingPlayer::PlayResult::Started) {
        return 1;
    }
    std::fprintf(stderr, "playing %s\n", qPrintable(player.lengthText()));
    // The poll presses Stop at the end of the file.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &app, [&] {
        if (player.idle()) {
            app.quit();
        }
    });
    watch.start(100);
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    platform::AcmDriverRegistry registry;
    platform::registerBuiltInAcmDrivers(registry);
    platform::AcmService acm(registry);
    if (args.value(1) == QLatin1String("make") && args.size() == 5) {
        return make(args);
    }
    if (args.value(1) == QLatin1String("decode") && args.size() == 4) {
        return decode(args, acm);
    }
    if (args.value(1) == QLatin1String("play") && args.size() == 3) {
        return play(app, args.value(2), acm);
    }
    std::fprintf(stderr, "usage: play_recording make|decode|play ...\n");
    return 1;
}

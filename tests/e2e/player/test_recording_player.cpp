// The main window's player over its recordings lists, in virtual time with the null sound card:
// real PCM and TrueSpeech recordings played, paused, sought and run to their end through the
// window's keys; missing and damaged files; Play All; and an unread recording that becomes read
// only once it really plays.
#include "tests/e2e/player/player_files.h"
#include "tests/e2e/program_rig.h"

#include "app/forms/image_label.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

using namespace qlnrec;

namespace {

class PlayerRig : public test::ProgramRig {
public:
    explicit PlayerRig(int languageOffset = core::Strings::kEnglish) : ProgramRig(QStringLiteral("sim:1"))
    {
        strings = core::Strings(languageOffset);
        store(QStringLiteral("Language"), QString::number(languageOffset / 1000));
        recordings = home.path(QStringLiteral("recordings/"));
        QDir().mkpath(recordings);
        configureLines({0});
        store(QStringLiteral("SaveFile"), recordings);
        EXPECT_EQ(start(), app::LoadResult::Loaded);
        lists = program->recordingLists();
    }
    // A finished recording of the given length, listed as the program lists its recordings.
    void add(const QString& name, double seconds, test::PlayerFormat format = test::PlayerFormat::Pcm)
    {
        ASSERT_TRUE(test::writePlayerRecording(recordings + name, seconds, format));
        lists->AddFinishedRecording(name);
    }
    QScrollBar& bar() { return *window()->HScroll1; }
    bool playing() { return !window()->cmdPlay->isEnabled() && window()->cmdPause->isEnabled(); }
    bool idle() { return window()->cmdPlay->isEnabled() && window()->cmdPause->isEnabled(); }

    QString recordings;
    records::RecordingLists* lists = nullptr;
};

// A click on one of the window's picture keys.
void press(app::ImageLabel* key)
{
    emit key->clicked();
}

const QString kPcm = QStringLiteral("A~L 0~2026-03-01~10-00-00~5551234.wav");
const QString kTs = QStringLiteral("A~L 0~2026-03-01~11-00-00~5559876.wav");

} // namespace

TEST(RecordingPlayer, PlaysPausesSeeksAndStopsAtTheEndInBothFormats)
{
    PlayerRig rig;
    rig.add(kPcm, 120.4);
    rig.add(kTs, 10.5, test::PlayerFormat::TrueSpeech);
    ASSERT_EQ(rig.lists->unread(), (QStringList{kPcm, kTs}));

    // TrueSpeech, 10.5 s: the bar rounds the half second to the even second.
    rig.lists->clickUnread(1);
    press(rig.window()->lblPlay);
    EXPECT_TRUE(rig.playing());
    EXPECT_EQ(rig.bar().maximum(), 10);
    EXPECT_EQ(rig.bar().singleStep(), 1);
    EXPECT_EQ(rig.bar().pageStep(), 1);
    const qint64 tsBytes = QFile(rig.recordings + kTs).size();
    EXPECT_EQ(rig.window()->lblFileSize->text(), QStringLiteral("10s   [%1 KBytes]").arg(tsBytes / 1024));
    EXPECT_EQ(rig.program->player().fileName(), kTs);
    EXPECT_EQ(rig.lists->unread(), QStringList{kPcm});
    EXPECT_EQ(rig.lists->recent(), QStringList{kTs});
    rig.run(2000);
    EXPECT_EQ(rig.bar().value(), 2);
    press(rig.window()->lblStop);
    EXPECT_TRUE(rig.idle());
    EXPECT_EQ(rig.bar().value(), 0);

    // PCM, 120.4 s: steps of a hundredth and a tenth of the length.
    rig.lists->clickUnread(0);
    press(rig.window()->lblPlay);
    EXPECT_EQ(rig.bar().maximum(), 120);
    EXPECT_EQ(rig.bar().singleStep(), 1);
    EXPECT_EQ(rig.bar().pageStep(), 12);
    EXPECT_EQ(rig.window()->lblFileSize->text(), QStringLiteral("120s   [1881 KBytes]"));
    EXPECT_TRUE(rig.lists->unread().isEmpty());
    EXPECT_EQ(rig.lists->recent(), (QStringList{kTs, kPcm}));
    rig.run(3000);
    EXPECT_EQ(rig.bar().value(), 3);

    // Pause holds the position; Pause again does nothing; Play goes on without reopening.
    press(rig.window()->lblPause);
    EXPECT_FALSE(rig.window()->cmdPause->isEnabled());
    EXPECT_TRUE(rig.window()->cmdPlay->isEnabled());
    press(rig.window()->lblPause);
    rig.run(4000);
    EXPECT_EQ(rig.bar().value(), 3);
    press(rig.window()->lblPlay);
    EXPECT_TRUE(rig.playing());
    rig.run(2000);
    EXPECT_EQ(rig.bar().value(), 5);

    // The user takes the bar to 100 s: playback pauses, seeks, and goes on a second later.
    auto& player = rig.program->player();
    player.seekBarFocused();
    rig.bar().setValue(100);
    rig.run(900);
    EXPECT_EQ(rig.bar().value(), 100);
    rig.run(1100); // tmPlay ends the seek, then a second of play
    EXPECT_EQ(rig.bar().value(), 101);
    EXPECT_TRUE(rig.playing());

    // The end of the file presses Stop.
    rig.run(19000);
    EXPECT_TRUE(rig.playing());
    rig.run(1000);
    EXPECT_TRUE(rig.idle());
    EXPECT_EQ(rig.bar().value(), 0);
    EXPECT_FALSE(rig.program->mci().isOpen(QStringLiteral("MyMedia")));
    EXPECT_TRUE(rig.dialogs.messages().empty());
}

TEST(RecordingPlayer, ASeekWhilePausedPlaysOnAndStillStopsAtTheEnd)
{
    PlayerRig rig;
    rig.add(kPcm, 6);
    rig.lists->clickUnread(0);
    rig.window()->cmdPlay->click();
    rig.window()->cmdPause->click();
    auto& player = rig.program->player();
    player.seekBarFocused();
    rig.bar().setValue(4);
    rig.run(1000);
    EXPECT_TRUE(rig.playing());
    EXPECT_FALSE(player.paused());
    rig.run(3000);
    EXPECT_TRUE(rig.idle());
}

TEST(RecordingPlayer, AMissingOrDamagedRecordingIsSaidAndStaysUnread)
{
    PlayerRig rig;
    const QString missing = QStringLiteral("A~L 0~2026-03-01~12-00-00~5550001.wav");
    const QString damaged = QStringLiteral("A~L 0~2026-03-01~13-00-00~5550002.wav");
    rig.add(missing, 3);
    rig.add(damaged, 3);
    QFile::remove(rig.recordings + missing);
    {
        QFile file(rig.recordings + damaged);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(8);
        file.write("JUNKJUNKJUNKJUNK"); // "WAVE" and the format chunk's header are gone
    }

    rig.lists->clickUnread(0);
    press(rig.window()->lblPlay);
    ASSERT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_EQ(rig.dialogs.messages()[0].text, QStringLiteral("File not found"));
    EXPECT_EQ(rig.dialogs.messages()[0].title, QStringLiteral("Play wave file"));
    EXPECT_EQ(rig.dialogs.messages()[0].icon, platform::MessageIcon::Critical);
    EXPECT_EQ(rig.window()->lblFileName->text(), missing);

    rig.lists->clickUnread(1);
    press(rig.window()->lblPlay);
    ASSERT_EQ(rig.dialogs.messages().size(), 2u);
    EXPECT_TRUE(rig.dialogs.messages()[1].text.startsWith(QStringLiteral("Cannot play ") + damaged + ": "))
        << rig.dialogs.messages()[1].text.toStdString();
    EXPECT_TRUE(rig.idle());
    EXPECT_EQ(rig.lists->unread(), (QStringList{missing, damaged}));
    EXPECT_TRUE(rig.lists->recent().isEmpty());
    rig.run(5000);
    EXPECT_TRUE(rig.idle());
}

TEST(RecordingPlayer, PlayAllPlaysTheUnreadInOrderAndEndsWhenTheyAreRead)
{
    PlayerRig rig;
    const QStringList names{QStringLiteral("A~L 0~2026-03-01~09-00-00~1.wav"),
                            QStringLiteral("A~L 0~2026-03-01~09-10-00~2.wav"),
                            QStringLiteral("A~L 0~2026-03-01~09-20-00~3.wav")};
    for (const QString& name : names) {
        rig.add(name, 3);
    }
    records::ListPlayer& playAll = *rig.program->listPlayer();
    rig.lists->clickUnread(0);
    rig.lists->playAll();
    rig.run(30000);
    EXPECT_TRUE(rig.lists->unread().isEmpty());
    EXPECT_EQ(rig.lists->recent(), names); // each went to the end of the recent list as it played
    EXPECT_FALSE(playAll.timPlayAll.isEnabled());

    // A first entry that cannot be played is said once and ends Play All.
    rig.add(QStringLiteral("A~L 0~2026-03-01~09-30-00~4.wav"), 3);
    QFile::remove(rig.recordings + QStringLiteral("A~L 0~2026-03-01~09-30-00~4.wav"));
    rig.lists->playAll();
    rig.run(10000);
    EXPECT_EQ(rig.dialogs.messages().size(), 1u);
    EXPECT_FALSE(playAll.timPlayAll.isEnabled());
    EXPECT_EQ(rig.lists->unread().size(), 1);
}

// Pictures of the main window playing a recording, for the documentation. Runs only when
// QLNREC_SCREENSHOT_DIR names a folder (under Xvfb, so real fonts are used):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_e2e_player --gtest_filter='PlayerScreenshot.*'
namespace {
void shoot(int languageOffset, const QString& fileName)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    PlayerRig rig(languageOffset);
    rig.add(QStringLiteral("M~L 1~2026-02-27~16-42-10~5550199 Bob Lee.wav"), 187.2);
    rig.add(kTs, 10.5, test::PlayerFormat::TrueSpeech);
    rig.add(kPcm, 31);
    rig.lists->clickRecent(0);
    press(rig.window()->lblPlay);
    rig.run(62000);
    rig.window()->show();
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
    }
    QDir().mkpath(folder);
    const QString path = QDir(folder).filePath(fileName);
    ASSERT_TRUE(rig.window()->grab().save(path, "PNG")) << path.toStdString();
    rig.window()->hide();
}
} // namespace

TEST(PlayerScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("player-en.png"));
}

TEST(PlayerScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("player-zh.png"));
}

// The greeting recorders: a take from the default capture device (line slot 3 of the capture
// engine) and from the sound card's media-control recorder becomes a valid prompt file; a short
// take, a Stop without a take, or a busy line 3 leaves the previous file as it was; a taken file
// is converted to the prompt's format.
#include "platform/mci/null_media_backend.h"
#include "tests/e2e/prompts/prompt_rig.h"
#include "ui/audio/prompt_recorder_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace qlnrec::test {
namespace {

using platform::readWaveFile;

// The file is a 16-bit mono PCM WAVE of `rate` whose 44-byte header matches its length.
void expectPromptFile(const QString& path, std::uint32_t rate, int minBytes, int maxBytes)
{
    const QByteArray bytes = fileBytes(path);
    const platform::WaveFileData wave = readWaveFile(path);
    ASSERT_TRUE(wave.ok()) << path.toStdString();
    EXPECT_EQ(bytes.left(44),
              platform::pcmWaveHeader(rate, 1, 16, static_cast<std::uint32_t>(bytes.size() - 44)));
    EXPECT_GE(wave.data.size(), minBytes);
    EXPECT_LE(wave.data.size(), maxBytes);
    const std::vector<std::int16_t> samples = int16Samples(wave.data);
    const auto peak = *std::max_element(samples.begin(), samples.end());
    EXPECT_GT(peak, 5000) << "the tone was recorded";
}

TEST(GreetingRecorder, RecordsTheDefaultInputAsAPromptAndNeverLosesThePreviousGreeting)
{
    PromptRig rig;
    rig.configureLines({});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    const QString target = rig.path(QStringLiteral("Greeting.wav"));
    audio::LineGreetingRecorder model(rig.recorderServices(), rig.program->recorder().engine(),
                                      rig.lines().state(), rig.home.programFolder(),
                                      QStringLiteral("Greeting.wav"));
    const QByteArray shipped = fileBytes(target);
    ASSERT_FALSE(shipped.isEmpty());

    // Stop without a take writes nothing.
    model.stop();
    rig.run(2000);
    EXPECT_EQ(fileBytes(target), shipped);

    // Three seconds from the default device.
    model.record();
    EXPECT_TRUE(model.recording());
    EXPECT_FALSE(model.recordEnabled());
    EXPECT_FALSE(model.playEnabled());
    rig.run(3000);
    model.stop();
    EXPECT_TRUE(model.recordEnabled());
    rig.run(1500);
    expectPromptFile(target, 8000, 47000, 49000);
    EXPECT_FALSE(QFile::exists(target + QStringLiteral(".new")));

    // A take of a tenth of a second is refused; the greeting just made stays.
    const QByteArray good = fileBytes(target);
    model.record();
    rig.run(100);
    model.stop();
    rig.run(1500);
    EXPECT_EQ(fileBytes(target), good);
    EXPECT_TRUE(model.notice().contains(QStringLiteral("too short"))) << model.notice().toStdString();

    // A call on line 3 keeps its slot.
    rig.slot(3).hCall = 77;
    model.record();
    EXPECT_FALSE(model.recording());
    EXPECT_TRUE(model.notice().contains(QStringLiteral("busy")));
    rig.slot(3).hCall = 0;

    // A file taken instead: 16 kHz stereo becomes 8 kHz mono; a file that is no WAVE changes
    // nothing.
    const QString stereo = rig.path(QStringLiteral("stereo.wav"));
    QByteArray frames;
    for (int i = 0; i < 16000; ++i) {
        const auto v = static_cast<std::int16_t>(6000 * std::sin(2 * M_PI * 440 * i / 16000.0));
        frames.append(reinterpret_cast<const char*>(&v), 2).append(reinterpret_cast<const char*>(&v), 2);
    }
    writeBytes(stereo,
               platform::pcmWaveHeader(16000, 2, 16, static_cast<std::uint32_t>(frames.size())) + frames);
    model.useFile(stereo);
    expectPromptFile(target, 8000, 15990, 16010);
    const QByteArray taken = fileBytes(target);
    writeBytes(rig.path(QStringLiteral("text.wav")), "not a wave file");
    model.useFile(rig.path(QStringLiteral("text.wav")));
    EXPECT_EQ(fileBytes(target), taken);
    EXPECT_FALSE(model.notice().isEmpty());
}

TEST(SoundCardPromptRecorder, RecordsAMenuPromptAt11025HzAndAShortTakeKeepsThePreviousFile)
{
    PromptRig rig;
    rig.configureLines({});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    static_cast<platform::NullMediaBackend&>(*rig.media)
        .setCaptureGenerator([](std::uint64_t n, std::uint16_t) {
            return static_cast<std::int16_t>(6000 * std::sin(2 * M_PI * 440 * double(n) / 11025));
        });
    const QString target = rig.path(QStringLiteral("02.wav"));
    audio::SoundCardPromptRecorder model(rig.recorderServices(), rig.home.programFolder(),
                                         QStringLiteral("02.wav"));
    model.record();
    rig.run(2000);
    model.stop();
    expectPromptFile(target, 11025, 43000, 45000);

    const QByteArray good = fileBytes(target);
    model.record();
    model.stop();
    EXPECT_EQ(fileBytes(target), good);
    EXPECT_TRUE(model.notice().contains(QStringLiteral("too short")));

    // Play of a missing file says so.
    QFile::remove(target);
    model.play();
    EXPECT_TRUE(rig.messageTexts().contains(QStringLiteral("File not found")));
}

TEST(PromptRecorders, OpenFromTheSetupDialogsButtonsOnTheirPromptFiles)
{
    PromptRig rig;
    rig.configureLines({});
    ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
    QStringList files;
    auto note = [&](QDialog& dialog) {
        files.append(
            dialog.objectName() + QLatin1Char(' ') +
            dialog.findChild<QLabel*>(QStringLiteral("lblFile"))->text().section(QLatin1Char('/'), -1));
        dialog.reject();
    };
    rig.modal.script(QStringLiteral("frmGreeting"), note);
    rig.modal.script(QStringLiteral("frmGreeting"), note);
    rig.modal.script(QStringLiteral("frmGreeting1"), note);
    app::frmSetup& setup = rig.program->setup().form();
    for (const char* button : {"Command1", "cmdRecLegal", "Command4"}) {
        QPushButton* b = setup.findChild<QPushButton*>(QLatin1String(button));
        ASSERT_NE(b, nullptr) << button;
        ASSERT_TRUE(b->isEnabled()) << button;
        b->click();
    }
    EXPECT_EQ(files,
              (QStringList{QStringLiteral("frmGreeting Greeting.wav"),
                           QStringLiteral("frmGreeting legal.wav"), QStringLiteral("frmGreeting1 03.wav")}));
}

// Pictures of the two recorders for the documentation. Runs only when QLNREC_SCREENSHOT_DIR names
// a folder (under Xvfb, for real fonts):
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_e2e_prompts --gtest_filter='PromptRecorderScreenshot.*'
void shoot(int languageOffset, const QString& suffix)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    PromptRig rig;
    rig.strings = core::Strings(languageOffset);
    const QString programFolder = QStringLiteral("/home/user/.local/share/qlnrec");
    audio::LineGreetingRecorder greeting(rig.recorderServices(), rig.program->recorder().engine(),
                                         rig.lines().state(), programFolder, QStringLiteral("Greeting.wav"));
    audio::SoundCardPromptRecorder menu(rig.recorderServices(), programFolder, QStringLiteral("01.wav"));
    ui::frmGreeting line(greeting, rig.strings, rig.dialogs);
    ui::frmGreeting1 card(menu, rig.strings, rig.dialogs);
    QDir().mkpath(folder);
    for (QDialog* dialog : {static_cast<QDialog*>(&line), static_cast<QDialog*>(&card)}) {
        dialog->show();
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
        }
        const QString path =
            QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(dialog->objectName().toLower(), suffix));
        EXPECT_TRUE(dialog->grab().save(path, "PNG")) << path.toStdString();
        dialog->hide();
    }
}

TEST(PromptRecorderScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("en"));
}

TEST(PromptRecorderScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("zh"));
}

} // namespace
} // namespace qlnrec::test

// The wave file browser as the main window's Search key opens it, over the whole program in
// virtual time with the null sound card: real PCM and TrueSpeech files listed, searched, played,
// deleted while playing, a vanished or damaged file refused, and the media alias handed back to
// the main window's player when the window closes. Screenshots:
//   QLNREC_SCREENSHOT_DIR=docs/screenshots QT_QPA_PLATFORM=xcb xvfb-run -a
//       build/<dir>/bin/test_ui_wave_browser --gtest_filter='WaveBrowserScreenshot.*'
#include "tests/e2e/player/player_files.h"
#include "tests/e2e/program_rig.h"
#include "ui/records/frm_brows.h"

#include "ui_frm_brows.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>

#include <gtest/gtest.h>

using namespace qlnrec;
using records::WaveBrowser;

namespace {

const QString kPcm = QStringLiteral("M~L 0~2026-03-02~09-15-00~5551234 Ann.wav");
const QString kTs = QStringLiteral("A~L 0~2026-03-02~08-00-00~5559876.WAV");

// The program started on a recordings folder holding a PCM and a TrueSpeech recording, a text
// file and a subfolder.
class BrowserRig : public test::ProgramRig {
public:
    explicit BrowserRig(int languageOffset = core::Strings::kEnglish) : ProgramRig(QStringLiteral("sim:1"))
    {
        strings = core::Strings(languageOffset);
        store(QStringLiteral("Language"), QString::number(languageOffset / 1000));
        recordings = home.path(QStringLiteral("recordings/"));
        QDir().mkpath(recordings + QStringLiteral("old"));
        EXPECT_TRUE(test::writePlayerRecording(recordings + kPcm, 12.4, test::PlayerFormat::Pcm));
        EXPECT_TRUE(test::writePlayerRecording(recordings + kTs, 10.5, test::PlayerFormat::TrueSpeech));
        test::writeFile(recordings + QStringLiteral("notes Ann.txt"), "call back\r\n");
        configureLines({0});
        store(QStringLiteral("SaveFile"), recordings);
        EXPECT_EQ(start(), app::LoadResult::Loaded);
    }

    // Presses the main window's Search key; use runs while the browser is open, then the window
    // is closed with its close box.
    void browse(const std::function<void(records::frmBrows&)>& use)
    {
        modal.script(QStringLiteral("frmBrows"),
                     [&use](QDialog& dialog) { use(dynamic_cast<records::frmBrows&>(dialog)); });
        window()->cmdBrows->click();
    }

    QString recordings;
};

QStringList files(records::frmBrows& form)
{
    QStringList names;
    for (int i = 0; i < form.ui().File1->count(); ++i) {
        names << form.ui().File1->item(i)->text();
    }
    return names;
}

void doubleClick(records::frmBrows& form, const QString& name)
{
    const auto found = form.ui().File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    form.File1_DblClick(found.front());
}

void select(records::frmBrows& form, const QString& name)
{
    const auto found = form.ui().File1->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    form.ui().File1->setCurrentItem(found.front());
}

QString kbytes(const QString& path)
{
    return QString::number(QFile(path).size() / 1024);
}

bool playing(records::frmBrows& form)
{
    return !form.ui().cmdPlay->isEnabled() && form.ui().cmdPause->isEnabled();
}

} // namespace

TEST(WaveBrowser, PlaysBothFormatsAndClosingHandsTheAliasBackToTheMainPlayer)
{
    BrowserRig rig;
    auto& lists = *rig.program->recordingLists();
    lists.AddFinishedRecording(kPcm);
    lists.clickUnread(0);
    rig.window()->cmdPlay->click();
    ASSERT_FALSE(rig.program->player().idle());

    rig.browse([&](records::frmBrows& form) {
        // The main window's player let go of the alias before this one took it.
        EXPECT_TRUE(rig.program->player().idle());
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Browse Wave File"));
        EXPECT_EQ(form.ui().Label1->text(), QStringLiteral("Name:"));
        EXPECT_EQ(form.ui().Label2->text(), QStringLiteral("Length:"));
        EXPECT_EQ(form.ui().Command1->text(), QStringLiteral("Browse With Explorer"));
        EXPECT_EQ(form.browser().folder(), QDir::cleanPath(rig.recordings));
        EXPECT_FALSE(form.ui().Drive1->currentText().isEmpty());
        // Wave files of either letter case, by name; the text file and the subfolder are not.
        EXPECT_EQ(files(form), (QStringList{kTs, kPcm}));

        doubleClick(form, kPcm);
        EXPECT_TRUE(playing(form));
        EXPECT_EQ(form.ui().lblFileName->text(), kPcm);
        EXPECT_EQ(form.ui().lblFileSize->text(), "12s  [" + kbytes(rig.recordings + kPcm) + " KBytes]");
        EXPECT_EQ(form.ui().HScroll1->maximum(), 12);
        EXPECT_EQ(form.ui().HScroll1->pageStep(), 1);
        rig.run(3000);
        EXPECT_EQ(form.ui().HScroll1->value(), 3);
        form.ui().cmdPause->click();
        rig.run(2000);
        EXPECT_EQ(form.ui().HScroll1->value(), 3);

        // Another file while one is paused: Play resumes, a double click plays the new one.
        form.ui().cmdPlay->click();
        EXPECT_TRUE(playing(form));
        doubleClick(form, kTs);
        EXPECT_EQ(form.ui().lblFileName->text(), kTs);
        EXPECT_EQ(form.ui().lblFileSize->text(), "10s  [" + kbytes(rig.recordings + kTs) + " KBytes]");
        EXPECT_EQ(form.ui().HScroll1->maximum(), 10);
        rig.run(11000);
        EXPECT_FALSE(playing(form)); // the end of the file pressed Stop
        EXPECT_EQ(form.ui().HScroll1->value(), 0);

        select(form, kPcm);
        form.ui().mmuPlay->trigger();
        EXPECT_TRUE(playing(form));

        form.ui().Command1->click();
        ASSERT_FALSE(rig.shell.requests().empty());
        EXPECT_EQ(rig.shell.requests().back().kind, QStringLiteral("explore"));
        EXPECT_EQ(rig.shell.requests().back().target, form.browser().folder());
    });
    EXPECT_FALSE(rig.program->mci().isOpen(QStringLiteral("MyMedia")));
    EXPECT_TRUE(rig.dialogs.messages().empty());

    // The main window plays again, and is not disturbed by a poll of the closed browser.
    rig.window()->cmdPlay->click();
    rig.run(2000);
    EXPECT_FALSE(rig.program->player().idle());
    EXPECT_EQ(rig.window()->HScroll1->value(), 2);
}

TEST(WaveBrowser, SearchListsFilesOfAnyTypeHoldingTheTextAndAnEmptyTextListsEveryFile)
{
    EXPECT_EQ(WaveBrowser::searchPattern(QStringLiteral("  ann ")), QStringLiteral("*ann*"));
    EXPECT_EQ(WaveBrowser::searchPattern(QStringLiteral("   ")), QStringLiteral("**"));
    // Only * and ? are wildcards: brackets are matched as typed.
    EXPECT_TRUE(WaveBrowser::matchesPattern(QStringLiteral("call [1].wav"), QStringLiteral("*[1]*")));
    EXPECT_FALSE(WaveBrowser::matchesPattern(QStringLiteral("call 1.wav"), QStringLiteral("*[1]*")));
    EXPECT_TRUE(WaveBrowser::matchesPattern(QStringLiteral("a.b"), QStringLiteral("?.?")));
    // A file in a drive root gets one separator.
    EXPECT_EQ(WaveBrowser::joinPath(QStringLiteral("/"), QStringLiteral("x.wav")), QStringLiteral("/x.wav"));
    EXPECT_EQ(WaveBrowser::joinPath(QStringLiteral("/mnt/usb"), QStringLiteral("x.wav")),
              QStringLiteral("/mnt/usb/x.wav"));

    BrowserRig rig;
    // A recordings folder that is gone starts the browser in its nearest parent.
    EXPECT_EQ(
        WaveBrowser::startFolderFor(rig.recordings + QStringLiteral("gone/deeper/"), QStringLiteral("/x")),
        QDir::cleanPath(rig.recordings));
    EXPECT_EQ(WaveBrowser::startFolderFor(QString(), rig.home.programFolder()), rig.home.programFolder());

    rig.browse([&](records::frmBrows& form) {
        form.ui().Text1->setText(QStringLiteral(" ann "));
        form.ui().Command2->click();
        EXPECT_EQ(form.browser().pattern(), QStringLiteral("*ann*"));
        EXPECT_EQ(files(form), (QStringList{kPcm, QStringLiteral("notes Ann.txt")}));
        form.ui().Text1->clear();
        form.ui().Command2->click();
        EXPECT_EQ(form.browser().pattern(), QStringLiteral("**"));
        EXPECT_EQ(files(form), (QStringList{kTs, kPcm, QStringLiteral("notes Ann.txt")}));

        // Into the subfolder and back up through the folder list; the pattern stays.
        const auto old = form.ui().Dir1->findItems(QStringLiteral("old"), Qt::MatchEndsWith);
        ASSERT_EQ(old.size(), 1);
        form.Dir1_Change(old.front());
        EXPECT_EQ(form.browser().folder(), rig.recordings + QStringLiteral("old"));
        EXPECT_TRUE(files(form).isEmpty());
        form.Dir1_Change(form.ui().Dir1->item(form.ui().Dir1->currentRow() - 1));
        EXPECT_EQ(files(form).size(), 3);

        // Choosing the root drive goes to the root folder.
        const int root = form.ui().Drive1->findText(QStringLiteral("/"));
        ASSERT_GE(root, 0);
        form.Drive1_Change(root);
        EXPECT_EQ(form.browser().folder(), QStringLiteral("/"));
        EXPECT_EQ(form.ui().Drive1->currentText(), QStringLiteral("/"));
    });
}

TEST(WaveBrowser, DeletesThePlayingFileAndSaysWhatCannotBeDeletedOrPlayed)
{
    BrowserRig rig;
    const QString damaged = QStringLiteral("damaged.wav");
    const QString vanished = QStringLiteral("vanished.wav");
    ASSERT_TRUE(test::writePlayerRecording(rig.recordings + damaged, 3, test::PlayerFormat::Pcm));
    ASSERT_TRUE(test::writePlayerRecording(rig.recordings + vanished, 3, test::PlayerFormat::Pcm));
    {
        QFile file(rig.recordings + damaged);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.seek(8);
        file.write("JUNKJUNKJUNKJUNK"); // "WAVE" and the format chunk's header are gone
    }

    rig.browse([&](records::frmBrows& form) {
        doubleClick(form, kPcm);
        rig.run(1000);
        ASSERT_TRUE(playing(form));
        form.ui().mmuDelete->trigger();
        EXPECT_FALSE(QFile::exists(rig.recordings + kPcm));
        EXPECT_FALSE(playing(form));
        EXPECT_FALSE(rig.program->mci().isOpen(QStringLiteral("MyMedia")));
        EXPECT_FALSE(files(form).contains(kPcm));
        EXPECT_TRUE(rig.dialogs.messages().empty());

        // A file that vanished after it was listed: neither played nor deleted, and said.
        QFile::remove(rig.recordings + vanished);
        doubleClick(form, vanished);
        ASSERT_EQ(rig.dialogs.messages().size(), 1u);
        EXPECT_TRUE(rig.dialogs.messages()[0].text.startsWith("Cannot play " + vanished + ": "));
        EXPECT_EQ(rig.dialogs.messages()[0].title, QStringLiteral("Play wave file"));
        form.ui().mmuDelete->trigger();
        ASSERT_EQ(rig.dialogs.messages().size(), 2u);
        EXPECT_TRUE(rig.dialogs.messages()[1].text.startsWith("Cannot delete " + vanished + ": "))
            << rig.dialogs.messages()[1].text.toStdString();
        EXPECT_EQ(rig.dialogs.messages()[1].title, QStringLiteral("Browse Wave File"));
        EXPECT_FALSE(files(form).contains(vanished)); // the list was refreshed all the same

        doubleClick(form, damaged);
        ASSERT_EQ(rig.dialogs.messages().size(), 3u);
        EXPECT_TRUE(rig.dialogs.messages()[2].text.startsWith("Cannot play " + damaged + ": "));
        rig.run(2000);
        EXPECT_FALSE(playing(form));
        EXPECT_TRUE(form.ui().cmdPlay->isEnabled());

        // Nothing selected: Play and Delete do nothing.
        form.ui().File1->clearSelection();
        form.ui().mmuPlay->trigger();
        form.ui().mmuDelete->trigger();
        EXPECT_EQ(rig.dialogs.messages().size(), 3u);
        EXPECT_EQ(files(form), (QStringList{kTs, damaged}));
    });
}

// Pictures of the browser playing a recording, for the documentation; only when
// QLNREC_SCREENSHOT_DIR names a folder.
namespace {
void shoot(int languageOffset, const QString& fileName)
{
    const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR");
    if (folder.isEmpty()) {
        GTEST_SKIP() << "QLNREC_SCREENSHOT_DIR is not set";
    }
    BrowserRig rig(languageOffset);
    rig.browse([&](records::frmBrows& form) {
        doubleClick(form, kPcm);
        rig.run(4000);
        form.show();
        for (int i = 0; i < 10; ++i) {
            QApplication::processEvents();
        }
        QDir().mkpath(folder);
        const QString path = QDir(folder).filePath(fileName);
        EXPECT_TRUE(form.grab().save(path, "PNG")) << path.toStdString();
        form.hide();
    });
}
} // namespace

TEST(WaveBrowserScreenshot, English)
{
    shoot(core::Strings::kEnglish, QStringLiteral("frmbrows-en.png"));
}

TEST(WaveBrowserScreenshot, SimplifiedChinese)
{
    shoot(core::Strings::kSimplifiedChinese, QStringLiteral("frmbrows-zh.png"));
}

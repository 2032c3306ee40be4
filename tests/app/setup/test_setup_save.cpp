// Saving from the setup dialog window: every control reaches the saved settings, a refused
// folder keeps the dialog open on it, Exit saves nothing, and a save from the running program
// ends it. The save's own rules are tested on the model (test_setup_model.cpp).
#include "tests/app/setup/full_save_journal.h"
#include "tests/e2e/program_rig.h"

#include "app/forms/frm_main.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

using app::SetupOutcome;

class SetupSave : public ::testing::Test {
protected:
    app::frmSetup& loaded()
    {
        app::frmSetup& f = h.loadSetup();
        h.takeJournal();
        return f;
    }
    QString folder(const QString& relative) const { return h.home.root() + QLatin1Char('/') + relative; }
    ProgramRig h{QStringLiteral("sim:2")};
};

TEST_F(SetupSave, SavesEverySettingInItsOrderWithItsJournalLine)
{
    app::frmSetup& f = loaded();
    f.Check1[0]->setChecked(true);
    f.txtSaveFile->setText(folder(QStringLiteral("calls")));
    f.txtRings->setText(QStringLiteral("4"));
    f.Option1[1]->setChecked(true);
    f.Option2[1]->setChecked(true);
    f.ChkPopCallId->setChecked(true);
    f.chkStartUp->setChecked(true);
    f.chkSilence->setChecked(true);
    f.txtSilenceLevel->setText(QStringLiteral("250"));
    f.txtSilenceSecond->setText(QStringLiteral("7"));
    f.chkFBS->setChecked(true);
    f.comCountry->setCurrentIndex(2);
    f.chkUnknown->setChecked(true);
    f.cmdSave->click();

    const QString calls = folder(QStringLiteral("calls/"));
    EXPECT_EQ(h.takeJournal(), fullSaveJournal(calls));
    EXPECT_EQ(h.setting(QStringLiteral("Config"), QStringLiteral("SaveFile")), calls);
    EXPECT_TRUE(QFileInfo(calls).isDir());
    ASSERT_EQ(h.shell.requests().size(), 1u);
    EXPECT_EQ(h.shell.requests()[0].kind, QStringLiteral("autostart"));
    EXPECT_EQ(h.shell.requests()[0].arguments, QStringList{QStringLiteral("on")});
    ASSERT_EQ(h.dialogs.messages().size(), 1u);
    EXPECT_EQ(h.dialogs.messages()[0].text, h.strings.loadText(1081));
    EXPECT_EQ(h.dialogs.messages()[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(f.outcome(), SetupOutcome::Saved);
}

TEST_F(SetupSave, AnEmptyFolderAsksForOneAndKeepsOnlyTheLines)
{
    app::frmSetup& f = loaded();
    f.Check1[0]->setChecked(true);
    f.txtSaveFile->clear();
    f.cmdSave_Click();
    EXPECT_EQ(h.messageTexts(), QStringList{QStringLiteral("Please select the path of your wave files")});
    EXPECT_EQ(h.dialogs.messages()[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(h.takeJournal(),
              (QStringList{QStringLiteral("Config@Line0@1"), QStringLiteral("Config@Line1@0"),
                           QStringLiteral("Config@Line2@0"), QStringLiteral("Config@Line3@0")}));
    EXPECT_EQ(f.outcome(), SetupOutcome::Exited);
}

TEST_F(SetupSave, ExitSavesNothing)
{
    app::frmSetup& f = loaded();
    f.Check1[0]->setChecked(true);
    f.txtRings->setText(QStringLiteral("2"));
    f.chkFBS->setChecked(true);
    f.cmdExit->click();
    EXPECT_TRUE(h.takeJournal().isEmpty());
    EXPECT_EQ(h.setting(QStringLiteral("Config"), QStringLiteral("Rings")), QString());
    EXPECT_TRUE(h.dialogs.messages().empty());
    EXPECT_EQ(f.outcome(), SetupOutcome::Exited);
}

// The setup button of a running program's main window.
class SetupFromMainWindow : public ::testing::Test {
protected:
    SetupFromMainWindow()
    {
        h.configureLines({});
        EXPECT_EQ(h.start(), app::LoadResult::Loaded);
        h.takeJournal();
    }
    ProgramRig h{QStringLiteral("sim:2")};
};

TEST_F(SetupFromMainWindow, SavingEndsTheProgramAfterTheConfirmation)
{
    h.modal.script(QStringLiteral("frmSetup"), [this](QDialog& dialog) {
        auto& setup = static_cast<app::frmSetup&>(dialog);
        EXPECT_EQ(setup.parentWidget(), h.window());
        setup.Check1[0]->setChecked(true);
        setup.cmdSave->click();
    });
    h.window()->cmdParam->click();
    EXPECT_EQ(h.messageTexts(), QStringList{h.strings.loadText(1081)});
    EXPECT_TRUE(h.lifecycle.shuttingDown);
    EXPECT_EQ(h.programEnds, 1);
    EXPECT_EQ(h.setting(QStringLiteral("Config"), QStringLiteral("Line0")), QStringLiteral("1"));
}

TEST_F(SetupFromMainWindow, ExitReturnsToTheRunningProgramAndTheFieldsReloadFromTheStore)
{
    h.modal.script(QStringLiteral("frmSetup"), [](QDialog& dialog) {
        auto& setup = static_cast<app::frmSetup&>(dialog);
        setup.txtRings->setText(QStringLiteral("1"));
        setup.cmdExit->click();
    });
    h.window()->cmdParam->click();
    EXPECT_FALSE(h.lifecycle.shuttingDown);
    EXPECT_EQ(h.programEnds, 0);
    EXPECT_EQ(h.program->setup().ringsText(), QStringLiteral("8"));
}

} // namespace
} // namespace qlnrec::test

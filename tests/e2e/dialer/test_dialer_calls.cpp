// Outgoing calls as the user places them from the dial window, over simulated lines in virtual
// time: a number taken from the phone book is dialled with its prefix, the called party's phone
// rings, they answer and speak, and the call is recorded as "O" from their voice on (after the
// legal notice when that is ticked), named by the number and the first word of the name. Busy,
// no answer and a drop while dialling leave no file and free the window and the line; the
// records window dials a number picked from the calls made and received.
#include "tests/e2e/dialer/dialer_steps.h"
#include "tests/e2e/recording/recording_rig.h"

#include "core/settings_table.h"
#include "ui/phonebook/frm_dial_out.h"
#include "ui/phonebook/frm_dial_records.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace qlnrec;
using test::loadDialer;
using test::RecordingRig;

namespace {

constexpr int kRate = 8000;

class DialledCall : public ::testing::TestWithParam<bool> {};

TEST_P(DialledCall, IsRecordedAsOFromTheAnswerNamedByTheNumberAndTheFirstWordOfTheName)
{
    const bool legal = GetParam();
    const QString speechFile = test::MadeAudio::speech(8);
    if (speechFile.isEmpty()) {
        GTEST_SKIP() << "espeak-ng or sox is not installed";
    }
    RecordingRig rig;
    rig.store("Legal", legal ? "1" : "0");
    const auto notice = legal ? test::writeTonePrompt(rig, "legal.wav", 660, 2) : std::vector<std::int16_t>{};
    rig.openLines({0});
    phonebook::Dialer& dialer = loadDialer(rig, {{"DOE JANE", "5550000"}, {"SMITH JOHN", "*72"}});
    // The prefix is typed with blanks around it; the number is the phone book's.
    dialer.setPrefixChecked(true);
    dialer.setPrefix(" 9, ");
    dialer.select(1);
    dialer.selectEntry();
    ASSERT_TRUE(dialer.dial());
    EXPECT_TRUE(dialer.calling());
    rig.run(500);
    ASSERT_EQ(rig.sim(0).dialled(), std::vector<QByteArray>{"9,*72"});
    EXPECT_EQ(rig.setting("Config", "DialPrefix"), "9,");
    EXPECT_EQ(rig.setting("Line0", "Calls"), "32666");

    // Nothing is recorded while the phone rings; the answer starts the wait for a voice.
    rig.sim(0).farEndRingback();
    rig.run(6000);
    EXPECT_EQ(rig.slot(0).recordState, telephony::kRecordIdle);
    rig.sim(0).farEndAnswer();
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kAwaitingReply; }, 5000));
    EXPECT_TRUE(rig.statusTexts().contains("Line0 waiting for reply"));
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 15000));
    EXPECT_EQ(test::heardWhole(rig.sim(0).playedSamples(1), notice), legal);
    rig.run(9000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    // The watch sees the recording end and gives the window back.
    ASSERT_TRUE(rig.runUntil([&] { return !dialer.calling(); }, 5000));

    ASSERT_EQ(rig.lists->recent().size(), 1);
    const QString name = rig.lists->recent().first();
    EXPECT_TRUE(
        QRegularExpression(R"(^O~L 0\d{4}-\d\d-\d\d~\d\d-\d\d-\d\d~@72SMITH\.wav$)").match(name).hasMatch())
        << name.toStdString();
    // The called party's words are in the file; the ringing before them is not.
    const auto recorded = test::pcmFileSamples(rig.recordingPath(name));
    const auto speech = test::MadeAudio::samples(speechFile);
    const std::vector<std::int16_t> late(speech.begin() + 6 * kRate, speech.end());
    EXPECT_GE(test::findSamples(recorded, late), 0);
    EXPECT_LT(recorded.size(), speech.size() + 4 * kRate);
    EXPECT_EQ(rig.program->dialRecords().numbers(core::ListSection::Made), QStringList{"*72"});
}

INSTANTIATE_TEST_SUITE_P(LegalNotice, DialledCall, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Ticked" : "Clear"; });

TEST(Dialer, AQuickDialFromTheTrayJoinsTheCallInProgressDialsNothingAndRecordsTheOtherParty)
{
    const QString speechFile = test::MadeAudio::speech(6);
    if (speechFile.isEmpty()) {
        GTEST_SKIP() << "espeak-ng or sox is not installed";
    }
    RecordingRig rig;
    rig.openLines({0});
    phonebook::Dialer& dialer = loadDialer(rig);
    // A ticked prefix is not dialled in front of a call that is already dialled.
    dialer.setPrefixChecked(true);
    dialer.setPrefix("9,");
    rig.program->quickDial(nullptr);
    EXPECT_TRUE(dialer.calling());
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kAwaitingReply; }, 5000));
    EXPECT_TRUE(rig.sim(0).offHook());
    EXPECT_TRUE(rig.sim(0).dialled().empty());
    ASSERT_TRUE(rig.sim(0).playFarEndWav(speechFile));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 15000));
    rig.run(7000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    ASSERT_EQ(rig.lists->recent().size(), 1);
    const QString name = rig.lists->recent().first();
    EXPECT_TRUE(QRegularExpression(R"(^O~L 0\d{4}-\d\d-\d\d~\d\d-\d\d-\d\d~O\.wav$)").match(name).hasMatch())
        << name.toStdString();
    const auto speech = test::MadeAudio::samples(speechFile);
    const std::vector<std::int16_t> late(speech.begin() + 4 * kRate, speech.end());
    EXPECT_GE(test::findSamples(test::pcmFileSamples(rig.recordingPath(name)), late), 0);
}

TEST(Dialer, BusyAndNoAnswerLeaveNoFileFreeTheWindowAndTheNextCallIsNotTakenForAnOutgoingOne)
{
    RecordingRig rig;
    rig.openLines({0});
    phonebook::Dialer& dialer = loadDialer(rig);
    for (const bool busy : {true, false}) {
        dialer.setNumber("5551234");
        ASSERT_TRUE(dialer.dial());
        rig.run(1000);
        rig.sim(0).farEndRingback();
        rig.run(3000);
        if (busy) {
            rig.sim(0).farEndBusy();
        } else {
            rig.sim(0).farEndNoAnswer();
        }
        ASSERT_TRUE(rig.runUntil([&] { return !dialer.calling(); }, 10000)) << busy;
        EXPECT_FALSE(rig.sim(0).offHook());
        EXPECT_EQ(rig.slot(0).dialOutPending, 0);
    }
    EXPECT_EQ(rig.statusCount("Line0 Disconnected"), 2);
    EXPECT_FALSE(rig.statusTexts().contains("Line0 waiting for reply"));
    EXPECT_TRUE(rig.lists->recent().isEmpty());
    // A call picked up on the telephone set next is the monitored call it is.
    ASSERT_TRUE(rig.monitoredCall(0));
    EXPECT_EQ(rig.slot(0).callKind, "M");
}

TEST(Dialer, ADropWhileDiallingHangsUpExitWaitsForItAndAQuickDialsDropClosesTheWindow)
{
    RecordingRig rig;
    rig.openLines({0});
    phonebook::Dialer& dialer = loadDialer(rig, {{"SMITH JOHN", "5551234"}});
    ui::frmDialOut& window = rig.program->loadDialWindow();
    window.show();
    window.txtDialOut->setText("5550000");
    dialer.setNumber(window.txtDialOut->text());
    window.cmdDial->click();
    rig.run(1000);
    EXPECT_TRUE(rig.sim(0).offHook());
    EXPECT_FALSE(window.cmdExit->isEnabled());
    EXPECT_TRUE(window.cmdDrop->isEnabled());
    // The close box is the Exit button: refused while the call is up.
    window.close();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(rig.messageTexts(), QStringList{"Please Drop The Call First"});

    rig.sim(0).farEndRingback();
    rig.run(2000);
    window.cmdDrop->click();
    EXPECT_TRUE(rig.statusTexts().contains("@End of Recording"));
    ASSERT_TRUE(rig.runUntil([&] { return !rig.sim(0).offHook(); }, 5000));
    EXPECT_TRUE(window.cmdDial->isEnabled());
    EXPECT_TRUE(window.isVisible());
    rig.run(5000);
    EXPECT_TRUE(rig.lists->recent().isEmpty());
    EXPECT_EQ(rig.slot(0).dialOutPending, 0);

    // Dial Next with the last entry selected dials nothing.
    window.chkNext->setChecked(true);
    dialer.select(0);
    window.cmdDial->click();
    EXPECT_EQ(rig.messageTexts().last(), "End of PhoneBook");
    EXPECT_EQ(rig.sim(0).dialled().size(), 1u);
    window.chkNext->setChecked(false);

    // A quick dial's call closes the window when it is dropped.
    dialer.setQuickDialClose(true);
    dialer.setNumber("5551234");
    window.cmdDial->click();
    rig.run(1000);
    window.cmdDrop->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(rig.sim(0).dialled().size(), 2u);
}

TEST(Dialer, TheRecordsWindowListsCallsOldestFirstAndDialsThePickedNumber)
{
    RecordingRig rig;
    rig.openLines({0});
    phonebook::DialRecords& records = rig.program->dialRecords();
    for (int i = 1; i <= 11; ++i) {
        records.recordCallMade(QStringLiteral("55500%1").arg(i, 2, 10, QLatin1Char('0')));
    }
    records.pushReceivedNumber("5559999");
    phonebook::Dialer& dialer = loadDialer(rig);
    rig.modal.script("frmDialRecords", [](QDialog& dialog) {
        auto& form = static_cast<ui::frmDialRecords&>(dialog);
        ASSERT_EQ(form.lstMade->count(), 10);
        EXPECT_EQ(form.lstMade->item(0)->text(), "5550002");
        EXPECT_EQ(form.lstMade->item(9)->text(), "5550011");
        form.cmdMade->click(); // nothing selected: nothing happens
        EXPECT_TRUE(form.chosen().isEmpty());
        form.lstReceived->setCurrentRow(0);
        form.cmdReceived->click();
    });
    dialer.showRecords();
    rig.run(500);
    EXPECT_EQ(rig.sim(0).dialled(), std::vector<QByteArray>{"5559999"});
    EXPECT_TRUE(dialer.calling());
    EXPECT_EQ(records.numbers(core::ListSection::Made).last(), "5559999");
}

} // namespace

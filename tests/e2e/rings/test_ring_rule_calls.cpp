// Whole calls under ring rules: a rule that holds when the call is offered decides the ring it is
// answered on, also over midnight and with a damaged Rings.txt; a rule added in the running
// program's dialogs is listed at once and answers calls from the next start.
#include "tests/e2e/program_rig.h"

#include "app/rings/frm_set_rings.h"
#include "app/rings/frm_set_time.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace qlnrec::test {
namespace {

// A caller who lets it ring four times (one ring every 6 s) against a setup answering on ring 4.
class RingRuleCall {
public:
    explicit RingRuleCall(const QByteArray& ringsFile, std::shared_ptr<TempHome> home = {})
        : rig(QStringLiteral("sim:1"), QStringLiteral("answer_on_fourth_ring.scn"), {}, std::move(home))
    {
        rig.configureLines({0});
        rig.store(QStringLiteral("Rings"), QStringLiteral("4"));
        if (!ringsFile.isNull()) {
            writeFile(rig.home.programFolder() + QStringLiteral("/Rings.txt"), ringsFile);
        }
    }
    // The ring the call was answered on, from the time the line went off hook.
    int answeredOnRing()
    {
        if (rig.start() != app::LoadResult::Loaded || !rig.play()) {
            ADD_FAILURE() << rig.scenarioError.toStdString();
            return -1;
        }
        const std::int64_t offHook = rig.activityTime(0, QStringLiteral("off hook"));
        if (offHook < 0) {
            return 0;
        }
        return static_cast<int>((offHook - rig.activityTime(0, QStringLiteral("ring 1"))) / 6000 + 1);
    }

    ProgramRig rig;
};

QDateTime at(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute)); // the 7th is a Monday
}

TEST(RingRuleCalls, ARuleHoldingOnTheDayAndHourOfTheCallSetsItsRing)
{
    {
        RingRuleCall call(QByteArrayLiteral("1,08:00:00-17:30:00,1,7\r\n2,08:00:00-17:30:00,2,3,4,5,6\r\n"));
        call.rig.events.setDateTime(at(7, 14, 5));
        EXPECT_EQ(call.answeredOnRing(), 2);
    }
    {
        RingRuleCall call(QByteArrayLiteral("2,08:00:00-17:30:00,2,3,4,5,6\r\n"));
        call.rig.events.setDateTime(at(7, 17, 45)); // after the rule's hours: the setup's ring
        EXPECT_EQ(call.answeredOnRing(), 4);
    }
}

TEST(RingRuleCalls, ANightRuleHoldsAcrossMidnight)
{
    for (const int hour : {23, 5}) {
        RingRuleCall call(QByteArrayLiteral("3,22:00:00-06:00:00,1,2,3,4,5,6,7\r\n"));
        call.rig.events.setDateTime(at(8, hour, 30));
        EXPECT_EQ(call.answeredOnRing(), 3) << hour;
    }
}

TEST(RingRuleCalls, ADamagedLineCostsOnlyItsUnreadableFieldsAndIsReported)
{
    // Line 1 has no ring count: it is skipped rather than never answering. Line 2's start does
    // not read and stays midnight: the rule holds all day until 23:59.
    RingRuleCall call(QByteArrayLiteral("x,08:00:00-17:30:00,2\r\n3,25:00:00-23:59:00,1,2,3,4,5,6,7\r\n"));
    EXPECT_EQ(call.answeredOnRing(), 3);
    const QStringList status = call.rig.statusTexts();
    EXPECT_TRUE(status.contains(QStringLiteral("Rings.txt line 1 unreadable: rings")));
    EXPECT_TRUE(status.contains(QStringLiteral("Rings.txt line 2 unreadable: start")));
}

TEST(RingRuleCalls, ARuleAddedThroughTheSetupDialogIsListedAtOnceAndAnswersFromTheNextStart)
{
    std::shared_ptr<TempHome> home;
    {
        RingRuleCall call(QByteArrayLiteral("5,08:00:00-09:00:00,2\r\n"));
        home = call.rig.homeHolder;
        ProgramRig& rig = call.rig;
        QStringList listed;
        rig.modal.script(QStringLiteral("frmSetRings"), [&](QDialog& dialog) {
            auto& rings = static_cast<app::frmSetRings&>(dialog);
            rings.cmdAddEntry->click();
            for (int row = 0; row < rings.lstRingEntry->count(); ++row) {
                listed << rings.lstRingEntry->item(row)->text();
            }
            rings.Command2->click();
        });
        rig.modal.script(QStringLiteral("frmSetTime"), [](QDialog& dialog) {
            auto& entry = static_cast<app::frmSetTime&>(dialog);
            entry.Text1->setText(QStringLiteral("1"));
            entry.Text2->setText(QStringLiteral("0"));
            entry.Text3->setText(QStringLiteral("0"));
            entry.Text4->setText(QStringLiteral("0"));
            entry.Text5->setText(QStringLiteral("0"));
            for (QCheckBox* day : entry.Check1) {
                day->setChecked(true);
            }
            entry.Command1->click();
        });
        ASSERT_EQ(rig.start(), app::LoadResult::Loaded);
        rig.loadSetup(rig.program->setupOpeners()).cmdRings->click();
        rig.program->setup().unload();
        EXPECT_EQ(listed, (QStringList{QStringLiteral("5,08:00:00-09:00:00,Mon"),
                                       QStringLiteral("1,00:00:00-00:00:00,Sun,Mon,Tue,Wed,Thu,Fri,Sat")}));
        ASSERT_TRUE(rig.play()) << rig.scenarioError.toStdString();
        EXPECT_EQ(rig.activityTime(0, QStringLiteral("off hook")) -
                      rig.activityTime(0, QStringLiteral("ring 1")),
                  18000);
    }
    RingRuleCall restarted(QByteArray(), home);
    EXPECT_EQ(restarted.answeredOnRing(), 1);
}

} // namespace
} // namespace qlnrec::test

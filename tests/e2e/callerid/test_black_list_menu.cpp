// The black list kept by hand during a run: a caller shown in the status list is added from the
// list's menu and is blocked on the very next call; the setup dialog's "Blacklist Setup" shows the
// number; a line without a caller and a missing printer are said, not ignored.
#include "tests/e2e/recording/recording_rig.h"

#include "ui/blocklist/frm_blackpub.h"
#include "ui/blocklist/frm_pb_add1.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace qlnrec;
using platform::CallerIdField;

TEST(BlackListFromTheStatusList, ACallerAddedFromTheMenuIsBlockedOnTheNextCall)
{
    test::RecordingRig rig;
    rig.program->loadBlockList();
    rig.store("Rings", "8");
    test::writeTonePrompt(rig, "donotcall.wav", 880, 2);
    test::writeTonePrompt(rig, "Greeting.wav", 440, 1);
    rig.openLines({0, 1});

    auto ringWithCallerId = [&rig](int line) {
        rig.sim(line).ring(8, 2000, 4000);
        ASSERT_TRUE(rig.runUntil([&] { return rig.slot(line).hCall != 0; }, 10000));
        rig.run(500);
        rig.sim(line).sendCallerId(CallerIdField::present("5551234"), CallerIdField::present("SMITH JOHN"));
        rig.run(400); // the blocking decision comes a quarter second after the caller ID
    };
    ringWithCallerId(0);
    EXPECT_FALSE(rig.sim(0).offHook());
    QString callerLine;
    for (const QString& line : rig.statusLog.lines()) {
        if (line.startsWith(QStringLiteral("CallerID:5551234"))) {
            callerLine = line;
        }
    }
    ASSERT_FALSE(callerLine.isEmpty()) << rig.statusTexts().join('|').toStdString();

    rig.dialogs.clear();
    rig.program->addCallerToBlackList(nullptr, rig.statusLog.lines().front());
    ASSERT_EQ(rig.messageTexts().size(), 1);
    EXPECT_EQ(rig.messageTexts().front(), QStringLiteral("Plese select a Caller ID entry"));
    EXPECT_FALSE(rig.modal.log().join('|').contains(QStringLiteral("frmPBAdd1")));

    QString offered;
    rig.modal.script(QStringLiteral("frmPBAdd1"), [&offered](QDialog& dialog) {
        auto& form = static_cast<ui::frmPBAdd1&>(dialog);
        offered = form.Text2->text();
        form.OKButton->click();
    });
    rig.program->addCallerToBlackList(nullptr, callerLine);
    EXPECT_EQ(offered, QStringLiteral("5551234"));
    int code = -1;
    EXPECT_EQ(
        test::runCommand(QStringLiteral("python3 -c \"import struct,sys; d=open(sys.argv[1],'rb').read(); "
                                        "print(struct.unpack('<%dd' % (len(d)//8), d))\" '%1'")
                             .arg(rig.program->blockList().path()),
                         &code)
            .trimmed(),
        QStringLiteral("(5551234.0,)"));

    // The same caller on the other line is answered at once and told not to call.
    ringWithCallerId(1);
    EXPECT_TRUE(rig.sim(1).offHook());
    EXPECT_EQ(
        rig.statusCount(QStringLiteral("CallerID:5551234 [SMITH JOHN]                         Blocked")), 1);

    QStringList listed;
    rig.modal.script(QStringLiteral("frmBlackpub"), [&listed](QDialog& dialog) {
        const QListWidget& list = *static_cast<ui::frmBlackpub&>(dialog).List1;
        for (int i = 0; i < list.count(); ++i) {
            listed << list.item(i)->text();
        }
    });
    rig.loadSetup(rig.program->setupOpeners()).cmdBlackList->click();
    EXPECT_EQ(listed, QStringList{QStringLiteral("5551234")});

    rig.dialogs.clear();
    rig.shell.printerAvailable = false;
    rig.program->printStatusLog();
    EXPECT_EQ(rig.messageTexts(), QStringList{QStringLiteral("No printer is available")});
}

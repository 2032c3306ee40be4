// Caller ID as the user meets it, over simulated lines in virtual time: the caller shown in the
// popup, the status list, the day log, the history file and the settings, named from a phone book
// imported from CSV, and in the recording's name; blocked callers answered at once, told the
// do-not-call prompt and dropped; and caller ID that is hostile in every way the network allows.
#include "tests/e2e/callerid/caller_id_calls.h"

#include "blocklist/block_list.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "phonebook/phone_book_lists.h"
#include "phonebook/phone_book_transfer.h"

#include <QDialog>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

using namespace qlnrec;
using platform::CallerIdField;
using test::RecordingRig;
using test::ringWithCallerId;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString labelText(QDialog& dialog, const QString& name)
{
    auto* label = dialog.findChild<QLabel*>(name);
    return label ? label->text() : QStringLiteral("<no %1>").arg(name);
}

// Every file below root, relative to it.
QStringList filesBelow(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files << QDir(root).relativeFilePath(it.next());
    }
    files.sort();
    return files;
}

} // namespace

TEST(CallerId, TheCallerIsShownKeptNamedFromTheImportedPhoneBookAndNamesTheRecording)
{
    RecordingRig rig;
    const QString folder = rig.home.programFolder();
    // The phone book comes in through the dial window's import.
    {
        QFile csv(folder + "/friends.csv");
        ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
        csv.write("SMITH JOHN,5551234\r\nDOE JANE,5550000\r\n");
    }
    phonebook::PhoneBookRecordCodec codec;
    phonebook::PhoneBookFile file(folder, codec);
    phonebook::PhoneBookLists lists(file);
    lists.load();
    const core::Strings english;
    phonebook::PhoneBookTransfer transfer(lists, rig.dialogs, folder, english);
    rig.dialogs.queueText(folder + "/friends.csv");
    rig.dialogs.queueMessageResult(platform::MessageResult::Yes); // save the phone book
    ASSERT_TRUE(transfer.importPhoneBook());
    rig.program->loadPhoneBook();

    rig.store("Rings", "3");
    rig.store("PopCallIDTime", "7");
    rig.store("PopCallID", "1");
    rig.statusLog.openAtStart();
    test::writeTonePrompt(rig, "Greeting.wav", 440, 1);
    rig.openLines({0});

    QStringList popup;
    rig.modal.script("frmPopCallID", [&](QDialog& dialog) {
        popup << dialog.windowTitle() << labelText(dialog, "lblCallerID_0")
              << labelText(dialog, "lblCallerName_0");
    });
    ringWithCallerId(rig, 0, CallerIdField::present("  5551234 "), CallerIdField::present("J SMITH"));
    rig.run(300);

    // The popup showed the number and the phone book's name for it.
    EXPECT_EQ(popup, QStringList({"Incoming Call Offering", " 5551234", "SMITH JOHN"}));
    const QStringList status = rig.statusTexts();
    EXPECT_TRUE(status.contains("SMITH JOHN"));
    EXPECT_TRUE(status.contains("CallerID:5551234 [J SMITH]")) << status.join('|').toStdString();
    EXPECT_TRUE(rig.dayFileLines().filter("CallerID:5551234 [J SMITH]").size() == 1);
    EXPECT_EQ(fileBytes(folder + "/callerid.txt"), "5551234\r\n");
    EXPECT_EQ(rig.config.get(core::keys::kLastCallerId), "5551234");
    EXPECT_EQ(rig.program->dialRecords().numbers(core::ListSection::Received), QStringList{"5551234"});
    EXPECT_EQ(rig.slot(0).callerNumberPart, "~5551234");

    // The popup closes itself after the seconds set for it.
    EXPECT_TRUE(rig.program->popup().loaded());
    rig.run(7000);
    EXPECT_FALSE(rig.program->popup().loaded());

    // Answered on the third ring; the message is named after the caller.
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 30000));
    rig.run(2000);
    rig.sim(0).hangUpFarEnd();
    ASSERT_TRUE(rig.finishRecording(0));
    ASSERT_EQ(rig.lists->unread().size(), 1);
    EXPECT_TRUE(rig.lists->unread().first().endsWith("~5551234SMITH JOHN.wav"))
        << rig.lists->unread().first().toStdString();

    // The next caller on the line, unknown to the phone book, does not inherit the name.
    ringWithCallerId(rig, 0, CallerIdField::present("5559999"), CallerIdField::absent());
    rig.run(300);
    EXPECT_TRUE(rig.statusTexts().contains("CallerID:5559999"));
    EXPECT_EQ(rig.slot(0).callerNamePart, "");
    EXPECT_EQ(fileBytes(folder + "/callerid.txt"), "5551234\r\n5559999\r\n");
}

// Answering by hand: the popup offers Answer and Hang Up for the ringing line, does not close
// itself, and its buttons take the call (recorded as a monitored call) and end it.
TEST(CallerId, ThePopupAnswersAndHangsUpCallsByHand)
{
    RecordingRig rig;
    rig.store("ActionMan", "1");
    rig.store("PopCallID", "1");
    rig.store("PopCallIDTime", "75");
    rig.store("Rings", "8");
    rig.openLines({0});

    QPointer<QDialog> popup;
    rig.modal.script("frmPopCallID", [&](QDialog& dialog) { popup = &dialog; });
    ringWithCallerId(rig, 0, CallerIdField::present("5551234"), CallerIdField::present("SMITH JOHN"));
    rig.run(300);
    ASSERT_TRUE(popup);
    EXPECT_EQ(labelText(*popup, "lblCallerID_0"), " 5551234");
    EXPECT_EQ(labelText(*popup, "lblCallerName_0"), " SMITH JOHN");
    EXPECT_EQ(rig.program->popup().row(0).answerVisible, true);
    EXPECT_FALSE(rig.program->popup().closeTimer().isEnabled()); // answering by hand: it stays
    // The window as the user sees it, for the user guide:
    //   QLNREC_SCREENSHOT_DIR=docs/screenshots build/<dir>/bin/test_e2e_callerid --gtest_filter='*ByHand'
    if (const QString folder = qEnvironmentVariable("QLNREC_SCREENSHOT_DIR"); !folder.isEmpty()) {
        popup->show();
        EXPECT_TRUE(popup->grab().save(QDir(folder).filePath("frmpopcallid-en.png"), "PNG"));
        popup->hide();
    }

    // The closing time typed in: 5 is too short to keep, 6 is kept.
    auto* seconds = popup->findChild<QLineEdit*>("Text1");
    ASSERT_NE(seconds, nullptr);
    seconds->setText("5");
    EXPECT_EQ(rig.setting("Config", "PopCallIDTime"), "75");
    seconds->setText("6");
    EXPECT_EQ(rig.setting("Config", "PopCallIDTime"), "6");

    ASSERT_TRUE(platform::AutoModalRunner::pressButton(*popup, "cmdAnswer_0"));
    ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 5000));
    EXPECT_EQ(rig.slot(0).greetingDue, 0);
    EXPECT_EQ(rig.slot(0).callKind, "M");
    EXPECT_FALSE(rig.program->popup().row(0).answerVisible);
    EXPECT_TRUE(rig.program->popup().row(0).hangupVisible);
    rig.run(3000);

    ASSERT_TRUE(platform::AutoModalRunner::pressButton(*popup, "cmdHangup_0"));
    EXPECT_TRUE(rig.statusTexts().contains("End of Recording"));
    ASSERT_TRUE(rig.finishRecording(0));
    rig.run(1000);
    EXPECT_FALSE(rig.sim(0).offHook());
    EXPECT_FALSE(rig.program->popup().loaded());
    EXPECT_FALSE(popup); // the window went with the popup
    ASSERT_EQ(rig.lists->recent().size(), 1);
    EXPECT_TRUE(rig.lists->recent().first().startsWith("M~L 0"));
}

// Who is blocked, and what a blocked caller meets: answered on the next tick whatever the ring
// count, the do-not-call prompt sample for sample, the drop, the status line, no recording.
TEST(CallerId, BlockedCallersAreAnsweredAtOnceToldNotToCallAndDropped)
{
    struct Case {
        const char* what;
        double entry; // on the block list (0: none)
        CallerIdField number;
        CallerIdField name;
        int blockUnknown;
        const char* statusLine; // nullptr: not blocked
    };
    const Case cases[] = {
        {"own entry", 5551234, CallerIdField::present("5551234"), CallerIdField::absent(), 0,
         "CallerID:5551234[Blocked]"},
        {"public-list entry", -5551234, CallerIdField::present(" 5551234"),
         CallerIdField::present("SMITH JOHN"), 0,
         "CallerID:5551234 [SMITH JOHN]                         Blocked"},
        {"leading zero", 5551234, CallerIdField::present("05551234"), CallerIdField::absent(), 0, nullptr},
        {"private, unknown blocked", 0, CallerIdField::privateField(), CallerIdField::privateField(), 1,
         "UNKNOWN Caller [Blocked]"},
        {"private, unknown allowed", 0, CallerIdField::privateField(), CallerIdField::absent(), 0, nullptr},
        {"blanks only, unknown blocked", 0, CallerIdField::present("   "), CallerIdField::absent(), 1,
         "UNKNOWN Caller [Blocked]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordingRig rig;
        if (c.entry != 0) {
            blocklist::BlockList(rig.home.programFolder()).append(c.entry);
        }
        rig.program->loadBlockList();
        rig.store("BlockUnknown", c.blockUnknown ? "1" : "0");
        rig.store("Rings", "8");
        const auto doNotCall = test::writeTonePrompt(rig, "donotcall.wav", 880, 2);
        test::writeTonePrompt(rig, "Greeting.wav", 440, 1);
        rig.openLines({0});

        ringWithCallerId(rig, 0, c.number, c.name);
        rig.run(400); // the decision comes a quarter second after the caller ID
        if (!c.statusLine) {
            EXPECT_FALSE(rig.sim(0).offHook());
            EXPECT_EQ(rig.slot(0).blocked, 0);
            const QString shown = c.number.kind == CallerIdField::Kind::Present
                                      ? "CallerID:" + QString::fromUtf8(c.number.text).trimmed()
                                      : QStringLiteral("CallerID:UNKNOWN");
            EXPECT_TRUE(rig.statusTexts().contains(shown)) << rig.statusTexts().join('|').toStdString();
            continue;
        }
        EXPECT_TRUE(rig.sim(0).offHook()); // answered after the first ring, not the eighth
        EXPECT_TRUE(rig.statusTexts().contains(c.statusLine)) << rig.statusTexts().join('|').toStdString();
        ASSERT_TRUE(rig.runUntil([&] { return !rig.sim(0).offHook(); }, 10000));
        EXPECT_TRUE(test::heardWhole(rig.sim(0).playedSamples(1), doNotCall));
        EXPECT_EQ(rig.sim(0).generatedCount(), 0u); // no beep
        rig.run(1000);
        EXPECT_EQ(rig.slot(0).blocked, 0);
        EXPECT_TRUE(rig.lists->unread().isEmpty());
        EXPECT_TRUE(QDir(rig.recordings).entryList({"*.wav"}).isEmpty());

        // The next call on the line, from a caller who sends no caller ID, is answered normally.
        rig.sim(0).ring(8, 2000, 4000);
        ASSERT_TRUE(rig.runUntil([&] { return rig.sim(0).offHook(); }, 60000));
        ASSERT_TRUE(rig.runUntil([&] { return rig.sim(0).generatedCount() == 1; }, 10000));
    }
}

// What the network may send as caller ID, at its worst: every call is still answered and
// recorded, no log gets a forged line, and nothing is written outside the program's folders.
TEST(CallerId, HostileCallerIdStaysInsideItsFieldsAndFolders)
{
    struct Case {
        CallerIdField number;
        CallerIdField name;
        const char* shown; // the status line
    };
    const QByteArray forged = "EVIL\r\n12:00:00 Line0 Ring...";
    const Case cases[] = {
        {CallerIdField::privateField(), CallerIdField::privateField(), "CallerID:UNKNOWN"},
        {CallerIdField::unavailable(), CallerIdField::unavailable(), "CallerID:UNKNOWN"},
        {CallerIdField::absent(), CallerIdField::absent(), "CallerID:UNKNOWN"},
        {CallerIdField::present("5551234"), CallerIdField::present("Zo\xc3\xab M\xc3\xbcller"),
         "CallerID:5551234 [Zoë Müller]"},
        {CallerIdField::present("5551234"), CallerIdField::present("Zo\xeb M\xfcller"),
         "CallerID:5551234 [Zoë Müller]"},
        {CallerIdField::present(QByteArray(200, '7')), CallerIdField::absent(), nullptr},
        {CallerIdField::present(QByteArray("555\0"
                                           "666",
                                           7)),
         CallerIdField::present(forged), "CallerID:555 [EVIL  12:00:00 Line0 Ring...]"},
        {CallerIdField::present("../../x"), CallerIdField::present("\\\\server\\share"),
         "CallerID:../../x [\\\\server\\share]"},
        {CallerIdField::present("5551234\r\n09:00:00 forged"), CallerIdField::absent(),
         "CallerID:5551234  09:00:00 forged"},
    };
    RecordingRig rig;
    rig.store("Rings", "2");
    test::writeTonePrompt(rig, "Greeting.wav", 440, 0.5);
    rig.statusLog.openAtStart();
    rig.openLines({0});
    const QString root = rig.home.path("");
    const QStringList before = filesBelow(root);

    int calls = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(calls);
        ringWithCallerId(rig, 0, c.number, c.name);
        ASSERT_TRUE(rig.runUntil([&] { return rig.slot(0).recordState == telephony::kRecording; }, 30000));
        rig.run(1000);
        rig.sim(0).hangUpFarEnd();
        ASSERT_TRUE(rig.finishRecording(0));
        rig.run(1000);
        ++calls;
        if (c.shown) {
            EXPECT_TRUE(rig.statusTexts().contains(QString::fromUtf8(c.shown)))
                << rig.statusTexts().join('|').toStdString();
        }
    }
    // Every call was kept, each directly in the recordings folder.
    EXPECT_EQ(rig.lists->unread().size(), calls);
    EXPECT_EQ(QDir(rig.recordings).entryList({"*.wav"}, QDir::Files).size(), calls);
    // Only the program's own files appeared: recordings, the history, the day log, settings.
    for (const QString& added : filesBelow(root)) {
        if (before.contains(added)) {
            continue;
        }
        const QString programFolder = QDir(root).relativeFilePath(rig.home.programFolder());
        const QString recordings = QDir(root).relativeFilePath(rig.recordings);
        EXPECT_TRUE(added.startsWith(recordings + "/") || added.startsWith(programFolder + "/") ||
                    added.startsWith(".config/"))
            << added.toStdString();
    }
    // One history line and one caller line per call: no line was forged.
    const QList<QByteArray> history = fileBytes(rig.home.programFolder() + "/callerid.txt").split('\n');
    EXPECT_EQ(history.size(), calls + 1);
    for (const QByteArray& line : history) {
        EXPECT_FALSE(line.startsWith("09:00:00")) << line.toStdString();
    }
    for (const QString& line : rig.dayFileLines()) {
        EXPECT_FALSE(line.startsWith("12:00:00") || line.startsWith("09:00:00")) << line.toStdString();
    }
    // A number longer than caller ID carries is cut, never written past what it holds.
    EXPECT_LE(rig.program->lines().state().callerNumber.size(), 128);
}

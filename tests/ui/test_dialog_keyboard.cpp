// Every dialog of the program, opened the way a person opens it, used with the keyboard alone:
// Tab reaches every enabled input, Escape closes the dialog, and Enter presses the default button
// (once) where the dialog has one.
#include "app/forms/frm_stand_in.h"
#include "app/forms/frm_tip.h"
#include "app/forms/frm_whats_new.h"
#include "tests/e2e/program_rig.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace qlnrec::test {
namespace {

bool isInput(const QWidget* w)
{
    return qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
           qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QAbstractSpinBox*>(w) || qobject_cast<const QTextEdit*>(w) ||
           qobject_cast<const QAbstractSlider*>(w) || qobject_cast<const QTabBar*>(w);
}

// The inputs a person can use now: shown, enabled, and not a part of another input (a list's
// scroll bars, a combo box's own line edit).
QList<QWidget*> usableInputs(QDialog& dialog)
{
    QList<QWidget*> inputs;
    for (QWidget* w : dialog.findChildren<QWidget*>()) {
        if (!isInput(w) || !w->isVisible() || !w->isEnabled()) {
            continue;
        }
        bool part = false;
        for (QWidget* up = w->parentWidget(); up && up != &dialog; up = up->parentWidget()) {
            part = part || isInput(up) || qobject_cast<QAbstractScrollArea*>(up);
        }
        if (!part) {
            inputs << w;
        }
    }
    return inputs;
}

QString nameOf(const QWidget* w)
{
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) : w->objectName();
}

// A key typed into w, as the window system delivers it.
void type(QWidget* w, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

void showActive(QDialog& dialog)
{
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
    }
    if (QApplication::focusWidget() && QApplication::focusWidget()->window() == &dialog) {
        return;
    }
    for (QWidget* w = dialog.nextInFocusChain(); w != &dialog; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && w->isVisible() && w->isEnabled()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

struct Walk {
    QStringList unreached; // inputs Tab never reached
    bool escapeCloses = false;
    QString defaultButton; // the default button's name, empty when the dialog has none
    int enterPresses = 0;  // how often Enter pressed it
};

// Tab round the dialog (on every page of its tab widgets), then Escape; then Enter in the first
// text box (or the first input that is no button) with the default button's own actions cut off.
Walk walk(QDialog& dialog)
{
    Walk result;
    showActive(dialog);
    QList<QTabWidget*> tabWidgets = dialog.findChildren<QTabWidget*>();
    const int pages = tabWidgets.isEmpty() ? 1 : tabWidgets.front()->count();
    for (int page = 0; page < pages; ++page) {
        if (!tabWidgets.isEmpty()) {
            tabWidgets.front()->setCurrentIndex(page);
            QApplication::processEvents();
        }
        const QList<QWidget*> inputs = usableInputs(dialog);
        std::set<QWidget*> reached;
        for (int i = 0; i < 2 * inputs.size() + 4; ++i) {
            QWidget* focus = QApplication::focusWidget();
            if (!focus) {
                break;
            }
            reached.insert(focus);
            type(focus, Qt::Key_Tab);
        }
        for (QWidget* w : inputs) {
            bool inGroup = false;
            if (auto* radio = qobject_cast<QRadioButton*>(w); radio && radio->autoExclusive()) {
                // Tab enters a group of options at its chosen one; the arrows move inside it.
                for (QWidget* other : reached) {
                    inGroup = inGroup || (qobject_cast<QRadioButton*>(other) &&
                                          other->parentWidget() == w->parentWidget());
                }
            }
            if (!reached.count(w) && !inGroup) {
                result.unreached << nameOf(w) + QStringLiteral(" (page %1)").arg(page);
            }
        }
    }

    QWidget* focus = QApplication::focusWidget() ? QApplication::focusWidget() : &dialog;
    type(focus, Qt::Key_Escape);
    QApplication::processEvents();
    result.escapeCloses = !dialog.isVisible();

    QPushButton* defaultButton = nullptr;
    for (QPushButton* b : dialog.findChildren<QPushButton*>()) {
        if (b->isDefault() && b->isVisibleTo(&dialog)) {
            defaultButton = b;
        }
    }
    if (!defaultButton) {
        dialog.hide();
        return result;
    }
    result.defaultButton = defaultButton->objectName();
    showActive(dialog);
    QObject::disconnect(defaultButton, &QAbstractButton::clicked, nullptr, nullptr);
    int pressed = 0;
    const QObject counting; // the count ends with this walk
    QObject::connect(defaultButton, &QAbstractButton::clicked, &counting, [&pressed] { ++pressed; });
    QWidget* target = dialog.findChild<QLineEdit*>();
    if (!target || !target->isVisible() || !target->isEnabled()) {
        target = &dialog;
        for (QWidget* w : usableInputs(dialog)) {
            if (!qobject_cast<QAbstractButton*>(w)) {
                target = w;
                break;
            }
        }
    }
    target->setFocus();
    type(target, Qt::Key_Return);
    result.enterPresses = pressed;
    dialog.hide();
    return result;
}

void expectKeyboardUse(const std::map<QString, Walk>& walks, const QString& name,
                       const QString& defaultButton)
{
    SCOPED_TRACE(name.toStdString());
    const auto found = walks.find(name);
    ASSERT_NE(found, walks.end()) << "not opened";
    const Walk& w = found->second;
    EXPECT_EQ(w.unreached, QStringList());
    EXPECT_TRUE(w.escapeCloses);
    EXPECT_EQ(w.defaultButton, defaultButton);
    if (!defaultButton.isEmpty()) {
        EXPECT_EQ(w.enterPresses, 1);
    }
}

class DialogKeyboard : public ::testing::Test {
protected:
    DialogKeyboard()
    {
        rig.store(QStringLiteral("Line0"), QStringLiteral("1"));
        rig.start();
    }

    // The next time the dialog runs it is walked, and its walk kept under its name.
    void walkNext(const QString& name)
    {
        rig.modal.script(name, [this, name](QDialog& d) { walks[name] = walk(d); });
    }
    // The next time the dialog runs, do something in it (open the window under test from it).
    void inside(const QString& name, std::function<void(QDialog&)> action)
    {
        rig.modal.script(name, std::move(action));
    }
    static void press(QDialog& d, const char* button)
    {
        ASSERT_TRUE(platform::AutoModalRunner::pressButton(d, QLatin1String(button))) << button;
    }

    ProgramRig rig{QStringLiteral("sim:1")};
    std::map<QString, Walk> walks;
};

TEST_F(DialogKeyboard, EveryDialogIsUsableWithTheKeyboardAlone)
{
    app::frmMain& main = *rig.window();

    // The setup dialog and the windows it opens.
    walkNext(QStringLiteral("frmSetup"));
    main.cmdParam->click();
    const auto fromSetup = [&](const char* opener, const QString& name) {
        inside(QStringLiteral("frmSetup"), [opener](QDialog& d) { press(d, opener); });
        walkNext(name);
        main.cmdParam->click();
    };
    fromSetup("cmdBlackList", QStringLiteral("frmBlackpub"));
    fromSetup("Command1", QStringLiteral("frmGreeting"));
    fromSetup("Command2", QStringLiteral("frmGreeting1"));
    fromSetup("cmdRings", QStringLiteral("frmSetRings"));
    inside(QStringLiteral("frmSetRings"), [](QDialog& d) { press(d, "cmdAddEntry"); });
    fromSetup("cmdRings", QStringLiteral("frmSetTime"));
    inside(QStringLiteral("frmBlackpub"), [](QDialog& d) { press(d, "cmdAdd"); });
    fromSetup("cmdBlackList", QStringLiteral("frmPBAdd1"));
    inside(QStringLiteral("frmBlackpub"), [](QDialog& d) { press(d, "cmdRuleAdd"); });
    fromSetup("cmdBlackList", QStringLiteral("frmScreenRule"));

    // The main window's own dialogs.
    walkNext(QStringLiteral("frmViewLog"));
    main.cmdLog->click();
    walkNext(QStringLiteral("frmBackup"));
    main.cmdBackup->click();
    // Enter in the backup's folder list opens the folder; it does not go on to start the backup.
    inside(QStringLiteral("frmBackup"), [](QDialog& d) {
        auto* folders = d.findChild<QListWidget*>(QStringLiteral("Dir1"));
        int backups = 0;
        QObject::connect(d.findChild<QPushButton*>(QStringLiteral("OKButton")), &QAbstractButton::clicked, &d,
                         [&backups] { ++backups; });
        showActive(d);
        folders->setCurrentRow(0); // the root, above the home folder
        folders->setFocus();
        type(folders, Qt::Key_Return);
        // The list is now the root and its subfolders.
        EXPECT_EQ(folders->count(), 1 + QDir::root().entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
        EXPECT_EQ(backups, 0);
        d.hide();
    });
    main.cmdBackup->click();
    walkNext(QStringLiteral("frmBrows"));
    main.cmdBrows->click();

    // The dial window and the phone book windows it opens, over one entry added by keyboard.
    walkNext(QStringLiteral("frmDialOut"));
    main.cmdDialOut->click();
    inside(QStringLiteral("frmPBAdd"), [](QDialog& d) {
        d.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("Anna"));
        d.findChild<QLineEdit*>(QStringLiteral("Text2"))->setText(QStringLiteral("5551234"));
        press(d, "OKButton");
    });
    inside(QStringLiteral("frmDialOut"), [this](QDialog& d) {
        press(d, "cmdAdd");
        walkNext(QStringLiteral("frmPBAdd"));
        press(d, "cmdAdd");
        d.findChild<QListWidget*>(QStringLiteral("lstPBName"))->setCurrentRow(0);
        walkNext(QStringLiteral("frmPBEdit"));
        press(d, "cmdEdit");
        auto* find = d.findChild<QLineEdit*>(QStringLiteral("txtFind"));
        find->setText(QStringLiteral("Anna"));
        emit find->textEdited(find->text());
        walkNext(QStringLiteral("frmBookResult"));
        press(d, "cmdFind");
        walkNext(QStringLiteral("frmDialRecords"));
        press(d, "cmdRecords");
        press(d, "cmdExit");
    });
    main.cmdDialOut->click();

    // The start-up and stand-in windows.
    for (QDialog* d : std::initializer_list<QDialog*>{
             new app::frmTip(rig.strings, &main), new app::frmWhatsNew(&main),
             new app::frmStandIn(QStringLiteral("Help"), QStringLiteral("Not yet."), &main)}) {
        walks[d->objectName()] = walk(*d);
        delete d;
    }

    expectKeyboardUse(walks, QStringLiteral("frmSetup"), QStringLiteral("cmdSave"));
    expectKeyboardUse(walks, QStringLiteral("frmBlackpub"), {});
    expectKeyboardUse(walks, QStringLiteral("frmPBAdd1"), QStringLiteral("OKButton"));
    expectKeyboardUse(walks, QStringLiteral("frmScreenRule"), QStringLiteral("OKButton"));
    expectKeyboardUse(walks, QStringLiteral("frmGreeting"), {});
    expectKeyboardUse(walks, QStringLiteral("frmGreeting1"), {});
    // Enter in the rule list closes the window; it does not add a rule.
    expectKeyboardUse(walks, QStringLiteral("frmSetRings"), QStringLiteral("Command2"));
    expectKeyboardUse(walks, QStringLiteral("frmSetTime"), QStringLiteral("Command1"));
    expectKeyboardUse(walks, QStringLiteral("frmViewLog"), QStringLiteral("Command1"));
    expectKeyboardUse(walks, QStringLiteral("frmBackup"), QStringLiteral("OKButton"));
    expectKeyboardUse(walks, QStringLiteral("frmBrows"), {});
    expectKeyboardUse(walks, QStringLiteral("frmDialOut"), {});
    expectKeyboardUse(walks, QStringLiteral("frmPBAdd"), QStringLiteral("OKButton"));
    expectKeyboardUse(walks, QStringLiteral("frmPBEdit"), QStringLiteral("OKButton"));
    expectKeyboardUse(walks, QStringLiteral("frmBookResult"), {});
    expectKeyboardUse(walks, QStringLiteral("frmDialRecords"), {});
    expectKeyboardUse(walks, QStringLiteral("frmTip"), QStringLiteral("cmdAgree"));
    expectKeyboardUse(walks, QStringLiteral("frmWhatsNew"), QStringLiteral("cmdClose"));
    expectKeyboardUse(walks, QStringLiteral("frmStandIn"), QStringLiteral("cmdClose"));
}

} // namespace
} // namespace qlnrec::test

#include "app_harness.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSettings>
#include <QWidget>

namespace qlnrec::test {

AppHarness::AppHarness()
    : store(QStringLiteral("qlnrec"), home.configFile()), config(store, home.programFolder()),
      statusLog(events, home.programFolder()), services{events, dialogs, shell, config, strings,  statusLog,
                                                        state,  windows, parts, parts,  lifecycle}
{
    state.programFolder = home.programFolder();
    statusLog.setShellService(&shell);
    config.setDialogService(&dialogs);
    config.setShellService(&shell, QStringLiteral("/usr/bin/qlnrec"));
    lifecycle.endProgram = [this](int) { ++programEnds; };
}

AppHarness::~AppHarness()
{
    statusLog.close();
}

QStringList AppHarness::storedKeys() const
{
    QSettings ini(home.configFile(), QSettings::IniFormat);
    QStringList keys = ini.allKeys();
    keys.sort();
    return keys;
}

namespace {
void sendMouse(QWidget* widget, QEvent::Type type, Qt::MouseButton button, QPoint at)
{
    const QPointF global = widget->mapToGlobal(QPointF(at));
    const Qt::MouseButtons buttons =
        type == QEvent::MouseButtonPress ? Qt::MouseButtons(button) : Qt::NoButton;
    QMouseEvent event(type, QPointF(at), global, button, buttons, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
} // namespace

void sendPress(QWidget* widget, Qt::MouseButton button, QPoint at)
{
    sendMouse(widget, QEvent::MouseButtonPress, button, at);
}

void sendRelease(QWidget* widget, Qt::MouseButton button, QPoint at)
{
    sendMouse(widget, QEvent::MouseButtonRelease, button, at);
}

void sendClick(QWidget* widget, QPoint at)
{
    sendPress(widget, Qt::LeftButton, at);
    sendRelease(widget, Qt::LeftButton, at);
}

void sendMove(QWidget* widget, QPoint at)
{
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent event(QEvent::MouseMove, QPointF(at), global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}

void sendKey(QWidget* widget, int key, const QString& text, Qt::KeyboardModifiers modifiers)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(widget, &release);
}

} // namespace qlnrec::test

#include "platform/dialogs/modal_runners.h"

#include <QAbstractButton>
#include <QDialog>

#include <cstdio>

namespace qlnrec::platform {

namespace {
QString dialogName(const QDialog& dialog)
{
    return dialog.objectName().isEmpty() ? QString::fromLatin1(dialog.metaObject()->className())
                                         : dialog.objectName();
}
} // namespace

int WidgetModalRunner::run(QDialog& dialog)
{
    return dialog.exec();
}

void WidgetModalRunner::showModeless(QDialog& dialog)
{
    dialog.show();
    dialog.raise();
}

AutoModalRunner::Answer AutoModalRunner::takeAnswer(const QString& name)
{
    auto it = scripted_.begin();
    while (it != scripted_.end() && it->first != name) {
        ++it;
    }
    if (it == scripted_.end()) {
        return {};
    }
    Answer answer = std::move(it->second);
    scripted_.erase(it);
    return answer;
}

void AutoModalRunner::note(const QString& name, const QString& entry)
{
    log_.append(name + QStringLiteral(": ") + entry);
    if (echo_) {
        std::fprintf(stderr, "Window %s: %s\n", qPrintable(name), qPrintable(entry));
        std::fflush(stderr);
    }
}

void AutoModalRunner::showModeless(QDialog& dialog)
{
    const QString name = dialogName(dialog);
    if (Answer answer = takeAnswer(name)) {
        answer(dialog);
        note(name, QStringLiteral("scripted"));
    } else {
        note(name, QStringLiteral("shown"));
    }
}

void AutoModalRunner::scriptButton(const QString& dialogName, const QString& buttonName)
{
    script(dialogName, [buttonName](QDialog& dialog) { pressButton(dialog, buttonName); });
}

bool AutoModalRunner::pressButton(QDialog& dialog, const QString& buttonName)
{
    auto* button = dialog.findChild<QAbstractButton*>(buttonName);
    if (!button) {
        return false;
    }
    // click() runs the handlers even for a hidden dialog; a disabled button is still pressed, as
    // the window's own default would be.
    if (!button->isEnabled()) {
        button->setEnabled(true);
        button->click();
        button->setEnabled(false);
    } else {
        button->click();
    }
    return true;
}

int AutoModalRunner::run(QDialog& dialog)
{
    const QString name = dialogName(dialog);
    // Dialogs that close themselves report their result through finished(); a dialog that is
    // never shown keeps QDialog::Rejected unless an answer sets it.
    int result = QDialog::Rejected;
    bool closed = false;
    const auto connection = QObject::connect(&dialog, &QDialog::finished, [&](int code) {
        result = code;
        closed = true;
    });

    QString entry;
    if (Answer answer = takeAnswer(name)) {
        answer(dialog);
        entry = QStringLiteral("scripted");
    } else {
        const QString button = dialog.property(kDefaultButtonProperty).toString();
        auto* pressed = button.isEmpty() ? nullptr : dialog.findChild<QAbstractButton*>(button);
        if (pressed) {
            entry = pressed->text().isEmpty() ? button : pressed->text().remove(QLatin1Char('&'));
            pressButton(dialog, button);
        } else {
            entry = QStringLiteral("rejected");
        }
    }
    if (!closed) {
        dialog.reject();
    }
    QObject::disconnect(connection);
    note(name, entry);
    return result;
}

int AutoModalRunner::runCount(const QString& dialogName) const
{
    int count = 0;
    for (const QString& line : log_) {
        if (line.startsWith(dialogName + QStringLiteral(": "))) {
            ++count;
        }
    }
    return count;
}

} // namespace qlnrec::platform

#include "platform/dialogs/qt_dialog_service.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace qlnrec::platform {

namespace {

QMessageBox::Icon qtIcon(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MessageResult QtDialogService::messageBox(const QString& text, const QString& title, MessageIcon icon,
                                          MessageButtons buttons)
{
    QMessageBox box(qtIcon(icon), title, text, QMessageBox::NoButton, parent_);
    // The first button is the default one, as in the boxes the program was written for.
    struct Choice {
        QMessageBox::StandardButton button;
        MessageResult result;
    };
    std::vector<Choice> choices;
    switch (buttons) {
    case MessageButtons::Ok:
        choices = {{QMessageBox::Ok, MessageResult::Ok}};
        break;
    case MessageButtons::OkCancel:
        choices = {{QMessageBox::Ok, MessageResult::Ok}, {QMessageBox::Cancel, MessageResult::Cancel}};
        break;
    case MessageButtons::YesNo:
        choices = {{QMessageBox::Yes, MessageResult::Yes}, {QMessageBox::No, MessageResult::No}};
        break;
    case MessageButtons::YesNoCancel:
        choices = {{QMessageBox::Yes, MessageResult::Yes},
                   {QMessageBox::No, MessageResult::No},
                   {QMessageBox::Cancel, MessageResult::Cancel}};
        break;
    }
    for (const Choice& choice : choices) {
        box.addButton(choice.button);
    }
    box.setDefaultButton(choices.front().button);
    // Closing the box with Escape or the window's close button answers Cancel or No when the box
    // has one, otherwise its only button.
    box.setEscapeButton(choices.back().button);
    const auto clicked = static_cast<QMessageBox::StandardButton>(box.exec());
    for (const Choice& choice : choices) {
        if (choice.button == clicked) {
            return choice.result;
        }
    }
    return choices.back().result;
}

std::optional<QString> QtDialogService::inputBox(const QString& prompt, const QString& title,
                                                 const QString& defaultText)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, defaultText, &ok);
    if (!ok) {
        return std::nullopt;
    }
    return text;
}

QString QtDialogService::openFileName(const QString& title, const QString& startFolder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent_, title, startFolder, qtFilter(filter));
}

QString QtDialogService::saveFileName(const QString& title, const QString& startFolder, const QString& filter)
{
    return QFileDialog::getSaveFileName(parent_, title, startFolder, qtFilter(filter));
}

QString QtDialogService::browseFolder(const QString& title, const QString& startFolder)
{
    return QFileDialog::getExistingDirectory(parent_, title, startFolder);
}

QString QtDialogService::qtFilter(const QString& filter)
{
    if (!filter.contains(QLatin1Char('|'))) {
        return filter;
    }
    // "Description|*.a;*.b|Description 2|*.c" -> "Description (*.a *.b);;Description 2 (*.c)".
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList entries;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        patterns.replace(QStringLiteral("*.*"), QStringLiteral("*"));
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren >= 0) {
            description = description.left(paren).trimmed();
        }
        entries << description + QStringLiteral(" (") + patterns.simplified() + QLatin1Char(')');
    }
    return entries.join(QStringLiteral(";;"));
}

} // namespace qlnrec::platform

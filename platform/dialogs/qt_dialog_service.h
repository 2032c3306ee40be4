#pragma once
// The program's dialogs that wait for the user, shown as Qt dialogs.
#include "platform/core/dialog_service.h"

class QWidget;

namespace qlnrec::platform {

class QtDialogService final : public DialogService {
public:
    // parent: the window the dialogs are shown over (may be null, or change with setParent).
    explicit QtDialogService(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MessageResult messageBox(const QString& text, const QString& title, MessageIcon icon,
                             MessageButtons buttons = MessageButtons::Ok) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    // filter: Qt form ("Text (*.txt);;All files (*)") or the pipe form "Text (*.txt)|*.txt|...".
    QString openFileName(const QString& title, const QString& startFolder, const QString& filter) override;
    QString saveFileName(const QString& title, const QString& startFolder, const QString& filter) override;
    QString browseFolder(const QString& title, const QString& startFolder) override;

    // The pipe form of a file filter converted to Qt's; a Qt filter is returned unchanged.
    static QString qtFilter(const QString& filter);

private:
    QWidget* parent_;
};

} // namespace qlnrec::platform

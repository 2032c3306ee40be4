#include "dialog_service.h"

#include <cstdio>

namespace qlnrec::platform {

MessageResult defaultResult(MessageButtons buttons)
{
    switch (buttons) {
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel:
        return MessageResult::Yes;
    case MessageButtons::Ok:
    case MessageButtons::OkCancel:
        break;
    }
    return MessageResult::Ok;
}

QString iconName(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Critical:
        return QStringLiteral("critical");
    case MessageIcon::Question:
        return QStringLiteral("question");
    case MessageIcon::Exclamation:
        return QStringLiteral("exclamation");
    case MessageIcon::Information:
        return QStringLiteral("information");
    case MessageIcon::None:
        break;
    }
    return QStringLiteral("none");
}

MessageResult ScriptedDialogService::messageBox(const QString& text, const QString& title,
                                                MessageIcon icon, MessageButtons buttons)
{
    requests_.push_back({DialogRequest::Kind::Message, text, title, icon, buttons});
    if (onRequest) {
        onRequest(requests_.back());
    }
    if (!messageResults_.empty()) {
        const MessageResult r = messageResults_.front();
        messageResults_.erase(messageResults_.begin());
        return r;
    }
    return defaultResult(buttons);
}

std::optional<QString> ScriptedDialogService::nextText()
{
    if (texts_.empty()) {
        return std::nullopt;
    }
    const QueuedText queued = texts_.front();
    texts_.erase(texts_.begin());
    if (!queued.present) {
        return std::nullopt;
    }
    return queued.text;
}

std::optional<QString> ScriptedDialogService::inputBox(const QString& prompt, const QString& title,
                                                       const QString&)
{
    requests_.push_back({DialogRequest::Kind::Input, prompt, title, MessageIcon::None, MessageButtons::OkCancel});
    if (onRequest) {
        onRequest(requests_.back());
    }
    return nextText();
}

QString ScriptedDialogService::openFileName(const QString& title, const QString&, const QString&)
{
    requests_.push_back({DialogRequest::Kind::OpenFile, QString(), title, MessageIcon::None, MessageButtons::OkCancel});
    if (onRequest) {
        onRequest(requests_.back());
    }
    return nextText().value_or(QString());
}

QString ScriptedDialogService::saveFileName(const QString& title, const QString&, const QString&)
{
    requests_.push_back({DialogRequest::Kind::SaveFile, QString(), title, MessageIcon::None, MessageButtons::OkCancel});
    if (onRequest) {
        onRequest(requests_.back());
    }
    return nextText().value_or(QString());
}

QString ScriptedDialogService::browseFolder(const QString& title, const QString&)
{
    requests_.push_back({DialogRequest::Kind::Folder, QString(), title, MessageIcon::None, MessageButtons::OkCancel});
    if (onRequest) {
        onRequest(requests_.back());
    }
    return nextText().value_or(QString());
}

std::vector<DialogRequest> ScriptedDialogService::messages() const
{
    std::vector<DialogRequest> out;
    for (const auto& r : requests_) {
        if (r.kind == DialogRequest::Kind::Message) {
            out.push_back(r);
        }
    }
    return out;
}

MessageResult AutoAnswerDialogService::messageBox(const QString& text, const QString& title,
                                                  MessageIcon icon, MessageButtons buttons)
{
    std::fprintf(stderr, "MessageBox [%s] %s: %s\n", qPrintable(iconName(icon)), qPrintable(title),
                 qPrintable(text));
    std::fflush(stderr);
    return ScriptedDialogService::messageBox(text, title, icon, buttons);
}

}  // namespace qlnrec::platform

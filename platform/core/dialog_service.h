#pragma once
// Every modal wait for the user goes through a DialogService, so tests and headless runs can
// answer it. Texts, titles and icons are passed exactly as the program shows them.
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace qlnrec::platform {

enum class MessageIcon { None, Critical, Question, Exclamation, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageResult { Ok, Cancel, Yes, No };

class DialogService {
public:
    virtual ~DialogService() = default;
    virtual MessageResult messageBox(const QString& text, const QString& title, MessageIcon icon,
                                     MessageButtons buttons = MessageButtons::Ok) = 0;
    // std::nullopt when the user cancels.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // Empty when the user cancels.
    virtual QString openFileName(const QString& title, const QString& startFolder,
                                 const QString& filter) = 0;
    virtual QString saveFileName(const QString& title, const QString& startFolder,
                                 const QString& filter) = 0;
    virtual QString browseFolder(const QString& title, const QString& startFolder) = 0;
};

// One request as the scripted and automatic services record it.
struct DialogRequest {
    enum class Kind { Message, Input, OpenFile, SaveFile, Folder } kind;
    QString text;   // message text or prompt
    QString title;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

// The default answer of a message box: its first button.
MessageResult defaultResult(MessageButtons buttons);
QString iconName(MessageIcon icon);

// Test backend: records every request and answers from queued replies, or with the default
// button / cancel when nothing is queued. Never blocks.
class ScriptedDialogService : public DialogService {
public:
    MessageResult messageBox(const QString& text, const QString& title, MessageIcon icon,
                             MessageButtons buttons) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    QString openFileName(const QString& title, const QString& startFolder,
                         const QString& filter) override;
    QString saveFileName(const QString& title, const QString& startFolder,
                         const QString& filter) override;
    QString browseFolder(const QString& title, const QString& startFolder) override;

    void queueMessageResult(MessageResult result) { messageResults_.push_back(result); }
    void queueText(std::optional<QString> text) { texts_.push_back({text.has_value(), text.value_or(QString())}); }
    // Called for every request after it is recorded (tests may act on the program here).
    std::function<void(const DialogRequest&)> onRequest;

    const std::vector<DialogRequest>& requests() const { return requests_; }
    std::vector<DialogRequest> messages() const;
    void clear() { requests_.clear(); }

private:
    std::optional<QString> nextText();
    std::vector<DialogRequest> requests_;
    std::vector<MessageResult> messageResults_;
    // Kept as a flag and a string: an optional inside the vector trips a false
    // "maybe uninitialized" warning in optimised builds.
    struct QueuedText {
        bool present;
        QString text;
    };
    std::vector<QueuedText> texts_;
};

// Headless runs (scenario mode): every box is answered with its default button and written to
// standard error as "MessageBox [icon] title: text"; inputs and pickers are cancelled.
class AutoAnswerDialogService final : public ScriptedDialogService {
public:
    MessageResult messageBox(const QString& text, const QString& title, MessageIcon icon,
                             MessageButtons buttons) override;
};

}  // namespace qlnrec::platform

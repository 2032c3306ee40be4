#pragma once
// The two prompt recorders the setup dialog opens, as thin windows over their models
// (audio/prompt_recorders.h): frmGreeting for the greeting and the legal notice, frmGreeting1 for
// the four menu prompts. Both show the same buttons; only the texts differ.
#include "audio/prompt_recorders.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qlnrec::ui {

class PromptRecorderDialog : public QDialog {
    Q_OBJECT
public:
    ~PromptRecorderDialog() override;
    // The dialog closes: the model drops a take in progress and ends play-back.
    void done(int result) override;

protected:
    PromptRecorderDialog(audio::PromptRecorderBase& model, const core::Strings& strings,
                         platform::DialogService& dialogs, const QString& objectName, const QString& caption,
                         const QStringList& infoLines, QWidget* parent);

private:
    void refresh();
    void chooseFile();

    audio::PromptRecorderBase& model_;
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
    QPushButton* cmdRecord_;
    QPushButton* cmdPlay_;
    QLabel* lblNotice_;
};

class frmGreeting final : public PromptRecorderDialog {
    Q_OBJECT
public:
    frmGreeting(audio::LineGreetingRecorder& model, const core::Strings& strings,
                platform::DialogService& dialogs, QWidget* parent = nullptr);
};

class frmGreeting1 final : public PromptRecorderDialog {
    Q_OBJECT
public:
    frmGreeting1(audio::SoundCardPromptRecorder& model, const core::Strings& strings,
                 platform::DialogService& dialogs, QWidget* parent = nullptr);
};

} // namespace qlnrec::ui

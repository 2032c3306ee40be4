#include "ui/audio/prompt_recorder_dialog.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlnrec::ui {

namespace {
QPushButton* addButton(QHBoxLayout* row, const char* objectName, const QString& caption)
{
    auto* button = new QPushButton(caption);
    button->setObjectName(QLatin1String(objectName));
    button->setAutoDefault(false);
    row->addWidget(button);
    return button;
}

QLabel* addLabel(QVBoxLayout* column, const char* objectName, const QString& text)
{
    auto* label = new QLabel(text);
    label->setObjectName(QLatin1String(objectName));
    label->setWordWrap(true);
    column->addWidget(label);
    return label;
}
} // namespace

PromptRecorderDialog::PromptRecorderDialog(audio::PromptRecorderBase& model, const core::Strings& strings,
                                           platform::DialogService& dialogs, const QString& objectName,
                                           const QString& caption, const QStringList& infoLines,
                                           QWidget* parent)
    : QDialog(parent), model_(model), dialogs_(dialogs), strings_(strings)
{
    setObjectName(objectName);
    setWindowTitle(caption);
    auto* column = new QVBoxLayout(this);
    addLabel(column, "lblNote", strings.loadText(1058));
    addLabel(column, "lblFile", QStringLiteral("Sound File:  ") + model.targetPath());
    for (const QString& line : infoLines) {
        addLabel(column, "lblFormat", line);
    }
    auto* row = new QHBoxLayout;
    cmdRecord_ = addButton(row, "cmdRecord", strings.loadText(1039));
    QPushButton* cmdStop = addButton(row, "cmdStop", strings.loadText(1016));
    cmdPlay_ = addButton(row, "cmdPlay", strings.loadText(1015));
    column->addLayout(row);
    auto* more = new QHBoxLayout;
    QPushButton* cmdUseFile = addButton(more, "cmdUseFile", strings.text(core::ProgramText::PromptUseFile));
    QPushButton* command1 = addButton(more, "Command1", QStringLiteral("Record With Windows Sound Recorder"));
    column->addLayout(more);
    lblNotice_ = addLabel(column, "lblNotice", QString());
    setMinimumWidth(460);

    connect(cmdRecord_, &QPushButton::clicked, this, [this] { model_.record(); });
    connect(cmdStop, &QPushButton::clicked, this, [this] { model_.stop(); });
    connect(cmdPlay_, &QPushButton::clicked, this, [this] { model_.play(); });
    connect(cmdUseFile, &QPushButton::clicked, this, [this] { chooseFile(); });
    connect(command1, &QPushButton::clicked, this, [this] { model_.openSoundRecorder(); });
    model_.changed = [this] { refresh(); };
    refresh();
}

void PromptRecorderDialog::refresh()
{
    cmdRecord_->setEnabled(model_.recordEnabled());
    cmdPlay_->setEnabled(model_.playEnabled());
    lblNotice_->setText(model_.notice());
}

void PromptRecorderDialog::chooseFile()
{
    model_.useFile(dialogs_.openFileName(strings_.text(core::ProgramText::PromptUseFileTitle),
                                         QFileInfo(model_.targetPath()).path(),
                                         strings_.text(core::ProgramText::PromptWaveFilter)));
}

PromptRecorderDialog::~PromptRecorderDialog()
{
    model_.changed = nullptr;
}

void PromptRecorderDialog::done(int result)
{
    model_.changed = nullptr;
    model_.close();
    QDialog::done(result);
}

frmGreeting::frmGreeting(audio::LineGreetingRecorder& model, const core::Strings& strings,
                         platform::DialogService& dialogs, QWidget* parent)
    : PromptRecorderDialog(model, strings, dialogs, QStringLiteral("frmGreeting"),
                           QStringLiteral("Record Sound"),
                           {QStringLiteral("Sound Format: PCM 8K,16Bit,Mono")}, parent)
{
}

frmGreeting1::frmGreeting1(audio::SoundCardPromptRecorder& model, const core::Strings& strings,
                           platform::DialogService& dialogs, QWidget* parent)
    : PromptRecorderDialog(model, strings, dialogs, QStringLiteral("frmGreeting1"), strings.loadText(1039),
                           {}, parent)
{
}

} // namespace qlnrec::ui

#include "ui/telephony/frm_pop_call_id.h"

#include "core/strings.h"
#include "platform/core/modal_runner.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlnrec::ui {

namespace {
QString arrayName(const char* name, int index)
{
    return QString::fromLatin1(name) + QLatin1Char('_') + QString::number(index);
}
} // namespace

frmPopCallID::frmPopCallID(telephony::IncomingCallPopup& model, platform::ModalRunner& runner,
                           const core::Strings& strings, QWidget* parent)
    : QDialog(parent), model_(model), runner_(runner)
{
    setObjectName(QStringLiteral("frmPopCallID"));
    setWindowTitle(QStringLiteral("Incoming Call Offering"));
    setAttribute(Qt::WA_ShowWithoutActivating); // a ringing call must not steal the keyboard
    setWindowFlag(Qt::WindowStaysOnTopHint);

    Frame1_ = new QGroupBox(this);
    Frame1_->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(Frame1_);
    for (int line = 0; line < telephony::kLineCount; ++line) {
        Row& row = rows_.at(static_cast<std::size_t>(line));
        row.Label1 = new QLabel(strings.text(core::ProgramText::PopupLine).arg(line), Frame1_);
        row.lblCallerID = new QLabel(Frame1_);
        row.lblCallerName = new QLabel(Frame1_);
        row.cmdAnswer = new QPushButton(QStringLiteral("Answer"), Frame1_);
        row.cmdHangup = new QPushButton(QStringLiteral("Hang Up"), Frame1_);
        row.Label1->setObjectName(arrayName("Label1", line));
        row.lblCallerID->setObjectName(arrayName("lblCallerID", line));
        row.lblCallerName->setObjectName(arrayName("lblCallerName", line));
        row.cmdAnswer->setObjectName(arrayName("cmdAnswer", line));
        row.cmdHangup->setObjectName(arrayName("cmdHangup", line));
        // Names and numbers from outside are shown as plain text, never as markup.
        row.lblCallerID->setTextFormat(Qt::PlainText);
        row.lblCallerName->setTextFormat(Qt::PlainText);
        row.lblCallerID->setMinimumWidth(120);
        row.lblCallerName->setMinimumWidth(180);
        grid->addWidget(row.Label1, line, 0);
        grid->addWidget(row.lblCallerID, line, 1);
        grid->addWidget(row.lblCallerName, line, 2);
        grid->addWidget(row.cmdAnswer, line, 3);
        grid->addWidget(row.cmdHangup, line, 4);
        connect(row.cmdAnswer, &QPushButton::clicked, this, [this, line] { model_.answerClicked(line); });
        connect(row.cmdHangup, &QPushButton::clicked, this, [this, line] { model_.hangupClicked(line); });
    }

    Text1_ = new QLineEdit(this);
    Text1_->setObjectName(QStringLiteral("Text1"));
    Text1_->setMaximumWidth(48);
    auto* Label3 = new QLabel(strings.text(core::ProgramText::PopupSecondsLeft), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    connect(Text1_, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!filling_) {
            model_.secondsEdited(text);
        }
    });

    auto* closing = new QHBoxLayout;
    closing->addWidget(Text1_);
    closing->addWidget(Label3);
    closing->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Frame1_);
    layout->addLayout(closing);
    showRows();
}

void frmPopCallID::showRows()
{
    filling_ = true;
    for (int line = 0; line < telephony::kLineCount; ++line) {
        const auto& state = model_.row(line);
        Row& row = rows_.at(static_cast<std::size_t>(line));
        row.Label1->setEnabled(state.labelsEnabled);
        row.lblCallerID->setEnabled(state.labelsEnabled);
        row.lblCallerName->setEnabled(state.labelsEnabled);
        row.lblCallerID->setText(state.callerId);
        row.lblCallerName->setText(state.callerName);
        row.cmdAnswer->setVisible(state.answerVisible);
        row.cmdHangup->setVisible(state.hangupVisible);
    }
    if (Text1_->text() != model_.secondsText()) {
        Text1_->setText(model_.secondsText());
    }
    Frame1_->update();
    filling_ = false;
}

bool frmPopCallID::minimized() const
{
    return isMinimized();
}

void frmPopCallID::showModeless()
{
    runner_.showModeless(*this);
}

void frmPopCallID::closeEvent(QCloseEvent* event)
{
    event->accept();
    model_.closedByUser();
}

void frmPopCallID::reject()
{
    hide();
    model_.closedByUser();
}

} // namespace qlnrec::ui

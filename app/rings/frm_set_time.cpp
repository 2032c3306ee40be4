#include "app/rings/frm_set_time.h"

#include "core/strings.h"
#include "platform/core/modal_runner.h"
#include "ui_frm_set_time.h"

#include <QEvent>
#include <QRegularExpressionValidator>
#include <QTimer>

namespace qlnrec::app {

namespace {
using Field = RingRuleEntry::Field;
constexpr auto& kTimeFields = RingRuleEntry::kTimeFields;
} // namespace

frmSetTime::frmSetTime(RingRuleDialogContext& context, QWidget* parent)
    : QDialog(parent), entry_(context.file, context.dialogs, context.strings),
      ui_(std::make_unique<Ui::frmSetTime>())
{
    ui_->setupUi(this);
    Text1 = ui_->Text1;
    Text2 = ui_->Text2;
    Text3 = ui_->Text3;
    Text4 = ui_->Text4;
    Text5 = ui_->Text5;
    Check1 = {ui_->Check1_1, ui_->Check1_2, ui_->Check1_3, ui_->Check1_4,
              ui_->Check1_5, ui_->Check1_6, ui_->Check1_7};
    Command1 = ui_->Command1;
    Command2 = ui_->Command2;

    // Headless runs leave the entry by Cancel.
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("Command2"));
    setWindowTitle(context.strings.loadText(1089));
    Command2->setText(context.strings.loadText(1038));

    // Digits only: the rings are one digit, hours and minutes up to two.
    Text1->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]")), Text1));
    for (Field f : kTimeFields) {
        QLineEdit* edit = field(f);
        edit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,2}")), edit));
        edit->installEventFilter(this);
    }
    connect(Command1, &QPushButton::clicked, this, &frmSetTime::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frmSetTime::Command2_Click);
}

frmSetTime::~frmSetTime() = default;

QLineEdit* frmSetTime::field(Field f) const
{
    switch (f) {
    case Field::Rings:
        return Text1;
    case Field::StartHour:
        return Text2;
    case Field::StartMinute:
        return Text3;
    case Field::EndHour:
        return Text4;
    case Field::EndMinute:
        break;
    }
    return Text5;
}

void frmSetTime::takeFields()
{
    RingRuleEntry::Fields& f = entry_.fields();
    f.rings = Text1->text();
    f.startHour = Text2->text();
    f.startMinute = Text3->text();
    f.endHour = Text4->text();
    f.endMinute = Text5->text();
    for (std::size_t day = 0; day < Check1.size(); ++day) {
        f.days[day] = Check1[day]->isChecked();
    }
}

void frmSetTime::Command1_Click()
{
    takeFields();
    if (const std::optional<Field> needed = entry_.ok()) {
        field(*needed)->setFocus();
        return;
    }
    accept();
}

void frmSetTime::Command2_Click()
{
    reject();
}

void frmSetTime::timeField_LostFocus(Field f)
{
    takeFields();
    if (!entry_.mayLeave(f)) {
        // Taken back once the focus change that is under way has finished.
        QTimer::singleShot(0, field(f), [edit = field(f)] { edit->setFocus(); });
    }
}

bool frmSetTime::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        for (Field f : kTimeFields) {
            if (watched == field(f)) {
                timeField_LostFocus(f);
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace qlnrec::app

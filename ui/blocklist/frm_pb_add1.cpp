#include "ui/blocklist/frm_pb_add1.h"

#include "platform/core/modal_runner.h"
#include "ui_frm_pb_add1.h"

#include <QKeyEvent>

namespace qlnrec::ui {

namespace {
// Enter in the number presses OK and is swallowed there, so OK, the form's default button for
// Enter anywhere else, is not pressed a second time.
class EnterPresses final : public QObject {
public:
    EnterPresses(QAbstractButton* button, QObject* parent) : QObject(parent), button_(button) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                button_->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QAbstractButton* button_;
};
} // namespace

frmPBAdd1::frmPBAdd1(blocklist::BlockList& store, platform::DialogService& dialogs,
                     const core::Strings& strings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmPBAdd1>()), editor_(store, dialogs, strings)
{
    ui_->setupUi(this);
    Text2 = ui_->Text2;
    Text1 = ui_->Text1;
    OKButton = ui_->OKButton;
    CancelButton = ui_->CancelButton;
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("CancelButton"));

    connect(OKButton, &QPushButton::clicked, this, &frmPBAdd1::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmPBAdd1::CancelButton_Click);
    Text2->installEventFilter(new EnterPresses(OKButton, this));
}

frmPBAdd1::~frmPBAdd1() = default;

void frmPBAdd1::OKButton_Click()
{
    if (editor_.add(Text2->text()) == blocklist::BlockListEditor::AddOutcome::Added) {
        done(QDialog::Accepted);
        return;
    }
    Text2->setFocus();
    Text2->selectAll();
}

void frmPBAdd1::CancelButton_Click()
{
    done(QDialog::Rejected);
}

} // namespace qlnrec::ui

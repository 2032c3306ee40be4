#include "ui/blocklist/frm_screen_rule.h"

#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qlnrec::ui {

frmScreenRule::frmScreenRule(const blocklist::ScreeningRule& rule, platform::DialogService& dialogs,
                             QWidget* parent)
    : QDialog(parent), dialogs_(dialogs)
{
    setObjectName(QStringLiteral("frmScreenRule"));
    setWindowTitle(QStringLiteral("Screening Rule"));
    setModal(true);
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("CancelButton"));

    cboAction = new QComboBox(this);
    cboAction->setObjectName(QStringLiteral("cboAction"));
    cboAction->addItems({QStringLiteral("Block"), QStringLiteral("Allow")});
    cboAction->setCurrentIndex(rule.action == blocklist::ScreeningAction::Allow ? 1 : 0);
    txtPattern = new QLineEdit(rule.pattern, this);
    txtPattern->setObjectName(QStringLiteral("txtPattern"));
    txtPattern->setToolTip(
        QStringLiteral("Digits, * for any digits, ? for one digit; /.../ for a regular expression"));
    txtLabel = new QLineEdit(rule.label, this);
    txtLabel->setObjectName(QStringLiteral("txtLabel"));
    txtLabel->setToolTip(QStringLiteral("Shown in the status list when this rule decides"));

    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &frmScreenRule::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Action:"), cboAction);
    form->addRow(QStringLiteral("Pattern:"), txtPattern);
    form->addRow(QStringLiteral("Label:"), txtLabel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

blocklist::ScreeningRule frmScreenRule::rule() const
{
    return {cboAction->currentIndex() == 1 ? blocklist::ScreeningAction::Allow
                                           : blocklist::ScreeningAction::Block,
            txtPattern->text().trimmed(), txtLabel->text().trimmed()};
}

void frmScreenRule::OKButton_Click()
{
    const QString problem = blocklist::ScreeningRules::problemOf(rule());
    if (!problem.isEmpty()) {
        dialogs_.messageBox(QStringLiteral("This rule cannot be kept: %1").arg(problem), windowTitle(),
                            platform::MessageIcon::Critical);
        txtPattern->setFocus();
        return;
    }
    accept();
}

} // namespace qlnrec::ui

#include "ui/blocklist/frm_screen_rule.h"

#include "core/strings.h"
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
                             const core::Strings& strings, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), strings_(strings)
{
    using core::ProgramText;
    setObjectName(QStringLiteral("frmScreenRule"));
    setWindowTitle(strings.text(ProgramText::RuleTitle));
    setModal(true);
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("CancelButton"));

    cboAction = new QComboBox(this);
    cboAction->setObjectName(QStringLiteral("cboAction"));
    cboAction->addItems({strings.text(ProgramText::RuleBlock), strings.text(ProgramText::RuleAllow)});
    cboAction->setCurrentIndex(rule.action == blocklist::ScreeningAction::Allow ? 1 : 0);
    txtPattern = new QLineEdit(rule.pattern, this);
    txtPattern->setObjectName(QStringLiteral("txtPattern"));
    txtPattern->setToolTip(strings.text(ProgramText::RulePatternTip));
    txtLabel = new QLineEdit(rule.label, this);
    txtLabel->setObjectName(QStringLiteral("txtLabel"));
    txtLabel->setToolTip(strings.text(ProgramText::RuleLabelTip));

    auto* buttons = new QDialogButtonBox(this);
    OKButton = buttons->addButton(strings.text(ProgramText::RuleOk), QDialogButtonBox::AcceptRole);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setDefault(true);
    CancelButton = buttons->addButton(strings.text(ProgramText::RuleCancel), QDialogButtonBox::RejectRole);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    connect(OKButton, &QPushButton::clicked, this, &frmScreenRule::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(strings.text(ProgramText::RuleActionField), cboAction);
    form->addRow(strings.text(ProgramText::RulePatternField), txtPattern);
    form->addRow(strings.text(ProgramText::RuleLabelField), txtLabel);
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
    if (const auto problem = blocklist::ScreeningRules::problemOf(rule())) {
        dialogs_.messageBox(strings_.text(core::ProgramText::RuleCannotKeep).arg(problem->in(strings_)),
                            windowTitle(), platform::MessageIcon::Critical);
        txtPattern->setFocus();
        return;
    }
    accept();
}

} // namespace qlnrec::ui

#include "ui/blocklist/frm_blackpub.h"

#include "blocklist/block_list.h"
#include "blocklist/call_screening.h"
#include "core/config_store.h"
#include "core/settings_table.h"
#include "core/strings.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "ui/blocklist/frm_pb_add1.h"
#include "ui/blocklist/frm_screen_rule.h"
#include "ui_frm_blackpub.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QSaveFile>
#include <QStyle>
#include <QTreeWidget>

namespace qlnrec::ui {

namespace {
const QString kListFilter = QStringLiteral("TXT File(*.txt);;All Files(*)");
const QString kCsvFilter = QStringLiteral("CSV File(*.csv);;All Files(*)");
} // namespace

frmBlackpub::frmBlackpub(const BlackListData& data, platform::DialogService& dialogs,
                         platform::ModalRunner& runner, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmBlackpub>()), data_(data), store_(data.store),
      dialogs_(dialogs), runner_(runner), editor_(data.store, dialogs, data.strings)
{
    ui_->setupUi(this);
    List1 = ui_->List1;
    cmdAdd = ui_->cmdAdd;
    cmdDelete = ui_->cmdDelete;
    cmdImport = ui_->cmdImport;
    cmdExport = ui_->cmdExport;
    tabs = ui_->tabs;
    lstRules = ui_->lstRules;
    cmdRuleAdd = ui_->cmdRuleAdd;
    cmdRuleEdit = ui_->cmdRuleEdit;
    cmdRuleDelete = ui_->cmdRuleDelete;
    cmdCsvImport = ui_->cmdCsvImport;
    cmdCsvExport = ui_->cmdCsvExport;
    txtTestNumber = ui_->txtTestNumber;
    lblTestResult = ui_->lblTestResult;
    lblRuleErrors = ui_->lblRuleErrors;
    chkPhoneBookWins = ui_->chkPhoneBookWins;
    chkKnownOnly = ui_->chkKnownOnly;
    ui_->Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48));

    connect(cmdAdd, &QPushButton::clicked, this, &frmBlackpub::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmBlackpub::cmdDelete_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmBlackpub::List1_DblClick);
    connect(cmdImport, &QPushButton::clicked, this, &frmBlackpub::cmdImport_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmBlackpub::cmdExport_Click);
    connect(cmdRuleAdd, &QPushButton::clicked, this, &frmBlackpub::cmdRuleAdd_Click);
    connect(cmdRuleEdit, &QPushButton::clicked, this, &frmBlackpub::cmdRuleEdit_Click);
    connect(lstRules, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        lstRules->setCurrentItem(item);
        cmdRuleEdit_Click();
    });
    connect(cmdRuleDelete, &QPushButton::clicked, this, &frmBlackpub::cmdRuleDelete_Click);
    connect(cmdCsvImport, &QPushButton::clicked, this, &frmBlackpub::cmdCsvImport_Click);
    connect(cmdCsvExport, &QPushButton::clicked, this, &frmBlackpub::cmdCsvExport_Click);
    connect(txtTestNumber, &QLineEdit::textChanged, this, &frmBlackpub::showTest);
    bindOption(chkPhoneBookWins, core::keys::kScreenPhoneBookWins);
    bindOption(chkKnownOnly, core::keys::kScreenKnownOnly);
    showTexts();
    Form_Load();
}

QString frmBlackpub::text(core::ProgramText id) const
{
    return data_.strings.text(id);
}

void frmBlackpub::showTexts()
{
    using core::ProgramText;
    tabs->setTabText(tabs->indexOf(ui_->tabNumbers), text(ProgramText::BlackListNumbersTab));
    tabs->setTabText(tabs->indexOf(ui_->tabRules), text(ProgramText::RulesTab));
    lstRules->setToolTip(text(ProgramText::RulesEditTip));
    lstRules->setHeaderLabels(
        {text(ProgramText::RulesAction), text(ProgramText::RulesPattern), text(ProgramText::RulesLabel)});
    cmdRuleAdd->setText(text(ProgramText::RulesAdd));
    cmdRuleEdit->setText(text(ProgramText::RulesEdit));
    cmdRuleDelete->setText(text(ProgramText::RulesDelete));
    cmdCsvImport->setText(text(ProgramText::RulesImportCsv));
    cmdCsvImport->setToolTip(text(ProgramText::RulesImportCsvTip));
    cmdCsvExport->setText(text(ProgramText::RulesExportCsv));
    cmdCsvExport->setToolTip(text(ProgramText::RulesExportCsvTip));
    ui_->lblTest->setText(text(ProgramText::RulesTestNumber));
    chkPhoneBookWins->setText(text(ProgramText::RulesPhoneBookWins));
    chkKnownOnly->setText(text(ProgramText::RulesKnownOnly));
    ui_->lblPrecedence->setText(text(ProgramText::RulesOrder));
}

frmBlackpub::~frmBlackpub() = default;

void frmBlackpub::Form_Load()
{
    editor_.loadList();
    showList();
    showRules();
}

void frmBlackpub::bindOption(QCheckBox* box, const core::SettingKey& key)
{
    box->setChecked(data_.config.get(key) == QLatin1String("1"));
    // Taken at once: the next caller is screened with it.
    connect(box, &QCheckBox::toggled, this, [this, &key](bool on) {
        data_.config.save(key, on ? QStringLiteral("1") : QStringLiteral("0"));
    });
}

void frmBlackpub::showRules()
{
    const int row = lstRules->currentIndex().row();
    lstRules->clear();
    for (const blocklist::ScreeningRule& rule : data_.rules.rules()) {
        auto* item = new QTreeWidgetItem(lstRules);
        item->setText(0, text(rule.action == blocklist::ScreeningAction::Allow
                                  ? core::ProgramText::RulesListAllow
                                  : core::ProgramText::RulesListBlock));
        item->setText(1, rule.pattern);
        item->setText(2, rule.label);
    }
    lstRules->resizeColumnToContents(0);
    lstRules->resizeColumnToContents(1);
    if (row >= 0 && row < lstRules->topLevelItemCount()) {
        lstRules->setCurrentItem(lstRules->topLevelItem(row));
    }
    const QStringList errors = data_.rules.errorTexts(data_.strings);
    lblRuleErrors->setText(errors.join(QLatin1Char('\n')));
    lblRuleErrors->setVisible(!errors.isEmpty());
    showTest();
}

void frmBlackpub::showTest()
{
    const QString number = txtTestNumber->text();
    lblTestResult->setText(number.trimmed().isEmpty() ? QString()
                                                      : data_.screening.explain(number, data_.strings));
}

bool frmBlackpub::editRule(blocklist::ScreeningRule& rule)
{
    frmScreenRule form(rule, dialogs_, data_.strings, this);
    if (runner_.run(form) != QDialog::Accepted) {
        return false;
    }
    rule = form.rule();
    return true;
}

void frmBlackpub::ruleSaved(bool saved)
{
    if (!saved) {
        dialogs_.messageBox(editor_.notWrittenMessage(data_.rules.path()),
                            text(core::ProgramText::RulesTitle), platform::MessageIcon::Critical);
    }
    showRules();
}

void frmBlackpub::cmdRuleAdd_Click()
{
    blocklist::ScreeningRule rule;
    if (editRule(rule)) {
        ruleSaved(data_.rules.add({rule}));
        lstRules->setCurrentItem(lstRules->topLevelItem(lstRules->topLevelItemCount() - 1));
    }
}

void frmBlackpub::cmdRuleEdit_Click()
{
    const int row = lstRules->currentItem() ? lstRules->indexOfTopLevelItem(lstRules->currentItem()) : -1;
    if (row < 0) {
        dialogs_.messageBox(text(core::ProgramText::RulesSelectRule), text(core::ProgramText::RulesTitle),
                            platform::MessageIcon::Critical);
        return;
    }
    blocklist::ScreeningRule rule = data_.rules.rules()[static_cast<std::size_t>(row)];
    if (editRule(rule)) {
        ruleSaved(data_.rules.replace(row, rule));
    }
}

void frmBlackpub::cmdRuleDelete_Click()
{
    const int row = lstRules->currentItem() ? lstRules->indexOfTopLevelItem(lstRules->currentItem()) : -1;
    if (row < 0) {
        dialogs_.messageBox(text(core::ProgramText::RulesSelectRule), text(core::ProgramText::RulesTitle),
                            platform::MessageIcon::Critical);
        return;
    }
    ruleSaved(data_.rules.remove(row));
}

void frmBlackpub::cmdCsvImport_Click()
{
    const QString path = dialogs_.openFileName(text(core::ProgramText::RulesImportCsv),
                                               QFileInfo(store_.path()).path(), kCsvFilter);
    if (path.isEmpty()) {
        return;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        dialogs_.messageBox(text(core::ProgramText::FileCannotRead).arg(path),
                            text(core::ProgramText::RulesTitle), platform::MessageIcon::Critical);
        return;
    }
    const blocklist::ScreeningImport taken =
        blocklist::importScreeningCsv(file.readAll(), store_, data_.rules, data_.strings);
    QString said = text(core::ProgramText::RulesImported).arg(taken.numbers).arg(taken.rules);
    if (!taken.problems.isEmpty()) {
        // The first few are enough to find the lines in the file.
        said += text(core::ProgramText::RulesSkipped).arg(taken.problems.size()) +
                taken.problems.mid(0, 10).join(QLatin1Char('\n'));
    }
    if (!taken.written) {
        said += text(core::ProgramText::RulesNotWritten);
    }
    dialogs_.messageBox(said, text(core::ProgramText::RulesTitle),
                        taken.written ? platform::MessageIcon::Information : platform::MessageIcon::Critical);
    Form_Load();
}

void frmBlackpub::cmdCsvExport_Click()
{
    const QString path = dialogs_.saveFileName(text(core::ProgramText::RulesExportCsv),
                                               QFileInfo(store_.path()).path(), kCsvFilter);
    if (path.isEmpty()) {
        return;
    }
    QSaveFile file(path);
    const QByteArray bytes = blocklist::screeningCsv(store_, data_.rules);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        dialogs_.messageBox(text(core::ProgramText::FileCannotWrite).arg(path),
                            text(core::ProgramText::RulesTitle), platform::MessageIcon::Critical);
    }
}

void frmBlackpub::showList()
{
    List1->clear();
    List1->addItems(editor_.lines());
    showTest();
}

void frmBlackpub::cmdAdd_Click()
{
    frmPBAdd1 form(store_, dialogs_, data_.strings, this);
    runner_.run(form);
    Form_Load();
}

void frmBlackpub::cmdDelete_Click()
{
    const QListWidgetItem* item = List1->currentItem();
    editor_.deleteLine(item && item->isSelected() ? List1->row(item) : -1);
    showList();
}

void frmBlackpub::List1_DblClick(QListWidgetItem* item)
{
    if (item) {
        List1->setCurrentItem(item);
    }
    cmdDelete_Click();
}

void frmBlackpub::cmdImport_Click()
{
    const QString path = dialogs_.openFileName(text(core::ProgramText::PublicListImport),
                                               QFileInfo(store_.path()).path(), kListFilter);
    if (!path.isEmpty()) {
        editor_.importPublicList(path);
        showList();
    }
}

void frmBlackpub::cmdExport_Click()
{
    const QString path = dialogs_.saveFileName(text(core::ProgramText::PublicListExport),
                                               QFileInfo(store_.path()).path(), kListFilter);
    if (!path.isEmpty()) {
        editor_.exportPublicList(path);
    }
}

} // namespace qlnrec::ui

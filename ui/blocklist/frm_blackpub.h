#pragma once
// The black list window. Numbers: own numbers (newest first), then the numbers of the public
// list. Add opens frmPBAdd1; Delete or a double click removes the selected line; Import and Export
// carry a public telemarketing list in and out as text. Rules: the screening rules in file order,
// added, edited (also by a double click) and deleted through frmScreenRule; a number typed into
// the test box shows at once which rule decides; the two screening options; the block list and
// the rules in and out as one CSV file. Each change is in its file (and the options in the
// settings) when the handler returns. The window's close box closes it.
#include "blocklist/block_list_editor.h"

#include <QDialog>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace Ui {
class frmBlackpub;
}

namespace qlnrec::platform {
class ModalRunner;
}
namespace qlnrec::core {
class ConfigStore;
class Strings;
struct SettingKey;
enum class ProgramText;
} // namespace qlnrec::core
namespace qlnrec::blocklist {
class CallScreening;
class ScreeningRules;
struct ScreeningRule;
} // namespace qlnrec::blocklist

namespace qlnrec::ui {

// What the window edits.
struct BlackListData {
    blocklist::BlockList& store;
    blocklist::ScreeningRules& rules;
    const blocklist::CallScreening& screening;
    core::ConfigStore& config;
    const core::Strings& strings;
};

class frmBlackpub : public QDialog {
    Q_OBJECT
public:
    frmBlackpub(const BlackListData& data, platform::DialogService& dialogs, platform::ModalRunner& runner,
                QWidget* parent = nullptr);
    ~frmBlackpub() override;

    QListWidget* List1 = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdExport = nullptr;
    QTabWidget* tabs = nullptr;
    QTreeWidget* lstRules = nullptr;
    QPushButton* cmdRuleAdd = nullptr;
    QPushButton* cmdRuleEdit = nullptr;
    QPushButton* cmdRuleDelete = nullptr;
    QPushButton* cmdCsvImport = nullptr;
    QPushButton* cmdCsvExport = nullptr;
    QLineEdit* txtTestNumber = nullptr;
    QLabel* lblTestResult = nullptr;
    QLabel* lblRuleErrors = nullptr;
    QCheckBox* chkPhoneBookWins = nullptr;
    QCheckBox* chkKnownOnly = nullptr;

    // Fills List1 from the table (also run by the constructor).
    void Form_Load();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void List1_DblClick(QListWidgetItem* item);
    void cmdImport_Click();
    void cmdExport_Click();
    void cmdRuleAdd_Click();
    void cmdRuleEdit_Click();
    void cmdRuleDelete_Click();
    void cmdCsvImport_Click();
    void cmdCsvExport_Click();

private:
    // The tabs and the Rules tab in the window's language.
    void showTexts();
    QString text(core::ProgramText id) const;
    void showList();
    void showRules();
    void showTest();
    // frmScreenRule over rule; true with the rule typed when OK was pressed.
    bool editRule(blocklist::ScreeningRule& rule);
    void ruleSaved(bool saved);
    void bindOption(QCheckBox* box, const core::SettingKey& key);

    std::unique_ptr<Ui::frmBlackpub> ui_;
    BlackListData data_;
    blocklist::BlockList& store_;
    platform::DialogService& dialogs_;
    platform::ModalRunner& runner_;
    blocklist::BlockListEditor editor_;
};

} // namespace qlnrec::ui

#pragma once
// The rule list: each line of Rings.txt with its day names; Add opens the entry dialog
// (frmSetTime), Delete removes the selected rule from the list and the file. The behaviour is
// RingRuleList's; the window shows its entries and wires the buttons.
#include "app/rings/ring_rule_dialogs.h"
#include "app/rings/ring_rule_list.h"

#include <QDialog>

#include <memory>

class QListWidget;
class QPushButton;

namespace Ui {
class frmSetRings;
}

namespace qlnrec::app {

class frmSetRings : public QDialog {
    Q_OBJECT
public:
    explicit frmSetRings(RingRuleDialogContext& context, QWidget* parent = nullptr);
    ~frmSetRings() override;

    void Form_Load();
    void cmdAddEntry_Click();
    void cmdDeleteEntry_Click();
    void Command2_Click();

    RingRuleList& list() { return list_; }

    QListWidget* lstRingEntry = nullptr;
    QPushButton* cmdAddEntry = nullptr;
    QPushButton* cmdDeleteEntry = nullptr;
    QPushButton* Command2 = nullptr; // Exit

private:
    void showEntries();

    RingRuleDialogContext& context_;
    RingRuleList list_;
    std::unique_ptr<Ui::frmSetRings> ui_;
};

} // namespace qlnrec::app

#pragma once
// The entry of one ring rule: rings (Text1), start hour and minute (Text2, Text3), end hour and
// minute (Text4, Text5) and the days (Check1, 1 SUN .. 7 SAT). The checks and the writing are
// RingRuleEntry's; the window passes its fields and puts the focus where the entry says.
#include "app/rings/ring_rule_dialogs.h"
#include "app/rings/ring_rule_entry.h"

#include <QDialog>

#include <array>
#include <memory>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class frmSetTime;
}

namespace qlnrec::app {

class frmSetTime : public QDialog {
    Q_OBJECT
public:
    explicit frmSetTime(RingRuleDialogContext& context, QWidget* parent = nullptr);
    ~frmSetTime() override;

    void Command1_Click(); // OK
    void Command2_Click(); // Cancel
    // An hour or minute field lost the focus; it takes it back when its value is out of range.
    void timeField_LostFocus(RingRuleEntry::Field field);

    RingRuleEntry& entry() { return entry_; }
    QLineEdit* field(RingRuleEntry::Field field) const;

    QLineEdit* Text1 = nullptr;
    QLineEdit* Text2 = nullptr;
    QLineEdit* Text3 = nullptr;
    QLineEdit* Text4 = nullptr;
    QLineEdit* Text5 = nullptr;
    std::array<QCheckBox*, ring_rule_layout::kDays> Check1{}; // index 1..7 at [0]..[6]
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeFields();

    RingRuleEntry entry_;
    std::unique_ptr<Ui::frmSetTime> ui_;
};

} // namespace qlnrec::app

#pragma once
// One screening rule typed in: block or allow, the pattern, the label. OK keeps the form open and
// says why while the rule cannot be kept.
#include "blocklist/screening_rules.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class DialogService;
}

namespace qlnrec::ui {

class frmScreenRule : public QDialog {
    Q_OBJECT
public:
    frmScreenRule(const blocklist::ScreeningRule& rule, platform::DialogService& dialogs,
                  const core::Strings& strings, QWidget* parent = nullptr);

    blocklist::ScreeningRule rule() const;

    QComboBox* cboAction = nullptr;
    QLineEdit* txtPattern = nullptr;
    QLineEdit* txtLabel = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void OKButton_Click();

private:
    platform::DialogService& dialogs_;
    const core::Strings& strings_;
};

} // namespace qlnrec::ui

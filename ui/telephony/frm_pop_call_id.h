#pragma once
// frmPopCallID, "Incoming Call Offering": one row a line with the caller's number and name and,
// while calls are answered by hand, the Answer and Hang Up buttons; below them the seconds until
// the popup closes itself. A thin window over telephony::IncomingCallPopup.
#include "telephony/incoming_call_popup.h"

#include <QDialog>

#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QGroupBox;

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::platform {
class ModalRunner;
}

namespace qlnrec::ui {

class frmPopCallID final : public QDialog, public telephony::IncomingCallPopup::Window {
    Q_OBJECT
public:
    frmPopCallID(telephony::IncomingCallPopup& model, platform::ModalRunner& runner,
                 const core::Strings& strings, QWidget* parent = nullptr);

    void showRows() override;
    bool minimized() const override;
    void showModeless() override;

protected:
    // Closing the window by hand ends every announcement.
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    struct Row {
        QLabel* Label1;
        QLabel* lblCallerID;
        QLabel* lblCallerName;
        QPushButton* cmdAnswer;
        QPushButton* cmdHangup;
    };

    telephony::IncomingCallPopup& model_;
    platform::ModalRunner& runner_;
    std::array<Row, telephony::kLineCount> rows_{};
    QGroupBox* Frame1_;
    QLineEdit* Text1_;
    bool filling_ = false;
};

} // namespace qlnrec::ui

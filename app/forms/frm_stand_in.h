#pragma once
// A plain window that stands for a feature that is not available in this build yet.
#include <QDialog>

#include <memory>

namespace Ui {
class frmStandIn;
}

namespace qlnrec::app {

class frmStandIn : public QDialog {
    Q_OBJECT
public:
    frmStandIn(const QString& title, const QString& text, QWidget* parent = nullptr);
    ~frmStandIn() override;
    Ui::frmStandIn& ui() { return *ui_; }

private:
    std::unique_ptr<Ui::frmStandIn> ui_;
};

} // namespace qlnrec::app

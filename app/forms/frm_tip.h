#pragma once
// The disclaimer shown at the first start: "Agree" goes on, "Exit" (or closing it) ends the
// program.
#include <QDialog>

#include <memory>

namespace Ui {
class frmTip;
}

namespace qlnrec::core {
class Strings;
} // namespace qlnrec::core

namespace qlnrec::app {

class frmTip : public QDialog {
    Q_OBJECT
public:
    frmTip(const core::Strings& strings, QWidget* parent = nullptr);
    ~frmTip() override;
    Ui::frmTip& ui() { return *ui_; }
    bool agreed() const { return agreed_; }

private:
    std::unique_ptr<Ui::frmTip> ui_;
    bool agreed_ = false;
};

} // namespace qlnrec::app

#pragma once
// The what's-new window, shown a few seconds after each start; its one button closes it.
#include <QDialog>

#include <memory>

namespace Ui {
class frmWhatsNew;
}

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::app {

class frmWhatsNew : public QDialog {
    Q_OBJECT
public:
    // In the language of strings.
    explicit frmWhatsNew(const core::Strings& strings, QWidget* parent = nullptr);
    // In English.
    explicit frmWhatsNew(QWidget* parent = nullptr);
    ~frmWhatsNew() override;
    Ui::frmWhatsNew& ui() { return *ui_; }

private:
    std::unique_ptr<Ui::frmWhatsNew> ui_;
};

} // namespace qlnrec::app

#pragma once
// The small add form of the black list: the caller's number (and a name that is not stored).
// OK, or Enter in the number, adds the number to public.tel at once; a refused number keeps the
// form open with the focus back in the number.
#include "blocklist/block_list_editor.h"

#include <QDialog>

#include <memory>

class QLineEdit;
class QPushButton;

namespace Ui {
class frmPBAdd1;
}

namespace qlnrec::blocklist {
class BlockList;
}

namespace qlnrec::ui {

class frmPBAdd1 : public QDialog {
    Q_OBJECT
public:
    frmPBAdd1(blocklist::BlockList& store, platform::DialogService& dialogs, const core::Strings& strings,
              QWidget* parent = nullptr);
    ~frmPBAdd1() override;

    QLineEdit* Text2 = nullptr; // the number
    QLineEdit* Text1 = nullptr; // the name (not stored)
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;

    void OKButton_Click();
    void CancelButton_Click();

private:
    std::unique_ptr<Ui::frmPBAdd1> ui_;
    blocklist::BlockListEditor editor_;
};

} // namespace qlnrec::ui

#pragma once
// The black list window: own numbers (newest first), then the numbers of the public list. Add
// opens frmPBAdd1; Delete or a double click removes the selected line; Import and Export carry a
// public telemarketing list in and out as text. Each change is in public.tel when the handler
// returns. The window's close box closes it.
#include "blocklist/block_list_editor.h"

#include <QDialog>

#include <memory>

class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace Ui {
class frmBlackpub;
}

namespace qlnrec::platform {
class ModalRunner;
}

namespace qlnrec::ui {

class frmBlackpub : public QDialog {
    Q_OBJECT
public:
    frmBlackpub(blocklist::BlockList& store, platform::DialogService& dialogs, platform::ModalRunner& runner,
                QWidget* parent = nullptr);
    ~frmBlackpub() override;

    QListWidget* List1 = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdImport = nullptr;
    QPushButton* cmdExport = nullptr;

    // Fills List1 from the table (also run by the constructor).
    void Form_Load();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void List1_DblClick(QListWidgetItem* item);
    void cmdImport_Click();
    void cmdExport_Click();

private:
    void showList();

    std::unique_ptr<Ui::frmBlackpub> ui_;
    blocklist::BlockList& store_;
    platform::DialogService& dialogs_;
    platform::ModalRunner& runner_;
    blocklist::BlockListEditor editor_;
};

} // namespace qlnrec::ui

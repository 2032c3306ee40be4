#include "ui/blocklist/frm_blackpub.h"

#include "blocklist/block_list.h"
#include "platform/core/dialog_service.h"
#include "platform/core/modal_runner.h"
#include "ui/blocklist/frm_pb_add1.h"
#include "ui_frm_blackpub.h"

#include <QFileInfo>
#include <QStyle>

namespace qlnrec::ui {

namespace {
const QString kListFilter = QStringLiteral("TXT File(*.txt);;All Files(*)");
}

frmBlackpub::frmBlackpub(blocklist::BlockList& store, platform::DialogService& dialogs,
                         platform::ModalRunner& runner, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmBlackpub>()), store_(store), dialogs_(dialogs),
      runner_(runner), editor_(store, dialogs)
{
    ui_->setupUi(this);
    List1 = ui_->List1;
    cmdAdd = ui_->cmdAdd;
    cmdDelete = ui_->cmdDelete;
    cmdImport = ui_->cmdImport;
    cmdExport = ui_->cmdExport;
    ui_->Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxCritical).pixmap(48, 48));

    connect(cmdAdd, &QPushButton::clicked, this, &frmBlackpub::cmdAdd_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &frmBlackpub::cmdDelete_Click);
    connect(List1, &QListWidget::itemDoubleClicked, this, &frmBlackpub::List1_DblClick);
    connect(cmdImport, &QPushButton::clicked, this, &frmBlackpub::cmdImport_Click);
    connect(cmdExport, &QPushButton::clicked, this, &frmBlackpub::cmdExport_Click);
    Form_Load();
}

frmBlackpub::~frmBlackpub() = default;

void frmBlackpub::Form_Load()
{
    editor_.loadList();
    showList();
}

void frmBlackpub::showList()
{
    List1->clear();
    List1->addItems(editor_.lines());
}

void frmBlackpub::cmdAdd_Click()
{
    frmPBAdd1 form(store_, dialogs_, this);
    runner_.run(form);
    Form_Load();
}

void frmBlackpub::cmdDelete_Click()
{
    const QListWidgetItem* item = List1->currentItem();
    editor_.deleteLine(item && item->isSelected() ? List1->row(item) : -1);
    showList();
}

void frmBlackpub::List1_DblClick(QListWidgetItem* item)
{
    if (item) {
        List1->setCurrentItem(item);
    }
    cmdDelete_Click();
}

void frmBlackpub::cmdImport_Click()
{
    const QString path = dialogs_.openFileName(QStringLiteral("Import Public List"),
                                               QFileInfo(store_.path()).path(), kListFilter);
    if (!path.isEmpty()) {
        editor_.importPublicList(path);
        showList();
    }
}

void frmBlackpub::cmdExport_Click()
{
    const QString path = dialogs_.saveFileName(QStringLiteral("Export Public List"),
                                               QFileInfo(store_.path()).path(), kListFilter);
    if (!path.isEmpty()) {
        editor_.exportPublicList(path);
    }
}

} // namespace qlnrec::ui

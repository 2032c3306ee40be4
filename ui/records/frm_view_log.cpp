#include "ui/records/frm_view_log.h"

#include "ui_frm_view_log.h"

#include <QMenu>

namespace qlnrec::records {

frmViewLog::frmViewLog(StatusLog& log, platform::DialogService& dialogs, platform::ShellService& shell,
                       const core::Strings& strings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmViewLog>()), viewer_(log, dialogs, shell, strings)
{
    ui_->setupUi(this);
    setWindowTitle(viewer_.caption());
    ui_->cmdExit->setText(viewer_.exitCaption());
    ui_->cmdPrintLog->setText(viewer_.printCaption());

    mmuLog_ = new QMenu(this);
    mmuLog_->setObjectName(QStringLiteral("mmuLog"));
    mmuLog_->addAction(ui_->mmuDisplay);
    mmuLog_->addAction(ui_->mmuDelete);

    connect(ui_->Command1, &QPushButton::clicked, this, &frmViewLog::Command1_Click);
    connect(ui_->File1, &QListWidget::itemDoubleClicked, this, &frmViewLog::File1_DblClick);
    connect(ui_->File1, &QWidget::customContextMenuRequested, this, &frmViewLog::showFileMenu);
    connect(ui_->mmuDisplay, &QAction::triggered, this, &frmViewLog::mmuDisplay_Click);
    connect(ui_->mmuDelete, &QAction::triggered, this, &frmViewLog::mmuDelete_Click);
    connect(ui_->cmdPrintLog, &QPushButton::clicked, this, &frmViewLog::cmdPrintLog_Click);
    connect(ui_->cmdExit, &QPushButton::clicked, this, &frmViewLog::cmdExit_Click);

    refreshFileList();
}

frmViewLog::~frmViewLog() = default;

QString frmViewLog::selectedFile() const
{
    const QListWidgetItem* item = ui_->File1->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void frmViewLog::refreshFileList()
{
    const QString selected = selectedFile();
    ui_->File1->clear();
    ui_->File1->addItems(viewer_.refreshFiles());
    const QList<QListWidgetItem*> again = ui_->File1->findItems(selected, Qt::MatchExactly);
    if (!selected.isEmpty() && !again.isEmpty()) {
        ui_->File1->setCurrentItem(again.front());
    }
}

void frmViewLog::showDisplayedLines()
{
    ui_->List1->clear();
    ui_->List1->addItems(viewer_.displayedLines());
}

void frmViewLog::Command1_Click()
{
    viewer_.display(selectedFile());
    showDisplayedLines();
}

void frmViewLog::File1_DblClick(QListWidgetItem* item)
{
    if (item) {
        ui_->File1->setCurrentItem(item);
    }
    Command1_Click();
}

void frmViewLog::mmuDisplay_Click()
{
    Command1_Click();
}

void frmViewLog::mmuDelete_Click()
{
    const QString file = selectedFile();
    if (file.isEmpty()) {
        return;
    }
    viewer_.deleteFile(file);
    refreshFileList();
}

void frmViewLog::cmdPrintLog_Click()
{
    if (viewer_.print() == LogViewer::PrintOutcome::NothingToPrint) {
        ui_->File1->setFocus();
    }
}

void frmViewLog::cmdExit_Click()
{
    done(QDialog::Accepted);
}

void frmViewLog::showFileMenu(const QPoint& pos)
{
    mmuLog_->popup(ui_->File1->viewport()->mapToGlobal(pos));
}

} // namespace qlnrec::records

#include "records/frm_view_log.h"

#include "ui_frm_view_log.h"

#include <QMenu>

namespace qlnrec::records {

frmViewLog::frmViewLog(StatusLog& log, platform::DialogService& dialogs, platform::ShellService& shell,
                       const app::Strings& strings, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmViewLog>()), viewer_(log, dialogs, shell, strings)
{
    ui_->setupUi(this);
}

frmViewLog::~frmViewLog() = default;

void frmViewLog::Command1_Click() {}
void frmViewLog::File1_DblClick(QListWidgetItem*) {}
void frmViewLog::mmuDisplay_Click() {}
void frmViewLog::mmuDelete_Click() {}
void frmViewLog::cmdPrintLog_Click() {}
void frmViewLog::cmdExit_Click() {}
void frmViewLog::refreshFileList() {}
void frmViewLog::showDisplayedLines() {}
QString frmViewLog::selectedFile() const
{
    return {};
}
void frmViewLog::showFileMenu(const QPoint&) {}

} // namespace qlnrec::records

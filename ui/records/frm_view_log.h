#pragma once
// The log viewer window: the log files on the left, the lines of the displayed file on the
// right, Display / Delete on the file list's context menu, Print and Exit buttons.
#include "records/log_viewer.h"

#include <QDialog>

#include <memory>

class QMenu;
class QListWidgetItem;

namespace Ui {
class frmViewLog;
}

namespace qlnrec::records {

class frmViewLog : public QDialog {
    Q_OBJECT
public:
    frmViewLog(StatusLog& log, platform::DialogService& dialogs, platform::ShellService& shell,
               const core::Strings& strings, QWidget* parent = nullptr);
    ~frmViewLog() override;

    LogViewer& viewer() { return viewer_; }
    Ui::frmViewLog& ui() { return *ui_; }
    QMenu* mmuLog() const { return mmuLog_; }

    void Command1_Click();
    void File1_DblClick(QListWidgetItem* item);
    void mmuDisplay_Click();
    void mmuDelete_Click();
    void cmdPrintLog_Click();
    void cmdExit_Click();

private:
    void refreshFileList();
    void showDisplayedLines();
    QString selectedFile() const;
    void showFileMenu(const QPoint& pos);

    std::unique_ptr<Ui::frmViewLog> ui_;
    LogViewer viewer_;
    QMenu* mmuLog_ = nullptr;
};

} // namespace qlnrec::records

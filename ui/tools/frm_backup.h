#pragma once
// The backup window: a target folder picked with the drive, folder and file lists, "Delete
// Source Files" to move instead of copy, and OK to start. The work is tools::BackupModel's; the
// window shows the job's progress, and its Cancel stops a running job (and closes the window
// when none runs).
#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;

namespace Ui {
class frmBackup;
}

namespace qlnrec::core {
class Strings;
}

namespace qlnrec::tools {
class BackupModel;
struct BackupProgress;
} // namespace qlnrec::tools

namespace qlnrec::ui {

class frmBackup : public QDialog {
    Q_OBJECT
public:
    // startFolder: the folder the pickers open on.
    frmBackup(tools::BackupModel& model, const core::Strings& strings, const QString& startFolder,
              QWidget* parent = nullptr);
    ~frmBackup() override;

    QComboBox* Drive1 = nullptr;
    QListWidget* Dir1 = nullptr;
    QListWidget* File1 = nullptr;
    QCheckBox* Check1 = nullptr;
    QPushButton* OKButton = nullptr;
    QPushButton* CancelButton = nullptr;
    QProgressBar* ProgressBar1 = nullptr;
    QLabel* lblProgress = nullptr;

    // The folder shown in Dir1: the target.
    const QString& folder() const { return folder_; }
    // Shows folder in Dir1 and its files in File1.
    void setFolder(const QString& folder);

    void Drive1_Change(int index);
    void Dir1_Change(QListWidgetItem* item);
    void Check1_LostFocus();
    void OKButton_Click();
    void CancelButton_Click();

    // Esc and the close box: a running job is cancelled first.
    void reject() override;

signals:
    // A job has ended and its summary was shown.
    void backupEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setCaptions();
    void fillDrives();
    void showProgress(const tools::BackupProgress& progress);
    void setRunning(bool running);

    std::unique_ptr<Ui::frmBackup> ui_;
    tools::BackupModel& model_;
    const core::Strings& strings_;
    QString folder_;
};

} // namespace qlnrec::ui

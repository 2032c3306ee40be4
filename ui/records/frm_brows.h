#pragma once
// The wave file browser window: drive, folder and file lists, the search box, the file list's
// Play / Delete menu, Browse With Explorer, and the browser's own player. The behaviour is
// records::WaveBrowser; closing the window stops and closes its player.
#include "records/wave_browser.h"

#include <QDialog>

#include <memory>

class QListWidgetItem;
class QMenu;

namespace Ui {
class frmBrows;
}

namespace qlnrec::records {

class PlayerBinder;

class frmBrows : public QDialog {
    Q_OBJECT
public:
    frmBrows(const WaveBrowser::Services& services, const QString& startFolder, QWidget* parent = nullptr);
    ~frmBrows() override;

    WaveBrowser& browser() { return browser_; }
    Ui::frmBrows& ui() { return *ui_; }
    QMenu* mmuBrow() const { return mmuBrow_; }

    void Drive1_Change(int index);
    void Dir1_Change(QListWidgetItem* item);
    void File1_Click();
    void File1_DblClick(QListWidgetItem* item);
    void Command1_Click();
    void Command2_Click();
    void cmdPlay_Click();
    void cmdStop_Click();
    void mmuDelete_Click();

    void done(int result) override;

private:
    void showDrives();
    void showFolders();
    void showFiles();
    void showFileMenu(const QPoint& pos);

    WaveBrowser browser_;
    std::unique_ptr<Ui::frmBrows> ui_;
    // Goes before the player it binds.
    std::unique_ptr<PlayerBinder> binder_;
    QMenu* mmuBrow_ = nullptr;
};

} // namespace qlnrec::records

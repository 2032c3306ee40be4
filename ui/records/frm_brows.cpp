#include "ui/records/frm_brows.h"

#include "core/strings.h"
#include "ui/records/player_binder.h"
#include "ui_frm_brows.h"

#include <QMenu>
#include <QSignalBlocker>
#include <QStyle>

namespace qlnrec::records {

namespace {
constexpr int kCaption = 1055;
constexpr int kName = 1056;
constexpr int kLength = 1057;
constexpr int kPlay = 1015;
constexpr int kStop = 1016;
constexpr int kBrowseWithExplorer = 1086;
constexpr int kIndentPerLevel = 3; // blanks per folder level in Dir1
} // namespace

frmBrows::frmBrows(const WaveBrowser::Services& services, const QString& startFolder, QWidget* parent)
    : QDialog(parent), browser_(services, startFolder), ui_(std::make_unique<Ui::frmBrows>())
{
    ui_->setupUi(this);
    const core::Strings& strings = services.strings;
    setWindowTitle(strings.loadText(kCaption));
    ui_->Label1->setText(strings.loadText(kName));
    ui_->Label2->setText(strings.loadText(kLength));
    ui_->Command1->setText(strings.loadText(kBrowseWithExplorer));
    ui_->cmdPlay->setToolTip(strings.loadText(kPlay));
    ui_->cmdStop->setToolTip(strings.loadText(kStop));
    ui_->cmdPause->setToolTip(strings.text(core::ProgramText::BrowsePause));
    ui_->Dir1->setToolTip(strings.text(core::ProgramText::BrowseFolderTip));
    ui_->Command2->setText(strings.text(core::ProgramText::BrowseSearch));
    ui_->cmdPlay->setIcon(style()->standardIcon(QStyle::SP_MediaPlay));
    ui_->cmdPause->setIcon(style()->standardIcon(QStyle::SP_MediaPause));
    ui_->cmdStop->setIcon(style()->standardIcon(QStyle::SP_MediaStop));

    mmuBrow_ = new QMenu(this);
    mmuBrow_->setObjectName(QStringLiteral("mmuBrow"));
    mmuBrow_->addAction(ui_->mmuPlay);
    mmuBrow_->addAction(ui_->mmuDelete);

    binder_ = std::make_unique<PlayerBinder>(browser_.player(), ui_->cmdPlay, ui_->cmdPause, ui_->HScroll1,
                                             ui_->lblFileName, ui_->lblFileSize);

    connect(ui_->Drive1, &QComboBox::activated, this, &frmBrows::Drive1_Change);
    connect(ui_->Dir1, &QListWidget::itemActivated, this, &frmBrows::Dir1_Change);
    connect(ui_->File1, &QListWidget::itemSelectionChanged, this, &frmBrows::File1_Click);
    connect(ui_->File1, &QListWidget::itemDoubleClicked, this, &frmBrows::File1_DblClick);
    connect(ui_->File1, &QWidget::customContextMenuRequested, this, &frmBrows::showFileMenu);
    connect(ui_->Command1, &QPushButton::clicked, this, &frmBrows::Command1_Click);
    connect(ui_->Command2, &QPushButton::clicked, this, &frmBrows::Command2_Click);
    connect(ui_->Text1, &QLineEdit::returnPressed, this, &frmBrows::Command2_Click);
    connect(ui_->cmdPlay, &QToolButton::clicked, this, &frmBrows::cmdPlay_Click);
    connect(ui_->cmdPause, &QToolButton::clicked, this, [this] { browser_.player().pause(); });
    connect(ui_->cmdStop, &QToolButton::clicked, this, &frmBrows::cmdStop_Click);
    connect(ui_->mmuPlay, &QAction::triggered, this, &frmBrows::cmdPlay_Click);
    connect(ui_->mmuDelete, &QAction::triggered, this, &frmBrows::mmuDelete_Click);

    showDrives();
    showFolders();
    showFiles();
}

frmBrows::~frmBrows() = default;

void frmBrows::showDrives()
{
    const QSignalBlocker block(ui_->Drive1);
    ui_->Drive1->clear();
    ui_->Drive1->addItems(browser_.drives());
    ui_->Drive1->setCurrentIndex(static_cast<int>(browser_.drives().indexOf(browser_.drive())));
}

void frmBrows::showFolders()
{
    ui_->Dir1->clear();
    for (const WaveBrowser::FolderEntry& entry : browser_.folderEntries()) {
        // An indent of blanks keeps the tree's shape without a tree widget's expanders.
        auto* item = new QListWidgetItem(
            QString(entry.depth * kIndentPerLevel, QLatin1Char(' ')) + entry.label, ui_->Dir1);
        item->setData(Qt::UserRole, entry.path);
        item->setToolTip(entry.path);
        item->setIcon(
            style()->standardIcon(entry.current ? QStyle::SP_DirOpenIcon : QStyle::SP_DirClosedIcon));
        if (entry.current) {
            ui_->Dir1->setCurrentItem(item);
        }
    }
}

void frmBrows::showFiles()
{
    const QSignalBlocker block(ui_->File1);
    ui_->File1->clear();
    ui_->File1->addItems(browser_.files());
    const QList<QListWidgetItem*> again = ui_->File1->findItems(browser_.selected(), Qt::MatchExactly);
    if (!browser_.selected().isEmpty() && !again.isEmpty()) {
        ui_->File1->setCurrentItem(again.front());
    }
}

void frmBrows::Drive1_Change(int index)
{
    if (index >= 0 && index < browser_.drives().size()) {
        browser_.chooseDrive(browser_.drives().at(index));
    }
    showDrives();
    showFolders();
    showFiles();
}

void frmBrows::Dir1_Change(QListWidgetItem* item)
{
    if (!item) {
        return;
    }
    // A folder removed since it was listed leaves the list as it is now.
    browser_.setFolder(item->data(Qt::UserRole).toString());
    showDrives();
    showFolders();
    showFiles();
}

void frmBrows::File1_Click()
{
    const QListWidgetItem* item = ui_->File1->currentItem();
    browser_.select(item && item->isSelected() ? item->text() : QString());
}

void frmBrows::File1_DblClick(QListWidgetItem* item)
{
    if (item) {
        ui_->File1->setCurrentItem(item);
    }
    cmdPlay_Click();
}

void frmBrows::Command1_Click()
{
    browser_.explore();
}

void frmBrows::Command2_Click()
{
    browser_.search(ui_->Text1->text());
    showFiles();
}

void frmBrows::cmdPlay_Click()
{
    browser_.play();
}

void frmBrows::cmdStop_Click()
{
    browser_.player().stop();
}

void frmBrows::mmuDelete_Click()
{
    browser_.deleteSelected();
    showFiles();
}

void frmBrows::showFileMenu(const QPoint& pos)
{
    mmuBrow_->popup(ui_->File1->viewport()->mapToGlobal(pos));
}

void frmBrows::done(int result)
{
    // The media alias is shared with the main window's player: free it.
    browser_.close();
    QDialog::done(result);
}

} // namespace qlnrec::records

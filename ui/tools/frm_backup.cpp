#include "ui/tools/frm_backup.h"

#include "core/strings.h"
#include "platform/core/modal_runner.h"
#include "tools/backup_model.h"
#include "ui_frm_backup.h"

#include <QDir>
#include <QEvent>
#include <QKeyEvent>
#include <QLocale>
#include <QStorageInfo>
#include <QStyle>

namespace qlnrec::ui {

namespace {

constexpr int kPathRole = Qt::UserRole;
const QString kIndent = QStringLiteral("   ");

QListWidgetItem* folderItem(const QIcon& icon, const QString& path, const QString& text, int depth)
{
    auto* item = new QListWidgetItem(icon, kIndent.repeated(depth) + text);
    item->setData(kPathRole, path);
    return item;
}

} // namespace

frmBackup::frmBackup(tools::BackupModel& model, const core::Strings& strings, const QString& startFolder,
                     QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::frmBackup>()), model_(model), strings_(strings)
{
    ui_->setupUi(this);
    Drive1 = ui_->Drive1;
    Dir1 = ui_->Dir1;
    File1 = ui_->File1;
    Check1 = ui_->Check1;
    OKButton = ui_->OKButton;
    CancelButton = ui_->CancelButton;
    ProgressBar1 = ui_->ProgressBar1;
    lblProgress = ui_->lblProgress;
    setProperty(platform::kDefaultButtonProperty, QStringLiteral("CancelButton"));

    connect(Drive1, &QComboBox::activated, this, &frmBackup::Drive1_Change);
    connect(Dir1, &QListWidget::itemActivated, this, &frmBackup::Dir1_Change);
    connect(OKButton, &QPushButton::clicked, this, &frmBackup::OKButton_Click);
    connect(CancelButton, &QPushButton::clicked, this, &frmBackup::CancelButton_Click);
    connect(&model_.job(), &tools::BackupJob::progress, this, &frmBackup::showProgress);
    Check1->installEventFilter(this);
    Dir1->installEventFilter(this);
    model_.finished = [this](const tools::BackupSummary&) {
        setRunning(false);
        setFolder(folder_);
        emit backupEnded();
    };

    setCaptions();
    Check1->setChecked(model_.deleteSourceFiles());
    fillDrives();
    setFolder(startFolder);
    setRunning(false);
}

frmBackup::~frmBackup()
{
    model_.finished = nullptr;
}

void frmBackup::setCaptions()
{
    setWindowTitle(strings_.loadText(1034));
    ui_->Frame1->setTitle(strings_.loadText(1035));
    Check1->setText(strings_.loadText(1036));
    OKButton->setText(strings_.loadText(1037));
    CancelButton->setText(strings_.loadText(1038));
}

void frmBackup::fillDrives()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            roots << volume.rootPath();
        }
    }
    roots.removeDuplicates();
    roots.sort();
    Drive1->clear();
    Drive1->addItems(roots);
}

void frmBackup::setFolder(const QString& folder)
{
    const QDir dir(folder);
    folder_ = dir.absolutePath();
    Drive1->setCurrentIndex(Drive1->findText(QStorageInfo(folder_).rootPath()));

    // The folder's ancestors from the root down, the folder itself, then its subfolders.
    Dir1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    QStringList parts = folder_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString path = QStringLiteral("/");
    Dir1->addItem(folderItem(open, path, path, 0));
    for (int i = 0; i < parts.size(); ++i) {
        path = QDir(path).filePath(parts[i]);
        Dir1->addItem(folderItem(open, path, parts[i], i + 1));
    }
    Dir1->setCurrentRow(Dir1->count() - 1);
    for (const QString& sub :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        Dir1->addItem(folderItem(closed, dir.filePath(sub), sub, static_cast<int>(parts.size()) + 1));
    }

    File1->clear();
    File1->addItems(dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void frmBackup::Drive1_Change(int index)
{
    if (index >= 0) {
        setFolder(Drive1->itemText(index));
    }
}

void frmBackup::Dir1_Change(QListWidgetItem* item)
{
    if (item) {
        setFolder(item->data(kPathRole).toString());
    }
}

void frmBackup::Check1_LostFocus()
{
    model_.storeDeleteSourceFiles(Check1->isChecked());
}

bool frmBackup::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Check1 && event->type() == QEvent::FocusOut) {
        Check1_LostFocus();
    }
    // Enter in the folder list opens the folder; it must not go on to OK, the default button.
    if (watched == Dir1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Dir1_Change(Dir1->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmBackup::OKButton_Click()
{
    // Stored here too: OK may be pressed by key while the box still has the focus.
    Check1_LostFocus();
    if (model_.start(folder_, Check1->isChecked())) {
        setRunning(true);
    }
}

void frmBackup::CancelButton_Click()
{
    reject();
}

void frmBackup::reject()
{
    if (model_.job().running()) {
        model_.job().cancel();
        return;
    }
    QDialog::reject();
}

void frmBackup::setRunning(bool running)
{
    OKButton->setEnabled(!running);
    ui_->Frame1->setEnabled(!running);
    Check1->setEnabled(!running);
    lblProgress->setVisible(running);
    ProgressBar1->setVisible(running);
    if (running) {
        ProgressBar1->setValue(0);
        lblProgress->clear();
    }
}

void frmBackup::showProgress(const tools::BackupProgress& progress)
{
    const double share =
        progress.bytesTotal > 0
            ? static_cast<double>(progress.bytesDone) / static_cast<double>(progress.bytesTotal)
        : progress.filesTotal > 0 ? static_cast<double>(progress.filesDone) / progress.filesTotal
                                  : 0.0;
    ProgressBar1->setValue(static_cast<int>(share * ProgressBar1->maximum()));
    const QLocale locale;
    lblProgress->setText(strings_.text(core::ProgramText::BackupProgress)
                             .arg(progress.filesDone)
                             .arg(progress.filesTotal)
                             .arg(locale.formattedDataSize(progress.bytesDone),
                                  locale.formattedDataSize(progress.bytesTotal), progress.currentName));
}

} // namespace qlnrec::ui

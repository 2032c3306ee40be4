#include "ui/records/recordings_lists_binder.h"

#include <QAction>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QMenu>

namespace qlnrec::records {

RecordingListsBinder::RecordingListsBinder(RecordingLists& lists, QListWidget* lstLastTen,
                                           QListWidget* lstUnread, QLabel* lblFileName, QObject* parent)
    : QObject(parent), lists_(lists), recent_(lstLastTen), unread_(lstUnread), label_(lblFileName)
{
    mmuFile = new QMenu(recent_);
    mmuFile->setObjectName(QStringLiteral("mmuFile"));
    mmuPlay = mmuFile->addAction(QStringLiteral("Play"));
    mmuPlay->setObjectName(QStringLiteral("mmuPlay"));
    mmumailto = mmuFile->addAction(QStringLiteral("Mail To..."));
    mmumailto->setObjectName(QStringLiteral("mmumailto"));
    mmuDelete = mmuFile->addAction(QStringLiteral("Delete"));
    mmuDelete->setObjectName(QStringLiteral("mmuDelete"));
    mmuRename = mmuFile->addAction(QStringLiteral("Rename"));
    mmuRename->setObjectName(QStringLiteral("mmuRename"));
    mmuFile1 = new QMenu(unread_);
    mmuFile1->setObjectName(QStringLiteral("mmuFile1"));
    mmuPlay1 = mmuFile1->addAction(QStringLiteral("Play"));
    mmuPlay1->setObjectName(QStringLiteral("mmuPlay1"));
    mmuPlayAll = mmuFile1->addAction(QStringLiteral("Play All"));
    mmuPlayAll->setObjectName(QStringLiteral("mmuPlayAll"));
    mmuDelete1 = mmuFile1->addAction(QStringLiteral("Delete"));
    mmuDelete1->setObjectName(QStringLiteral("mmuDelete1"));

    popup = [](QMenu* menu, const QPoint& globalPos) { menu->popup(globalPos); };

    connect(mmuPlay, &QAction::triggered, this, [this] { lists_.playRecent(); });
    connect(mmumailto, &QAction::triggered, this, [this] { lists_.mailRecent(); });
    connect(mmuDelete, &QAction::triggered, this, [this] { lists_.deleteRecent(); });
    connect(mmuRename, &QAction::triggered, this, [this] { lists_.renameRecent(); });
    connect(mmuPlay1, &QAction::triggered, this, [this] { lists_.playUnread(); });
    connect(mmuPlayAll, &QAction::triggered, this, [this] { lists_.playAll(); });
    connect(mmuDelete1, &QAction::triggered, this, [this] { lists_.deleteUnread(); });

    for (QListWidget* list : {recent_, unread_}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
    }
    connect(recent_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { lists_.clickRecent(recent_->row(item)); });
    connect(unread_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { lists_.clickUnread(unread_->row(item)); });
    connect(recent_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { lists_.doubleClickRecent(recent_->row(item)); });
    connect(unread_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { lists_.doubleClickUnread(unread_->row(item)); });
    // Keyboard moves select like a click.
    connect(recent_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_ && row != lists_.recentSelected()) {
            lists_.clickRecent(row);
        }
    });
    connect(unread_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_ && row != lists_.unreadSelected()) {
            lists_.clickUnread(row);
        }
    });
    connect(recent_, &QWidget::customContextMenuRequested, this, &RecordingListsBinder::showRecentMenu);
    recent_->viewport()->setMouseTracking(true);
    recent_->viewport()->installEventFilter(this);
    connect(unread_, &QWidget::customContextMenuRequested, this, &RecordingListsBinder::showUnreadMenu);

    lists_.changed = [this] { refresh(); };
    lists_.showSelection = [this](const QString& name) {
        if (label_) {
            label_->setText(name);
        }
    };
    refresh();
}

RecordingListsBinder::~RecordingListsBinder()
{
    lists_.changed = nullptr;
    lists_.showSelection = nullptr;
}

bool RecordingListsBinder::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove && watched == recent_->viewport()) {
        while (QGuiApplication::overrideCursor() != nullptr) {
            QGuiApplication::restoreOverrideCursor();
        }
    }
    return QObject::eventFilter(watched, event);
}

void RecordingListsBinder::refresh()
{
    refreshing_ = true;
    const auto fill = [](QListWidget* widget, const QStringList& names, int selected) {
        bool same = widget->count() == names.size();
        for (int i = 0; same && i < names.size(); ++i) {
            same = widget->item(i)->text() == names.at(i);
        }
        if (!same) {
            widget->clear();
            widget->addItems(names);
        }
        widget->setCurrentRow(selected);
    };
    fill(recent_, lists_.recent(), lists_.recentSelected());
    fill(unread_, lists_.unread(), lists_.unreadSelected());
    refreshing_ = false;
}

void RecordingListsBinder::showRecentMenu(const QPoint& pos)
{
    if (QListWidgetItem* item = recent_->itemAt(pos)) {
        lists_.clickRecent(recent_->row(item));
    }
    popup(mmuFile, recent_->viewport()->mapToGlobal(pos));
}

void RecordingListsBinder::showUnreadMenu(const QPoint& pos)
{
    if (QListWidgetItem* item = unread_->itemAt(pos)) {
        lists_.clickUnread(unread_->row(item));
    }
    popup(mmuFile1, unread_->viewport()->mapToGlobal(pos));
}

} // namespace qlnrec::records

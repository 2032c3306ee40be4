#pragma once
// The main window's two recordings lists as widgets over the RecordingLists model.
#include "records/recordings_lists.h"

#include <QObject>

#include <functional>

class QAction;
class QLabel;
class QListWidget;
class QMenu;
class QPoint;

namespace qlnrec::records {

// Keeps lstLastTen / lstUnread showing the model, and turns clicks, double clicks and the right
// button into the model's operations through the context menus mmuFile and mmuFile1.
class RecordingListsBinder : public QObject {
    Q_OBJECT
public:
    RecordingListsBinder(RecordingLists& lists, QListWidget* lstLastTen, QListWidget* lstUnread,
                         QLabel* lblFileName, QObject* parent = nullptr);
    ~RecordingListsBinder() override;

    // Fills the widgets from the model (also run on every change).
    void refresh();

    QMenu* mmuFile = nullptr;
    QAction* mmuPlay = nullptr;
    QAction* mmumailto = nullptr;
    QAction* mmuDelete = nullptr;
    QAction* mmuRename = nullptr;
    QMenu* mmuFile1 = nullptr;
    QAction* mmuPlay1 = nullptr;
    QAction* mmuPlayAll = nullptr;
    QAction* mmuDelete1 = nullptr;

    // Menus pop up through this (tests replace it to pick an item without a real menu).
    std::function<void(QMenu* menu, const QPoint& globalPos)> popup;

protected:
    // A mouse move over the recent list puts the screen's mouse pointer back to normal.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showRecentMenu(const QPoint& pos);
    void showUnreadMenu(const QPoint& pos);

    RecordingLists& lists_;
    QListWidget* recent_;
    QListWidget* unread_;
    QLabel* label_;
    bool refreshing_ = false;
};

} // namespace qlnrec::records

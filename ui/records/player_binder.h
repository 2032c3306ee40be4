#pragma once
// A recording player's buttons, read-outs and seek bar as widgets over the RecordingPlayer model.
#include "records/recording_player.h"

#include <QObject>

class QAbstractButton;
class QLabel;
class QScrollBar;

namespace qlnrec::records {

// Enables cmdPlay and cmdPause as the player says, shows the name and length, keeps HScroll1 at
// the position, and turns the user's moves of the bar (focus in, value, focus out) into seeks.
class PlayerBinder : public QObject {
    Q_OBJECT
public:
    PlayerBinder(RecordingPlayer& player, QAbstractButton* cmdPlay, QAbstractButton* cmdPause,
                 QScrollBar* HScroll1, QLabel* lblFileName, QLabel* lblFileSize, QObject* parent = nullptr);
    ~PlayerBinder() override;

    void refresh();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RecordingPlayer& player_;
    QAbstractButton* play_;
    QAbstractButton* pause_;
    QScrollBar* bar_;
    QLabel* name_;
    QLabel* length_;
    QString shownName_;
    bool refreshing_ = false;
};

} // namespace qlnrec::records

#include "ui/records/player_binder.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLabel>
#include <QScrollBar>

namespace qlnrec::records {

PlayerBinder::PlayerBinder(RecordingPlayer& player, QAbstractButton* cmdPlay, QAbstractButton* cmdPause,
                           QScrollBar* HScroll1, QLabel* lblFileName, QLabel* lblFileSize, QObject* parent)
    : QObject(parent), player_(player), play_(cmdPlay), pause_(cmdPause), bar_(HScroll1), name_(lblFileName),
      length_(lblFileSize)
{
    // Taking the bar with the mouse gives it the focus first, so the recording is paused before
    // the value moves.
    bar_->setFocusPolicy(Qt::StrongFocus);
    bar_->installEventFilter(this);
    connect(bar_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!refreshing_) {
            player_.seekBarMoved(value);
        }
    });
    player_.changed = [this] { refresh(); };
    player_.moveFocusOff = [this] {
        if (bar_->hasFocus()) {
            bar_->clearFocus();
        } else {
            player_.seekBarLostFocus();
        }
    };
    refresh();
}

PlayerBinder::~PlayerBinder()
{
    player_.changed = nullptr;
    player_.moveFocusOff = nullptr;
}

bool PlayerBinder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == bar_) {
        if (event->type() == QEvent::FocusIn) {
            player_.seekBarFocused();
        } else if (event->type() == QEvent::FocusOut) {
            player_.seekBarLostFocus();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlayerBinder::refresh()
{
    refreshing_ = true;
    play_->setEnabled(player_.playEnabled());
    pause_->setEnabled(player_.pauseEnabled());
    const RecordingPlayer::SeekBar& bar = player_.seekBar();
    bar_->setRange(0, bar.maximum);
    bar_->setSingleStep(bar.smallChange);
    bar_->setPageStep(bar.largeChange);
    bar_->setValue(bar.value);
    // The lists show their selection in the same label: it shows the played name only when that
    // changes.
    if (name_ && player_.fileName() != shownName_) {
        shownName_ = player_.fileName();
        name_->setText(shownName_);
    }
    if (length_) {
        length_->setText(player_.lengthText());
    }
    refreshing_ = false;
}

} // namespace qlnrec::records

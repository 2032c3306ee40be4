#include "records/list_player.h"

#include "records/recordings_lists.h"

namespace qlnrec::records {

ListPlayer::ListPlayer(platform::EventService& events, RecordingLists& lists, RecordingPlayer& player)
    : timPlayAll(events, kPlayAllMs), lists_(lists), player_(player)
{
    timPlayAll.setOnTick([this] { timPlayAll_Timer(); });
    lists_.pressPlay = [this] { play(); };
    lists_.startPlayAll = [this] { playAll(); };
}

ListPlayer::~ListPlayer()
{
    lists_.pressPlay = nullptr;
    lists_.startPlayAll = nullptr;
}

RecordingPlayer::PlayResult ListPlayer::play()
{
    const QString& name = lists_.selectedRecording();
    const auto result = player_.play(name.isEmpty() ? QString() : lists_.recordingsFolder() + name, name);
    // Heard only once it really plays: a missing or unreadable file stays unread.
    if (result == RecordingPlayer::PlayResult::Started) {
        lists_.markSelectedAsRead();
    }
    return result;
}

void ListPlayer::timPlayAll_Timer()
{
    if (!player_.idle()) {
        return;
    }
    if (lists_.unread().isEmpty()) {
        timPlayAll.setEnabled(false);
        return;
    }
    lists_.clickUnread(0);
    // A first entry that cannot be played would be tried (and reported) every tick: the user has
    // been told once, and Play All ends there.
    if (play() == RecordingPlayer::PlayResult::Failed) {
        timPlayAll.setEnabled(false);
    }
}

} // namespace qlnrec::records

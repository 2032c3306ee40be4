#pragma once
// The main window's player over its recordings lists: plays the selected recording, marks an
// unread one as read once it really plays, and plays every unread recording in turn (Play All).
#include "platform/core/event_service.h"
#include "records/recording_player.h"

namespace qlnrec::records {

class RecordingLists;

class ListPlayer {
public:
    static constexpr std::uint32_t kPlayAllMs = 2000; // timPlayAll

    // Binds the lists' Play and Play All to this player; both must outlive it.
    ListPlayer(platform::EventService& events, RecordingLists& lists, RecordingPlayer& player);
    ~ListPlayer();
    ListPlayer(const ListPlayer&) = delete;
    ListPlayer& operator=(const ListPlayer&) = delete;

    // cmdPlay for the selected recording.
    RecordingPlayer::PlayResult play();
    // mmuPlayAll.
    void playAll() { timPlayAll.setEnabled(true); }

    platform::Timer timPlayAll;

private:
    void timPlayAll_Timer();

    RecordingLists& lists_;
    RecordingPlayer& player_;
};

} // namespace qlnrec::records

#pragma once
// Work that must not hold up the GUI thread (the codec, the disk) runs on lanes. A lane runs its
// jobs one after the other in the order given, on a thread of its own; what a job hands back runs
// on the GUI thread afterwards, in the order the jobs ended. Inline lanes run a job and what it
// hands back at once on the caller's thread: in virtual time a whole call must come out the same
// on every run.
#include "event_service.h"

#include <functional>
#include <memory>

namespace qlnrec::platform {

class WorkLanes {
public:
    using Completion = std::function<void()>;
    // Runs on the lane; the completion it returns (may be empty) runs on the GUI thread.
    using Job = std::function<Completion()>;
    enum class Mode { Inline, Threaded };

    WorkLanes(EventService& events, int laneCount, Mode mode);
    // Runs what is queued, then ends the threads. Completions not yet delivered are dropped: call
    // finishAll() first where they matter.
    ~WorkLanes();
    WorkLanes(const WorkLanes&) = delete;
    WorkLanes& operator=(const WorkLanes&) = delete;

    Mode mode() const;
    void submit(int lane, Job job);
    // Returns once every job given to the lane so far has run (their completions may be waiting).
    void wait(int lane);
    // Every lane has run its jobs and every completion has run, on the calling thread.
    void finishAll();
    // Runs the completions that are waiting, on the calling thread.
    void deliverCompletions();

private:
    struct State;
    std::shared_ptr<State> state_;
};

} // namespace qlnrec::platform

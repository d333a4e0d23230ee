#pragma once
// Timer1's work: on every tick, the next live request, the next step of the
// request sequence in progress, and the refresh of the live display. A request
// goes out only when the previous one has been answered (readyToSend); there
// is no time-out and no retry.

#include "core/SharedState.h"
#include "link/SchedulerHost.h"

class PollScheduler {
public:
    // First steps of the three request sequences.
    enum Step : int32_t { TestList = 0, Download = 10, MemoryUse = 20, SampleRate = 40, Finish = 100 };

    enum Interval : int { IntervalAtStart = 100, IntervalPolling = 1000, IntervalWaiting = 10 };

    PollScheduler(SharedState &state, SchedulerHost &host) : s(state), host(host) {}

    void Timer1Timer();

    // Starts a sequence at its first step; an earlier one in progress is abandoned.
    void startSequence(int32_t firstStep);

    // "Ler Testes": the list of stored tests, their record counts and the
    // memory use, with the unit menu locked until the read ends.
    void startTestListRead();

private:
    void livePolling();
    void sequenceStep();

    SharedState &s;
    SchedulerHost &host;
};

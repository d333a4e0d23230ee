#pragma once
// Timer1's work: on every tick, the next live request, the next step of the
// request sequence in progress, and the refresh of the live display. A request
// goes out only when the previous one has been answered (readyToSend); there
// is no time-out and no retry.

#include "control/SchedulerHost.h"
#include "core/SharedState.h"
#include "core/WindowSlots.h"

class CommandSender;

class PollScheduler {
public:
    // The steps of the three request sequences (SharedState::downloadStep),
    // with the numbers traces and tests show.
    enum Step : int32_t {
        TestList = 0,          // "@T": the number of stored tests
        TestListCount = 1,     // shows the count, starts at test 0
        TestListRecords = 2,   // "@R n": the record count of test n
        TestListNode = 3,      // its tree node; next test or the memory use
        Download = 10,         // "@R n" of the test to download
        DownloadHeader = 11,   // "@t n"
        DownloadRecord = 12,   // "@r i" of the next record, or the end
        DownloadFetch = 13,    // "@A": the selected record
        MemoryUse = 20,        // "@F"
        MemoryUseRead = 21,
        SampleRate = 40,       // "@I"
        SampleRateUnit = 41,   // "@u"
        Finish = 100,          // ends the sequence, unlocks the unit menu
    };

    enum Interval : int { IntervalAtStart = 100, IntervalPolling = 1000, IntervalWaiting = 10 };

    PollScheduler(SharedState &state, SchedulerHost &host, CommandSender &sender, ViewerSlot &viewer)
        : s(state), host(host), sender(sender), viewer(viewer)
    {
    }

    void Timer1Timer();

    // Starts a sequence at its first step; an earlier one in progress is abandoned.
    void startSequence(Step firstStep);

    // "Ler Testes": the list of stored tests, their record counts and the
    // memory use, with the unit menu locked until the read ends.
    void startTestListRead();

private:
    void livePolling();
    void sequenceStep();

    SharedState &s;
    SchedulerHost &host;
    CommandSender &sender;
    ViewerSlot &viewer;
};
